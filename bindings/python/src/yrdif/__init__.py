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
``Series`` and ``DatetimeIndex`` (a time zone's own calendar date),
pandas ``Period`` of a day or less (the day that holds it; a longer one is
a TypeError), and plain numbers, read as the host's date values: days
from 1960-01-01, fractions allowed.  Texts are read as the ``yrdif`` command reads them:
ISO 8601 dates ("2000-01-31", "+20000-12-31", "60-01-01" with the year
widened through the host's default cutoff 1926), optionally with a time
of day ("2000-01-31T10:30"), or numbers ("14610" is a date value, as
14610 is).  A pyarrow scalar is read as the one row of a column of its
type.  Each element of a list is read by its own type.  A time of
day is dropped.  ``None``, NaN, NaT, NA and the text "." are missing,
and so is a date outside the host calendar (1582-01-01 to 20000-12-31) or
a day it does not have; durations are no dates (``TypeError``).

Calendar dates become date values through the host calendar by year,
month and day.  That calendar has no 29 February in years divisible by
4000: 4000-02-29 is no date (missing), and from 4000-03-01 on its date
values are one day per 4000 years behind numpy's day counts.
"""
import datetime as _dt
import decimal as _decimal
import numbers as _numbers
import sys

import numpy as np

from . import _arrow, _core

__all__ = ["yrdif", "days", "basis_code", "basis_name", "date_values"]
__version__ = "7.1.1"

BASES = {1: "30/360", 2: "ACT/ACT", 3: "ACT/360", 4: "ACT/365", 5: "AGE"}
_EPOCH_ORDINAL = _dt.date(1970, 1, 1).toordinal()


# ---- bases ------------------------------------------------------------------

def _shown(text):
    """A user's text as messages show it: its first 40 characters, quoted,
    then "..." where there are more."""
    return f"{text[:40]!r}{'...' if len(text) > 40 else ''}"


def basis_code(basis):
    """The basis code of one text: 1 '30/360', 2 'ACT/ACT', 3 'ACT/360',
    4 'ACT/365', 5 'AGE'.

    A ``str`` follows the "YRDIF" rules, ``bytes`` (or ``bytearray``) the
    "YRDIF#" rules.  Raises ``ValueError`` naming the text when no rule
    accepts it, ``TypeError`` for anything but a text (or a pyarrow
    scalar holding one).
    """
    if _arrow.is_scalar(basis):
        basis = basis.as_py()
    if not isinstance(basis, _TEXTS):
        raise TypeError(f"basis must be one text, a str or bytes, not {type(basis).__name__}")
    code = _core.basis_code(basis)
    if code == 0:
        raise ValueError(f"basis {_shown(basis)} is not recognised "
                         f"by the {'YRDIF' if isinstance(basis, str) else 'YRDIF#'} rules")
    return code


def basis_name(basis):
    """The basis a text is read as, e.g. ``basis_name('A/360') == '30/360'``."""
    return BASES[basis_code(basis)]


_TEXTS = (str, bytes, bytearray)
_BASIS_TYPES = "basis must be a str, bytes, or an array-like or Series of them"


def _row_codes(a):
    """int32 codes of an array of texts, each distinct text parsed once, each
    element by its own rules (str or bytes); 0 (no result) for a text no
    rule accepts and for None, NaN or NA."""
    if a.dtype.kind in "Tf":  # StringDType: its NA object a null; numbers: NaN no basis
        a = a.astype(object)
    if a.dtype.kind in "US":
        texts, inverse = np.unique(a.ravel(), return_inverse=True)
        table = np.array([_core.basis_code(t) for t in texts], dtype=np.int32)
        return table[inverse].reshape(a.shape)
    if a.dtype.kind != "O":
        raise TypeError(_BASIS_TYPES + f", not an array of {a.dtype}")
    cache = {}

    def code(b):
        if _arrow.is_scalar(b):
            b = b.as_py()
        key = (type(b), b) if isinstance(b, _TEXTS[:2]) else None
        if key is None:
            return _row_code(b)
        if key not in cache:
            cache[key] = _core.basis_code(b)
        return cache[key]

    return np.fromiter((code(b) for b in a.ravel()), np.int32, a.size).reshape(a.shape)


def _row_code(b):
    """The code of one row's basis that is not str or bytes: 0 for None,
    NaN or NA."""
    if isinstance(b, bytearray):
        return _core.basis_code(b)
    if b is None or (isinstance(b, float) and b != b) or b is getattr(_pd(), "NA", None):
        return 0
    raise TypeError(_BASIS_TYPES + f"; a row's basis is {type(b).__name__} {b!r}")


def _codes(basis):
    """The code argument of the ufuncs: a scalar int32 for one text, an
    int32 array for one text per row."""
    if isinstance(basis, _TEXTS) or _arrow.is_scalar(basis):
        return np.int32(basis_code(basis))
    pd = _pd()
    if pd is not None and isinstance(basis, (pd.Series, pd.Index, pd.api.extensions.ExtensionArray)):
        return _row_codes(basis.to_numpy(dtype=object))  # Categorical, StringArray, ...: NA no basis
    if isinstance(basis, np.ndarray):
        return _row_codes(basis)
    if isinstance(basis, (list, tuple)):
        basis = [b.as_py() if _arrow.is_scalar(b) else b for b in basis]  # no rows of characters
        return _row_codes(np.array(basis, dtype=object))
    raise TypeError(_BASIS_TYPES + f", not {type(basis).__name__}")


# ---- dates ------------------------------------------------------------------

def _pd():
    """pandas, where it has been imported: until then no object is a pandas
    one, and a call on plain numbers neither imports it nor retries a
    failed import."""
    return sys.modules.get("pandas")


def _is_duration(x):
    return isinstance(x, (_dt.timedelta, np.timedelta64))


def _period_days(p, arg):
    """Days from 1970-01-01 of pandas Periods (a PeriodArray, NaT the
    least int64): the day that holds each, which a Period of a day or less
    has.  A longer one (a week, a month) has no one date: TypeError."""
    first, last = p.asfreq("D", how="start"), p.asfreq("D", how="end")
    longer = np.flatnonzero(first.asi8 != last.asi8)
    if longer.size:
        i = longer[0]
        raise TypeError(f"{arg}: {p[i]!r} spans {last.asi8[i] - first.asi8[i] + 1} days, not one "
                        "date: pass its start_time or end_time")
    return first.asi8


def _date_scalar(x, arg):
    """The date value of one Python object (NaN for missing)."""
    if x is None:
        return np.nan
    if isinstance(x, (bool, np.bool_)):
        raise TypeError(f"{arg}: a date is not a bool")
    if _is_duration(x):
        raise TypeError(f"{arg}: {type(x).__name__} {x!r} is a duration, not a date")
    pd = _pd()
    if pd is not None and (x is pd.NaT or x is pd.NA):
        return np.nan
    if pd is not None and isinstance(x, pd.Period):
        return float(_core.date_values(_period_days(pd.array([x]), arg)[0]))
    if pd is not None and isinstance(x, pd.Timestamp) and not 1 <= x.year <= 9999:
        # Past Python's years (pandas 2's units coarser than ns): the day of
        # its wall-clock time, as for a Series.
        return float(_datetimes(np.asarray((x.tz_localize(None) if x.tz else x).to_datetime64())))
    if isinstance(x, _dt.datetime):
        x = x.date()  # its own calendar date, in its own time zone
    if isinstance(x, _dt.date):
        return float(_core.date_values(np.int64(x.toordinal() - _EPOCH_ORDINAL)))
    if isinstance(x, np.datetime64):
        return float(_datetimes(np.asarray(x)))
    if isinstance(x, (str, bytes)):
        return float(_texts(np.array([x], dtype=object), arg)[0])
    if isinstance(x, (_numbers.Real, _decimal.Decimal)):  # as an Arrow decimal column is
        try:
            return float(x)
        except (OverflowError, ValueError):  # past every double, or a signalling NaN: no date
            return np.nan
    if _arrow.is_scalar(x):
        return _arrow.scalar_value(x, arg)
    raise TypeError(f"{arg}: cannot read a date from {type(x).__name__} {x!r}")


def _texts(a, arg):
    """Date values of an array of texts (or of objects, each read by its
    own type), as the yrdif command reads dates; ValueError naming the
    first text that is no date."""
    values, others, bad, kind = _core.date_texts(np.ascontiguousarray(a))
    if bad >= 0:
        text = a.ravel()[bad]
        raise ValueError(f"{arg}: {_shown(text)} "
                         f"{_core.date_text_problem(kind)}")
    if others is not None and others.any():
        values[others] = [_date_scalar(x, arg) for x in np.asarray(a)[others]]
    return values


# Units of a day in the datetime64 units that numpy cannot convert to days
# (the factor overflows its arithmetic), however many of them a tick is.
_FINE = {"ps": 86400 * 10**12, "fs": 86400 * 10**15, "as": 86400 * 10**18}


def _datetimes(a):
    """Date values of a datetime64 array of any unit: the day (floored, so a
    time of day is dropped, before 1970 too) through the host calendar."""
    unit, count = np.datetime_data(a.dtype)
    if unit not in _FINE:
        return _core.date_values(a.astype("datetime64[D]").view(np.int64))
    ticks = np.asarray(a).view(np.int64)
    # Exact in Python integers (a tick is count units, a day _FINE of them):
    # numpy's own two-step casts overflow for multiples of a unit.
    days = np.asarray(ticks.astype(object) * count // _FINE[unit]).astype(np.int64)  # 0-d too
    days[ticks == np.iinfo(np.int64).min] = np.iinfo(np.int64).min  # NaT stays missing
    return _core.date_values(days)


def date_values(dates, arg="dates"):
    """The host's date values (days from 1960-01-01) of dates in any of the
    accepted forms, as a float64 array (or a float for a scalar); NaN where
    a date is missing or outside the host calendar.  ``arg`` names the
    argument in error messages."""
    pd = _pd()
    if pd is not None:
        if isinstance(dates, (pd.Series, pd.Index)):
            return _series_dates(dates, arg)
    if _arrow.is_scalar(dates):
        return _arrow.scalar_value(dates, arg)
    if isinstance(dates, bytearray):  # a text, as for bytes and the basis
        dates = bytes(dates)
    elif isinstance(dates, (list, tuple)) and any(isinstance(x, bytearray) or _arrow.is_scalar(x)
                                                  for x in dates):
        # Neither is a row of numbers or of characters.
        dates = [bytes(x) if isinstance(x, bytearray) else
                 _arrow.scalar_value(x, arg) if _arrow.is_scalar(x) else x for x in dates]
    try:
        ndim = np.ndim(dates)
    except ValueError as err:  # a ragged list
        raise ValueError(f"{arg}: no array of dates: {err}") from None
    if ndim == 0 and not isinstance(dates, np.ndarray):
        return _date_scalar(dates, arg)
    a = np.asarray(dates)
    if not a.dtype.isnative:  # the readers in C and the tick arithmetic take native units
        a = a.astype(a.dtype.newbyteorder("="))
    if not isinstance(dates, np.ndarray) and a.dtype.kind in "US" or a.dtype.kind == "T":
        # A list, each element by its own type; numpy's StringDType, its
        # NA object a null.
        a = np.array(dates, dtype=object)
    kind = a.dtype.kind
    if kind == "M":
        return _datetimes(a)
    if kind == "m":
        raise TypeError(f"{arg}: durations ({a.dtype}) are not dates")
    if kind == "b":
        raise TypeError(f"{arg}: dates are not bools")
    if kind in "fiu":
        return a.astype(np.float64, copy=False)
    if kind in "USO":
        return _texts(a, arg)
    raise TypeError(f"{arg}: cannot read dates from an array of {a.dtype}")


def _series_dates(s, arg):
    """Date values of a pandas Series or Index, as a float64 array."""
    pd = _pd()
    dtype = s.dtype
    if isinstance(dtype, pd.DatetimeTZDtype):
        def zoned(x):  # a Series' datetime methods, or the Index itself
            return x.dt if isinstance(x, pd.Series) else x

        if dtype.unit == "ns" and hasattr(zoned(s), "as_unit"):
            # Within hours of int64's bounds the wall-clock time overflows in
            # nanoseconds; zones' offsets are whole seconds, so microseconds
            # floored hold the same day.  (pandas 1 has nanoseconds only.)
            s = zoned(s).as_unit("us")
        s = zoned(s).tz_localize(None)
        dtype = s.dtype
    if dtype.kind == "M":
        return _datetimes(s.to_numpy())
    if isinstance(dtype, pd.PeriodDtype):
        return _core.date_values(_period_days(s.array, arg))
    if dtype.kind == "m":
        raise TypeError(f"{arg}: durations ({dtype}) are not dates")
    if dtype.kind == "c":
        raise TypeError(f"{arg}: cannot read dates from a Series of {dtype}")
    if dtype.kind in "fiu" or pd.api.types.is_numeric_dtype(dtype) and dtype.kind != "b":
        return s.to_numpy(dtype=np.float64, na_value=np.nan)
    return date_values(s.to_numpy(dtype=object), arg)


def _unmasked(x):
    """A masked array's data with its masked elements missing."""
    d = np.ma.getdata(x)
    mask = np.ma.getmaskarray(x)
    if not mask.any():
        return d
    d = d.astype(np.float64 if d.dtype.kind in "iuf" else object if d.dtype.kind in "USOT"
                 else d.dtype)
    d[mask] = np.datetime64("NaT") if d.dtype.kind == "M" else np.nan  # NaN: no date, no basis
    return d


# ---- evaluation -------------------------------------------------------------

def _is_dask(x):
    return type(x).__module__.startswith("dask.")


def _is_table(x):
    """Whether x is a table of columns (a pandas, Dask or Polars DataFrame,
    a pyarrow Table, a DuckDB relation): never a column itself."""
    pa = sys.modules.get("pyarrow")
    if pa is not None and isinstance(x, (pa.Table, pa.RecordBatch)):
        return True
    return hasattr(x, "columns") and hasattr(x, "dtypes") and not hasattr(x, "dtype")


def _evaluate(ufunc, start, end, basis, out=None):
    args = (start, end, basis)
    for arg, x in zip(("start", "end", "basis"), args):
        if _is_table(x):
            raise TypeError(f"{arg}: a {type(x).__name__} is a table, not a column: "
                            "pass one of its columns")
    pd = _pd()
    lazy = any(_is_dask(x) for x in args)
    series = pd is not None and any(isinstance(x, pd.Series) for x in args)
    if out is not None:
        dtype = np.float64 if ufunc is _core.years else np.int64
        if lazy or series:
            raise TypeError("out= is for numpy arrays; Series and Dask results are new objects")
        if not isinstance(out, np.ndarray) or out.dtype != dtype:
            raise TypeError(f"out must be a numpy array of {np.dtype(dtype)}, not "
                            f"{getattr(out, 'dtype', type(out).__name__)}")
    if lazy:
        from . import _dask
        return _dask.evaluate(ufunc.__name__, start, end, basis)
    if series:
        return _series(ufunc, start, end, basis)
    if _arrow.is_arrow(start) or _arrow.is_arrow(end):
        if out is not None:
            raise TypeError("out= is for numpy arrays; an Arrow result is a new array")
        return _arrow.evaluate(ufunc.__name__, start, end, basis)
    masks = [np.ma.getmaskarray(x) for x in args if isinstance(x, np.ma.MaskedArray)]
    if masks:  # masked elements are missing, and the result keeps their mask
        start, end, basis = (_unmasked(x) if isinstance(x, np.ma.MaskedArray) else x
                             for x in args)
    res = ufunc(date_values(start, "start"), date_values(end, "end"), _codes(basis), out=out)
    if masks:
        return np.ma.masked_array(res, mask=np.logical_or.reduce(np.broadcast_arrays(*masks))
                                  if len(masks) > 1 else np.broadcast_to(masks[0], res.shape))
    if np.ndim(res) == 0 and out is None:  # scalars in: a Python float or int out
        return res.item()
    return res


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
    name = getattr(start, "name", None) if isinstance(start, pd.Series) else None

    def arrow_backed(x):
        return isinstance(x, pd.Series) and isinstance(x.dtype, pd.ArrowDtype)

    if arrow_backed(start) or arrow_backed(end):  # Arrow-backed in, Arrow-backed out
        args = [x.array.__arrow_array__() if arrow_backed(x) else x for x in (start, end)]
        res = _arrow.evaluate(ufunc.__name__, *args, basis)
        return pd.Series(pd.arrays.ArrowExtensionArray(res), index=index, name=name)
    out = ufunc(date_values(start, "start"), date_values(end, "end"), _codes(basis))
    if ufunc is _core.days:
        return pd.Series(pd.array(np.where(out == np.iinfo(np.int64).min, None, out),
                                  dtype="Int64"), index=index, name=name)
    return pd.Series(out, index=index, name=name)


def yrdif(start, end, basis="AGE", *, out=None):
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
        rules.  One per row in a list, a numpy array, a pandas Series,
        Index or array (a Categorical, a StringArray) or an Arrow column.
        One text that no rule accepts raises ``ValueError``; with one text
        per row such a row is missing, as is a row whose basis is None,
        NaN or NA.
    out : numpy.ndarray of float64, optional
        Where to write the result, as a ufunc's ``out=`` (numpy inputs).

    Returns
    -------
    float, numpy.ndarray of float64, pandas.Series, a pyarrow array, or a
    lazy Dask array or Series.  Arrow columns in (pyarrow, Polars, DuckDB
    results, anything with the Arrow PyCapsule interface) give a pyarrow
    float64 array out, null where there is no result; pandas Series of
    ``ArrowDtype`` give such a Series.  NaN where the host has no result: a missing date, a date
    outside the calendar, or a row whose basis no rule accepts.  A masked
    array in gives a masked array out, masked wherever an input is.

    Raises ``TypeError`` naming the argument for a value that is no date
    (a duration, a bool) or no basis, ``ValueError`` for a text that is
    neither a date nor a date value.
    """
    return _evaluate(_core.years, start, end, basis, out)


def days(start, end, basis="AGE", *, out=None):
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
    -9223372036854775808 for no result from Dask collections.  ``out``,
    an int64 array, receives the counts with that value for no result.
    """
    out = _evaluate(_core.days, start, end, basis, out)
    if isinstance(out, np.ndarray):
        none = np.ma.getdata(out) == np.iinfo(np.int64).min
        return np.ma.masked_array(out, mask=none | np.ma.getmaskarray(out))
    if isinstance(out, int):
        return None if out == np.iinfo(np.int64).min else out
    return out
