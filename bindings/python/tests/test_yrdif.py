"""The yrdif package against YRDIF through the module (golden cases that the
yrdif command writes during the run), and its conversions of every input
type.  Doubles are compared by their bits."""
import datetime as dt
import decimal
import os
import pickle
import struct
import sys

import numpy as np
import pandas as pd
import pytest

import yrdif

sys.path.insert(0, os.path.join(os.path.dirname(__file__), "..", ".."))
import golden  # noqa: E402
from golden import COMMAND as YRDIF, MISSING, TOP  # noqa: E402

def as_hex(a):
    """The bits of each double, as the golden files hold them."""
    return [struct.pack(">d", x).hex() for x in np.ravel(np.asarray(a, dtype=np.float64))]


@pytest.fixture(scope="module", params=["values", "dates"])
def cases(request):
    if not os.access(YRDIF, os.X_OK):
        pytest.skip(f"no yrdif command at {YRDIF}")
    return request.param, pd.DataFrame(golden.cases(YRDIF, request.param, rows=4000, seed=7))


def test_golden_cases_every_form(cases):
    """Whole columns, one basis per row or one for the whole column, both
    text forms: the module's bits."""
    kind, g = cases
    start = g.start.astype(float) if kind == "values" else g.start.to_numpy()
    end = g.end.astype(float) if kind == "values" else g.end.to_numpy().astype("datetime64[D]")
    for basis, want in ((g.basis.to_numpy(dtype=object), g.years), (pd.Categorical(g.basis), g.years),
                        (pd.array(g.basis, dtype="string"), g.years),
                        (g.basis.map(str.encode), g.years_bytes)):
        assert as_hex(yrdif.yrdif(start, end, basis)) == list(want)
    for b, rows in g.groupby("basis"):
        s, e = np.asarray(start)[rows.index], np.asarray(end)[rows.index]
        for text, want in ((b, rows.years), (b.encode(), rows.years_bytes)):
            if yrdif._core.basis_code(text):  # otherwise an error, as below
                assert as_hex(yrdif.yrdif(s, e, text)) == list(want), text


# Every input form of 2000-01-01 (date value 14610), and of no date at all.
JAN_1_2000 = [
    dt.date(2000, 1, 1), dt.datetime(2000, 1, 1, 23, 59), pd.Timestamp("2000-01-01 10:00"),
    pd.Timestamp("2000-01-01 23:30", tz="America/New_York"), np.datetime64("2000-01-01"),
    np.datetime64("2000-01-01T23:59:59.999", "ms"), np.datetime64("2000-01-01T01", "h"),
    "2000-01-01", "2000-01-01T18:00", " 2000-01-01 10:00:59.5\r\n", "14610", b"2000-01-01",
    bytearray(b"2000-01-01"), pd.Period("2000-01-01 23:59", "min"),
    14610, 14610.99, np.int32(14610), np.float32(14610), decimal.Decimal("14610.5"),
]
NO_DATE = [None, np.nan, np.datetime64("NaT"), pd.NaT, pd.NA, "1581-12-31", dt.date(1500, 1, 1),
           np.datetime64("4000-02-29"), 6589336, -138061.5, np.inf, decimal.Decimal("NaN"),
           "+20001-01-01", ".", "2000-13-01", "4000-02-29", 10**400, decimal.Decimal("sNaN"),
           1e300, -1e300]


@pytest.mark.parametrize("form", JAN_1_2000, ids=repr)
def test_every_date_form(form):
    want = yrdif.yrdif(14610.0, 15157.0, "ACT/ACT")
    got = yrdif.yrdif(form, 15157, "ACT/ACT")
    assert isinstance(got, float) and as_hex(got) == as_hex(want)
    assert as_hex(yrdif.yrdif([form, form], np.array([15157.0]), "ACT/ACT")) == as_hex([want] * 2)
    if isinstance(form, (str, bytes)):  # numpy's fixed-width texts, the first padded, either byte order
        wide = np.array([form, (b" " if isinstance(form, bytes) else " ") * 30 + form])
        for w in (wide, wide.astype(wide.dtype.newbyteorder())):
            assert as_hex(yrdif.yrdif(w, 15157, "ACT/ACT")) == as_hex([want] * 2)
    assert yrdif.days(form, "2001-07-01", "ACT/ACT") == 547


@pytest.mark.parametrize("form", NO_DATE, ids=repr)
def test_missing_and_outside_the_calendar(form):
    """No result under any basis, and nothing for numpy's floating-point
    checks: the flags the kernels raise on such dates are theirs."""
    with np.errstate(all="raise"):
        assert as_hex([yrdif.yrdif([form] * 2, np.zeros(2), b) for b in yrdif.BASES.values()]) \
            == [MISSING] * 10
    assert yrdif.days(form, 0.0) is None
    assert yrdif.days(np.array([form, 1.0], dtype=object), 0.0).mask.tolist() == [True, False]


def test_every_day_of_the_calendar():
    """numpy's days from two before 1582-01-01 to two after 20000-12-31: the
    host's date values run from -138061 to 6589335, one more each day, but
    for the 29 Februaries of years divisible by 4000, which the host's
    calendar lacks; the other days are missing."""
    d = np.arange("1581-12-30", "20001-01-03", dtype="datetime64[D]")
    year = d.astype("datetime64[Y]")
    lacked = ((year.astype(np.int64) + 1970) % 4000 == 0) & ((d - year).astype(np.int64) == 59)
    v = yrdif.date_values(d)
    missing = (d < np.datetime64("1582-01-01")) | (d > np.datetime64("20000-12-31")) | lacked
    assert set(as_hex(v[missing])) == {golden.MISSING} and lacked.sum() == 5
    assert (v[~missing] == np.arange(-138061, 6589336)).all()
    # Units numpy cannot convert to days, at the edges of the days around 1970.
    for unit, day in (("ps", 864 * 10**14), ("100fs", 864 * 10**15), ("100000as", 864 * 10**15)):
        ticks = np.array([-day - 1, -day, -1, 0, day - 1, day, np.iinfo(np.int64).min], f"M8[{unit}]")
        for t in (ticks, ticks.astype(ticks.dtype.newbyteorder())):  # either byte order
            assert as_hex(yrdif.date_values(t)) == as_hex([3651.0, 3652, 3652, 3653, 3653, 3654]) + [MISSING]
        assert as_hex(yrdif.date_values(ticks[5])) == as_hex(3654.0)  # a scalar
    top = np.iinfo(np.int64).max
    assert as_hex(yrdif.date_values(np.array([-top, top], "M8[7ps]"))) == as_hex([3653.0 - 748, 3653.0 + 747])
    x, out = d[:10].view(np.int64), np.zeros(12)  # the ufunc's strided inputs and outputs
    assert as_hex(yrdif._core.date_values(x[::2])) == as_hex(v[:10:2])
    assert as_hex(yrdif._core.date_values(x[:5], out=out[:10:2])) == as_hex(v[:5])
    assert np.count_nonzero(out) == 5  # nothing written beside them


def test_broadcasting_series_and_errors():
    start = np.array([[14610.0], [0.0], [np.nan]])
    end = np.array([15157.0, 20000.0, 1.5, -1.0])
    grid = yrdif.yrdif(start, end, "ACT/360")
    assert grid.shape == (3, 4)
    assert as_hex(grid) == as_hex([yrdif.yrdif(s, e, "ACT/360") for s in start[:, 0] for e in end])
    assert yrdif.days(end, end[::-1], "ACT/360").tolist() == \
        [yrdif.days(a, b, "ACT/360") for a, b in zip(end, end[::-1])]  # strides that differ
    a = pd.Series(pd.to_datetime(["2000-01-01", "2001-01-01"]), index=["x", "y"], name="since")
    b = pd.Series(pd.to_datetime(["2002-01-01", "2003-01-01"]), index=["y", "z"])
    r = yrdif.yrdif(a, b, pd.Series(["ACT/ACT", "nonsense", "AGE"], index=["x", "y", "z"]))
    assert r.name == "since" and list(r.index) == ["x", "y", "z"] and r.isna().all()
    r = yrdif.yrdif(a, b, "ACT/ACT")
    assert as_hex(r.loc[["y"]]) == as_hex([1.0]) and r.loc[["x", "z"]].isna().all()
    assert yrdif.days(a, b).astype(object).tolist() == [pd.NA, 365, pd.NA]
    days = pd.Series(pd.period_range("1999-12-31", periods=3, freq="D")).where(lambda p: p.dt.day != 1)
    assert yrdif.days(days, 0.0, "ACT/ACT").astype(object).tolist() == [-14609, pd.NA, -14611]  # that day
    if hasattr(pd.DatetimeIndex, "as_unit"):  # wall-clock times past int64 (pandas 1: an error)
        top = np.iinfo(np.int64).max - 5 * 3600 * 10**9
        edge = pd.Series(np.array([top, -top], "M8[ns]")).dt.tz_localize("UTC").dt.tz_convert("Asia/Tokyo")
        assert yrdif.days(edge, 0.0, "ACT/ACT").tolist() == [-106752 - 3653, 106752 - 3653]
        far = np.datetime64("15000-01-01T23:00", "s")  # a Timestamp past Python's years
        for ts in (pd.Timestamp(far), pd.Timestamp(far).tz_localize("Asia/Tokyo")):
            assert yrdif.days(ts, 0.0) == yrdif.days(far, 0.0)
    assert [yrdif.basis_name(b) for b in ("A/360", "act/act", "ACT/360", b"ACT/365", "AGE")] == \
        list(yrdif.BASES.values())
    assert pickle.loads(pickle.dumps(yrdif._core.years)) is yrdif._core.years


def pa():
    return pytest.importorskip("pyarrow")


def D32():  # noqa: N802 - two date32 days
    return pa().array([0, 1], pa().date32())


# (call, the error it raises, a text its message holds): every bad argument
# named, no error from numpy or hashing.
BAD = [
    (lambda: yrdif.yrdif(np.arange(2).astype("m8[ns]"), 0), TypeError, "start: durations"),
    (lambda: yrdif.yrdif(dt.timedelta(1), 0), TypeError, "start: timedelta"),
    (lambda: yrdif.yrdif(0, [True]), TypeError, "end: dates are not bools"),
    (lambda: yrdif.yrdif(pd.Series([True]), 0), TypeError, "start: a date is not a bool"),
    (lambda: yrdif.yrdif(pd.Series([1j]), 0), TypeError, "start: cannot read dates from a Series of complex128"),
    (lambda: yrdif.yrdif(0, pd.Series(pd.period_range("2000-01", periods=2, freq="M"))), TypeError,
     "end: Period('2000-01', 'M') spans 31 days, not one date"),
    (lambda: yrdif.yrdif(0, [[1], [1, 2]]), ValueError, "end: no array of dates"),
    (lambda: yrdif.yrdif(["\ud800"], 0), ValueError, "start: '\\ud800' is neither"),
    (lambda: yrdif.yrdif(0, 1, "ACT"), ValueError, "'ACT' is not recognised by the YRDIF rules"),
    (lambda: yrdif.yrdif(0, 1, "é" * 50), ValueError, "'" + "é" * 40 + "'... is not"),
    (lambda: yrdif.yrdif(0, 1, {"AGE"}), TypeError, "basis must be a str, bytes, or an"),
    (lambda: yrdif.yrdif(0, 1, 360), TypeError, "not int"),
    (lambda: yrdif.basis_name(["AGE"]), TypeError, "basis must be one text, a str or bytes, not list"),
    (lambda: yrdif.yrdif(0, 1, ["AGE", 360]), TypeError, "a row's basis is int 360"),
    (lambda: yrdif.yrdif(0, 1, np.array([360])), TypeError, "not an array of int64"),
    (lambda: yrdif.yrdif(0, [1, 2], out=np.empty(2, np.float32)), TypeError, "float64, not float32"),
    (lambda: yrdif.yrdif(pd.Series([0]), 1, out=np.empty(1)), TypeError, "out= is for numpy"),
    (lambda: yrdif.days(0, pd.DataFrame({"a": [1]})), TypeError, "end: a DataFrame is a table"),
    # Arrow columns, where pyarrow is installed.
    (lambda: yrdif.yrdif(pa().array([{"a": 1}] * 2), D32()), TypeError, "start: an Arrow column of struct"),
    (lambda: yrdif.yrdif(D32(), pa().array(["later", "soon"])), ValueError, "end: 'later' is neither"),
    (lambda: yrdif.yrdif(D32(), pa().array([0], pa().date32())), ValueError, "start has 2 rows, end 1"),
    (lambda: yrdif.yrdif(np.zeros(3), D32()), ValueError, "start has 3 rows, end 2"),
    (lambda: yrdif.yrdif(D32(), np.zeros((1, 2))), ValueError, "end has shape (1, 2), start 2"),
    (lambda: yrdif.yrdif(D32(), D32(), ["AGE"] * 3), ValueError, "basis has 3 rows, the dates 2"),
    (lambda: yrdif.yrdif(D32(), D32(), pa().array([1, 2])), TypeError, "basis: an Arrow column of int64"),
    (lambda: yrdif.yrdif(D32(), pa().array([1, 2], pa().duration("s"))), TypeError, "end: durations"),
    (lambda: yrdif.yrdif(pa().array([0, 1], pa().timestamp("s", "No/Zone")), D32()), ValueError,
     "start: Cannot locate or parse timezone 'No/Zone'"),
    (lambda: yrdif.yrdif(type("Col", (), {"__arrow_c_array__": lambda self, schema=None: (1, 2)})(),
                         D32()), TypeError, "start: Col gives no Arrow column"),
    (lambda: yrdif._core.years_date32(5, None, b"\0" * 36, b"\0", 7, b"\0" * 36, None, 7, 2, False),
     ValueError, "start's validity bitmap holds 1"),
]


@pytest.mark.parametrize("call,error,text", BAD, ids=[b[2] for b in BAD])
def test_bad_arguments_are_named(call, error, text):
    with pytest.raises(error) as e:
        call()
    assert text in str(e.value)


def test_numpy_conventions():
    """Lists read each element by its own type; masked arrays keep their
    mask; out= is written and returned; a list of bases keeps each one's rules."""
    want = yrdif.yrdif(np.array([14610.0, np.nan, 14610.5]), 15157.0, "ACT/365")
    assert as_hex(yrdif.yrdif(["2000-01-01", float("nan"), 14610.5], 15157.0, "ACT/365")) == \
        as_hex(want)
    m = yrdif.yrdif(np.ma.masked_array([14610.0, 14000.0], mask=[0, 1]),
                    np.ma.masked_array([[15157.0], [15157.0]], mask=[[0], [1]]), "ACT/365")
    assert m.mask.tolist() == [[False, True], [True, True]] and as_hex(m[0, 0]) == as_hex(want[0])
    for dates in (["2000-01-01", "x"], np.array(["2000-01-01", "NaT"], "M8[D]")):
        assert yrdif.days(np.ma.masked_array(dates, mask=[0, 1]), 15157.0).mask.tolist() == [0, 1]
    if hasattr(getattr(np, "dtypes", None), "StringDType"):  # numpy 2: its NA object a null
        texts = np.dtypes.StringDType(na_object=None)
        assert as_hex(yrdif.yrdif(np.array(["2000-01-01", None, "14610.5"], texts), 15157.0,
                                  np.array(["ACT/365"] * 3, texts))) == as_hex(want)
    out = np.empty(3)
    assert yrdif.yrdif([14610, np.nan, 14610.5], 15157.0, "ACT/365", out=out) is out
    assert as_hex(out) == as_hex(want)
    assert as_hex(yrdif.yrdif(0.0, 366.0, ["AGE", b"ACT", bytearray(b"ACT/360"), np.nan, None])) == \
        as_hex([yrdif.yrdif(0.0, 366.0, b) for b in ("AGE", b"ACT", b"ACT/360")]) + [MISSING] * 2
    assert as_hex(yrdif.yrdif(0.0, 366.0, np.full(2, np.nan))) == [MISSING] * 2  # an empty CSV column


def test_dask_on_a_local_cluster():
    """Dask arrays and DataFrame columns on worker processes give the bits
    of the in-process result."""
    da, dd = pytest.importorskip("dask.array"), pytest.importorskip("dask.dataframe")
    distributed = pytest.importorskip("distributed")
    rng = np.random.default_rng(5)
    start, end = rng.uniform(-140000, 6590000, (2, 20000))
    bases = rng.choice(np.array(["ACT/ACT", "30/360", "AGE", "bad", "act/365"]), 20000)
    frame = pd.DataFrame({"a": pd.to_datetime("1990-06-15") + pd.to_timedelta(
        rng.integers(-50000, 50000, 20000), unit="D"), "b": end, "basis": bases})
    ddf = dd.from_pandas(frame, npartitions=4)
    with distributed.LocalCluster(n_workers=2, threads_per_worker=1, processes=True,
                                  dashboard_address=None) as cluster, \
            distributed.Client(cluster) as client:
        lazy = yrdif.yrdif(*(da.from_array(x, chunks=3000) for x in (start, end, bases)))
        assert as_hex(client.compute(lazy).result()) == as_hex(yrdif.yrdif(start, end, bases))
        col = yrdif.yrdif(ddf.a, ddf.b, "ACT/ACT")
        got, want = client.compute(col).result(), yrdif.yrdif(frame.a, frame.b, "ACT/ACT")
        assert col.dtype == np.float64 and got.index.equals(want.index)
        assert as_hex(got) == as_hex(want)
        days = client.compute(yrdif.days(ddf.a, ddf.b, ddf.basis)).result()
        assert days.equals(yrdif.days(frame.a, frame.b, frame.basis))
        moved = frame.b.set_axis(frame.index + 7)  # other partitions, other rows: aligned
        got = client.compute(yrdif.days(ddf.a, dd.from_pandas(moved, npartitions=3))).result()
        assert got.equals(yrdif.days(frame.a, moved))
    with pytest.raises(ValueError, match="'bogus' is not recognised"):
        yrdif.yrdif(ddf.a, ddf.b, "bogus")
    with pytest.raises(TypeError, match="end: a whole ndarray beside Dask Series cannot be split"):
        yrdif.yrdif(ddf.a, end, "AGE")


def test_readme_examples():
    """The README's Python examples give the README's output (those that
    import pyarrow only where it is installed)."""
    import doctest
    with open(os.path.join(TOP, "README.md")) as f:
        text = f.read()
    examples = doctest.DocTestParser().get_doctest(text, {}, "README.md", "README.md", 0)
    try:
        import pyarrow  # noqa: F401
    except ImportError:
        arrow = next(i for i, e in enumerate(examples.examples) if "pyarrow" in e.source)
        examples.examples = examples.examples[:arrow]
    runner = doctest.DocTestRunner(optionflags=doctest.NORMALIZE_WHITESPACE)
    runner.run(examples)
    assert runner.tries >= 5 and runner.failures == 0


def test_arrow_scalars_and_binary_texts():
    """A pyarrow scalar is the one row of a column of its type, as a date
    and as a basis, alone and in a list; binary columns hold texts, as
    bytes do."""
    pa = pytest.importorskip("pyarrow")
    want = as_hex(yrdif.yrdif(14610.0, 15157.0, "ACT/ACT"))
    for form in (pa.scalar(dt.date(2000, 1, 1)), pa.scalar("2000-01-01"), pa.scalar(b"2000-01-01"),
                 pa.scalar(dt.datetime(2000, 1, 1, 23), pa.timestamp("s"))):
        assert as_hex(yrdif.yrdif(form, 15157, pa.scalar("ACT/ACT"))) == want
        assert as_hex(yrdif.yrdif([form, None], 15157.0, [pa.scalar("ACT/ACT")] * 2)) == want + [MISSING]
    assert yrdif.days(pa.scalar(None, pa.date32()), 0.0) is None
    assert yrdif.basis_name(pa.scalar("A/360")) == "30/360"
    assert isinstance(yrdif.yrdif(pa.chunked_array([D32()]), 0.0), pa.ChunkedArray)  # chunked in, out
    assert yrdif.yrdif(pa.array([0, 1], pa.date32()), 0.0, pa.nulls(2)).null_count == 2
    assert yrdif.yrdif(pa.array([2**64 - 1], pa.uint64()), 0.0).to_pylist() == [None]
    got = yrdif.yrdif(pa.array([b"2000-01-01"] * 2 + [None], pa.large_binary()),
                      pa.array([15157.0] * 3), pa.array([b"ACT/ACT", None, b"AGE"], pa.large_binary()))
    assert [golden.hexbits(x) for x in got.to_pylist()] == want + [MISSING] * 2
    # Days past int32 are no dates (Arrow's own cast wraps them round), and
    # a wall-clock time at int64's bounds keeps its day.
    top, far = np.iinfo(np.int64).max, [(2**32 + 14610) * 86400, -(2**31 + 1) * 86400]
    for t, ticks, want in ((pa.timestamp("s"), far, [None] * 2),
                           (pa.date64(), [x * 1000 for x in far], [None] * 2),
                           (pa.timestamp("ms", "Asia/Tokyo"), [-x * 1000 for x in far], [None] * 2),
                           (pa.timestamp("ns", "Asia/Tokyo"), [top], [-106752]),
                           (pa.timestamp("ns", "America/New_York"), [-top], [106753])):
        assert yrdif.days(pa.array(ticks, t), pa.array([0] * len(ticks), pa.date32()), "ACT/ACT").to_pylist() == want
    got = yrdif.yrdif(pa.array([None], pa.date32()), pa.array([0], pa.date32()))  # one null of one
    got.validate(full=True)
    assert got.to_pylist() == [None]


def arrow_forms(pa, iso, rng):
    """One column of ISO dates in every Arrow form a user meets, each with
    the rows it holds (None where it holds a null instead)."""
    import pyarrow.compute as pc
    days = pa.array(np.array(iso, dtype="datetime64[D]")).cast(pa.date32())
    n = len(days)
    nulls = rng.random(n) < 0.05
    holey = pa.array(days.to_pylist(), pa.date32(), mask=nulls)
    padded = pa.concat_arrays([pa.array([None] * 3, pa.date32()), holey]).slice(3)  # an offset
    cuts = sorted(set(rng.integers(0, n, 5).tolist()) | {0, n})
    chunked = pa.chunked_array([holey.slice(a, b - a) for a, b in zip(cuts, cuts[1:])])
    kept = [None if m else i for i, m in enumerate(nulls)]
    ts = pa.array(np.array(iso, dtype="datetime64[D]").astype("datetime64[s]") +
                  np.timedelta64(3600 * 23, "s"), mask=nulls)
    return [("date32", days, list(range(n))), ("nulls at an offset", padded, kept),
            ("chunked", chunked, kept), ("date64", holey.cast(pa.date64()), kept),
            ("dictionary-encoded", holey.dictionary_encode(), kept),
            ("run-end encoded", pc.run_end_encode(holey), kept),
            ("timestamp[s] at 23:00", ts, kept),
            ("timestamp[ms, UTC] in Tokyo's zone, 15:00 UTC",
             pa.array(np.array(iso, dtype="datetime64[D]").astype("datetime64[ms]") -
                      np.timedelta64(9 * 3600 * 1000, "ms"), pa.timestamp("ms", tz="Asia/Tokyo"),
                      mask=nulls), kept)]


def test_arrow_every_form(cases):
    """Arrow columns of dates in every form against the golden cases, the
    other date column and the bases as Arrow too: a pyarrow float64 array
    (chunked for chunked input) with the module's bits, null exactly where
    there is no result or a null went in; ArrowDtype Series the same."""
    pa = pytest.importorskip("pyarrow")
    kind, g = cases
    if kind != "dates":
        pytest.skip("Arrow columns of dates")
    rng = np.random.default_rng(3)
    end = pa.array(np.array(g.end, dtype="datetime64[D]")).cast(pa.date32())
    bases = pa.array(g.basis.tolist())
    view = bases.cast(pa.string_view()) if hasattr(pa, "string_view") else bases  # Polars' Categorical
    for k, (name, start, rows) in enumerate(arrow_forms(pa, g.start.tolist(), rng)):
        got = yrdif.yrdif(start, end, (bases, bases.dictionary_encode(), view.dictionary_encode())[k % 3])
        assert isinstance(got, pa.ChunkedArray if name == "chunked" else pa.Array), name
        assert got.type == pa.float64() and len(got) == len(g), name
        want = [MISSING if i is None else g.years[i] for i in rows]
        assert [golden.hexbits(x) for x in got.to_pylist()] == want, name
        assert got.null_count == want.count(MISSING), name
    # The other way round, a start of numpy days or one date32 array against
    # a chunked end with nulls, the bases a list: years and day counts.
    s = np.array(g.start, dtype="datetime64[D]")
    _, chunked_end, rows = arrow_forms(pa, g.end.tolist(), rng)[2]
    e = np.array([x if i is not None else "NaT" for x, i in zip(g.end, rows)], "datetime64[D]")
    days = yrdif.days(s, e, g.basis.to_numpy(object)).tolist()  # None where masked
    for start in (s, pa.array(s).cast(pa.date32())):
        got = yrdif.yrdif(start, chunked_end, g.basis.tolist())
        assert [golden.hexbits(x) for x in got.to_pylist()] == \
            [MISSING if i is None else g.years[i] for i in rows]
        assert yrdif.days(start, chunked_end, g.basis.tolist()).to_pylist() == days
    series = pd.Series(pd.arrays.ArrowExtensionArray(arrow_forms(pa, g.start.tolist(), rng)[1][1]),
                       index=g.index[::-1])
    got = yrdif.yrdif(series, pd.Series(pd.arrays.ArrowExtensionArray(end), index=g.index[::-1]),
                      "ACT/ACT")
    assert isinstance(got.dtype, pd.ArrowDtype) and got.index.equals(series.index)
    missing = struct.unpack(">d", bytes.fromhex(MISSING))[0]
    assert as_hex(got.to_numpy(dtype=float, na_value=missing)) == as_hex(
        yrdif.yrdif(series.to_numpy(dtype=object), end.to_numpy(zero_copy_only=False),
                    "ACT/ACT"))


def test_eight_threads_on_shared_arrays():
    """Eight threads evaluate the same shared arrays at once, the kernels
    outside the GIL: every result has the bits of the serial one."""
    from concurrent.futures import ThreadPoolExecutor
    rng = np.random.default_rng(9)
    start, end = rng.uniform(-140000, 6590000, (2, 200_000))
    start[::13] = np.nan
    bases = rng.choice(np.array(["ACT/ACT", "30/360", "AGE", "bad", "act/365"]), 200_000)
    forms = [(yrdif.yrdif, "ACT/ACT"), (yrdif.yrdif, bases), (yrdif.days, "AGE")]
    serial = [np.asarray(f(start, end, b), dtype=float) for f, b in forms]
    with ThreadPoolExecutor(8) as pool:
        got = list(pool.map(lambda k: np.asarray(forms[k % 3][0](start, end, forms[k % 3][1]),
                                                 dtype=float), range(48)))
    assert all(np.array_equal(g.view(np.int64), serial[k % 3].view(np.int64)) for k, g in enumerate(got))
