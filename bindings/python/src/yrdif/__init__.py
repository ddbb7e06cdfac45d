"""YRDIF, the host's difference between two dates in years, bit for bit.

The package evaluates the host's own engine, compiled from the module's
sources, over scalars, numpy arrays, pandas Series and Dask collections:

>>> import yrdif
>>> yrdif.yrdif("2000-01-01", "2001-07-01", "ACT/ACT")
1.4958904109589042

Every result has the bits that ``YRDIF`` gives through the module for the
same pair; a pair without a result gives NaN (the module's missing value,
bit pattern 0xFFFFFE0000000000).

Bases
-----
A ``str`` basis is read by the rules of the host's "YRDIF" function, a
``bytes`` basis by those of "YRDIF#".  These are the host's rules, not a
list of names: case does not matter, blanks around the text do not
matter, and a text is recognised by the tokens it contains ('30', '360',
'365', 'ACT', 'ACTUAL', 'AGE'), so '30/360', '30E/360', 'ACT/ACT',
'Actual', 'act/365', 'ACTUAL/360' and 'AGE' are all accepted, as are some
texts that merely contain such tokens.  The two rule sets differ: 'ACT'
alone is 'ACT/ACT' as bytes and rejected as str.  `basis_name` tells which
basis a text is read as.  ``bytes`` are read as given: the host converts
them with its string service first, which is not there.

Dates
-----
``datetime.date`` and ``datetime.datetime`` (its own calendar date),
``numpy.datetime64`` of any unit and arrays of them, pandas ``Timestamp``,
``Series`` and ``DatetimeIndex`` (a time zone's own calendar date), ISO
8601 date strings (as ``numpy.datetime64`` reads them), and plain numbers,
read as the host's date values: days from 1960-01-01, fractions allowed.
A time of day is dropped.  ``None``, NaN and NaT are missing, and so is a
date outside the host calendar (1582-01-01 to 20000-12-31).

Calendar dates become date values through the host calendar by year,
month and day.  That calendar has no 29 February in years divisible by
4000: 4000-02-29 is no date (missing), and from 4000-03-01 on its date
values are one day per 4000 years behind numpy's day counts.
"""
import datetime as _dt
import numbers as _numbers

import numpy as np

from . import _core

__all__ = ["yrdif", "days", "basis_code", "basis_name", "date_values"]
__version__ = "7.1.1"

BASES = {1: "30/360", 2: "ACT/ACT", 3: "ACT/360", 4: "ACT/365", 5: "AGE"}
_EPOCH_ORDINAL = _dt.date(1970, 1, 1).toordinal()


# ---- bases ------------------------------------------------------------------

def basis_code(basis):
    """The basis code of one text: 1 '30/360', 2 'ACT/ACT', 3 'ACT/360',
    4 'ACT/365', 5 'AGE'.

    A ``str`` follows the "YRDIF" rules, ``bytes`` the "YRDIF#" rules.
    Raises ``ValueError`` naming the text when no rule accepts it.
    """
    code = _core.basis_code(basis)
    if code == 0:
        raise ValueError(f"basis {basis!r} is not recognised by the "
                         f"{'YRDIF#' if isinstance(basis, bytes) else 'YRDIF'} rules")
    return code


def basis_name(basis):
    """The basis a text is read as, e.g. ``basis_name('A/360') == '30/360'``."""
    return BASES[basis_code(basis)]


def _row_codes(bases):
    """int32 codes of an array of texts, each distinct text parsed once;
    0 (no result) for a text no rule accepts and for None or NaN."""
    a = np.asarray(bases)
    if a.dtype.kind in "US":
        texts, inverse = np.unique(a.ravel(), return_inverse=True)
        table = np.array([_core.basis_code(t) for t in texts], dtype=np.int32)
        return table[inverse].reshape(a.shape)
    cache = {}

    def code(b):
        if b not in cache:
            cache[b] = _row_code(b)
        return cache[b]

    return np.fromiter((code(b) for b in a.ravel()), np.int32, a.size).reshape(a.shape)


def _row_code(b):
    """The code of one row's basis; 0 for None, NaN or NA."""
    if isinstance(b, (str, bytes)):
        return _core.basis_code(b)
    if b is None or (isinstance(b, float) and b != b) or b is getattr(_pd(), "NA", None):
        return 0
    raise TypeError(f"a basis is str or bytes, not {type(b).__name__}")


def _codes(basis):
    """The code argument of the ufuncs: a scalar int32 for one text, an
    int32 array for one text per row."""
    if isinstance(basis, (str, bytes)):
        return np.int32(basis_code(basis))
    pd = _pd()
    if pd is not None and isinstance(basis, pd.Series):
        basis = basis.to_numpy(dtype=object)
    return _row_codes(basis)


# ---- dates ------------------------------------------------------------------

def _pd():
    try:
        import pandas
    except ImportError:  # pragma: no cover - pandas is optional
        return None
    return pandas


def _date_scalar(x):
    """The date value of one Python object (NaN for missing)."""
    if x is None:
        return np.nan
    if isinstance(x, (bool, np.bool_)):
        raise TypeError("a date is not a bool")
    pd = _pd()
    if pd is not None and (x is pd.NaT or x is pd.NA):
        return np.nan
    if isinstance(x, _dt.datetime):
        x = x.date()  # its own calendar date, in its own time zone
    if isinstance(x, _dt.date):
        return float(_core.date_values(np.int64(x.toordinal() - _EPOCH_ORDINAL)))
    if isinstance(x, np.datetime64):
        return float(_datetimes(np.asarray(x)))
    if isinstance(x, str):
        return float(_datetimes(_parse_dates(np.asarray(x))))
    if isinstance(x, _numbers.Real):
        return float(x)
    raise TypeError(f"cannot read a date from {type(x).__name__} {x!r}")


def _parse_dates(a):
    """ISO 8601 texts to datetime64[D], naming the text that fails."""
    try:
        return a.astype("datetime64[D]")
    except ValueError:
        for t in a.ravel():
            try:
                np.datetime64(t, "D")
            except ValueError:
                raise ValueError(f"{t!r} is not an ISO 8601 date") from None
        raise


def _datetimes(a):
    """Date values of a datetime64 array of any unit: the day (floored, so a
    time of day is dropped, before 1970 too) through the host calendar."""
    return _core.date_values(a.astype("datetime64[D]").view(np.int64))


def date_values(dates):
    """The host's date values (days from 1960-01-01) of dates in any of the
    accepted forms, as a float64 array (or a float for a scalar); NaN where
    a date is missing or outside the host calendar."""
    pd = _pd()
    if pd is not None:
        if isinstance(dates, (pd.Series, pd.Index)):
            return _series_dates(dates)
    if np.ndim(dates) == 0 and not isinstance(dates, np.ndarray):
        return _date_scalar(dates)
    a = np.asarray(dates)
    if a.dtype.kind == "M":
        return _datetimes(a)
    if a.dtype.kind in "fiu":
        return a.astype(np.float64, copy=False)
    if a.dtype.kind in "US":
        return _datetimes(_parse_dates(a))
    if a.dtype.kind == "b":
        raise TypeError("dates are not bools")
    return np.array([_date_scalar(x) for x in a.ravel()], dtype=np.float64).reshape(a.shape)


def _series_dates(s):
    """Date values of a pandas Series or Index, as a float64 array."""
    pd = _pd()
    dtype = s.dtype
    if isinstance(dtype, pd.DatetimeTZDtype):
        s = s.dt.tz_localize(None) if isinstance(s, pd.Series) else s.tz_localize(None)
        dtype = s.dtype
    if dtype.kind == "M":
        return _datetimes(s.to_numpy())
    if dtype.kind in "fiu" or pd.api.types.is_numeric_dtype(dtype) and dtype.kind != "b":
        return s.to_numpy(dtype=np.float64, na_value=np.nan)
    return date_values(s.to_numpy(dtype=object))


# ---- evaluation -------------------------------------------------------------

def _is_dask(x):
    return type(x).__module__.startswith("dask.")


def _evaluate(ufunc, start, end, basis):
    if _is_dask(start) or _is_dask(end) or _is_dask(basis):
        from . import _dask
        return _dask.evaluate(ufunc.__name__, start, end, basis)
    pd = _pd()
    if pd is not None and any(isinstance(x, pd.Series) for x in (start, end, basis)):
        return _series(ufunc, start, end, basis)
    out = ufunc(date_values(start), date_values(end), _codes(basis))
    if np.ndim(out) == 0:  # scalars in: a Python float or int out
        return out.item()
    return out


def _series(ufunc, start, end, basis):
    """Series in, Series out: Series arguments are aligned on their index
    (as pandas arithmetic does, a label in one only gives a missing row);
    the others broadcast against the result's index."""
    pd = _pd()
    series = [x for x in (start, end, basis) if isinstance(x, pd.Series)]
    index = series[0].index
    for s in series[1:]:
        if not s.index.equals(index):
            index = index.union(s.index)

    def aligned(x):
        return x.reindex(index) if isinstance(x, pd.Series) and not x.index.equals(index) else x

    start, end, basis = aligned(start), aligned(end), aligned(basis)
    out = ufunc(date_values(start), date_values(end), _codes(basis))
    name = getattr(start, "name", None) if isinstance(start, pd.Series) else None
    if ufunc is _core.days:
        return pd.Series(pd.array(np.where(out == np.iinfo(np.int64).min, None, out),
                                  dtype="Int64"), index=index, name=name)
    return pd.Series(out, index=index, name=name)


def yrdif(start, end, basis="AGE"):
    """The difference between two dates in years under a day-count basis,
    exactly as the host's ``YRDIF(start, end, basis)`` gives it.

    Parameters
    ----------
    start, end : dates
        Scalars, array-likes, pandas Series/Index or Dask arrays/Series in
        any accepted date form (see the package docs); they broadcast by
        numpy's rules, and Series align on their index.
    basis : str, bytes or array-like of them, default "AGE"
        '30/360', 'ACT/ACT', 'ACT/360', 'ACT/365' or 'AGE' as the host reads
        them: ``str`` by the "YRDIF" rules, ``bytes`` by the "YRDIF#"
        rules.  One text that no rule accepts raises ``ValueError``; with
        one text per row such a row is missing.

    Returns
    -------
    float, numpy.ndarray of float64, pandas.Series, or a lazy Dask array or
    Series.  NaN where the host has no result: a missing date, a date
    outside the calendar, or a row whose basis no rule accepts.
    """
    return _evaluate(_core.years, start, end, basis)


def days(start, end, basis="AGE"):
    """The engine's whole-day count from which `yrdif` forms its result.

    For 'ACT/ACT', 'ACT/360' and 'ACT/365' it is the days between the
    dates; for '30/360' the 30/360 day count; for 'AGE' the days between
    the dates after each end lying in a leap year has been moved a year
    out of it (29 February 2000 to 28 February 2001 counts 731).  The
    engine counts a 29 February in years divisible by 4000, which the
    calendar does not have.

    Returns an int for scalars (None where there is no result), a
    ``numpy.ma.MaskedArray`` of int64 for arrays, a Series of pandas'
    nullable ``Int64`` for Series, and the int64 day counts with
    -9223372036854775808 for no result from Dask collections.
    """
    out = _evaluate(_core.days, start, end, basis)
    if isinstance(out, np.ndarray):
        return np.ma.masked_equal(out, np.iinfo(np.int64).min)
    if isinstance(out, int):
        return None if out == np.iinfo(np.int64).min else out
    return out
