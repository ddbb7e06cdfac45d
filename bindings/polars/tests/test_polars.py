"""The Polars plugin against YRDIF through the module: golden cases that the
yrdif command writes during the run, compared by bits, through every kind
of input column and every context an expression runs in."""
import datetime
import os
import re
import sys

import polars as pl
import pytest

import yrdif_polars
from yrdif_polars import yrdif, yrdif_days

sys.path.insert(0, os.path.join(os.path.dirname(__file__), "..", ".."))
import golden  # noqa: E402
from golden import COMMAND as YRDIF, MISSING, cases  # noqa: E402


def hexbits(col):
    return [golden.hexbits(x) for x in col]


@pytest.fixture(scope="module")
def dates():
    """Golden cases of calendar dates: columns s, e (Date), basis, want."""
    rows = cases(YRDIF, "dates", rows=4000, seed=31)
    return pl.DataFrame({
        "s": [r["start"] for r in rows], "e": [r["end"] for r in rows],
        "basis": [r["basis"] for r in rows], "want": [r["years"] for r in rows],
    }).with_columns(pl.col("s", "e").str.to_date())


@pytest.fixture(scope="module")
def values():
    """Golden cases of the host's date values (NaN among them) as Float64."""
    rows = cases(YRDIF, "values", rows=4000, seed=32)
    return pl.DataFrame({
        "s": [float(r["start"]) for r in rows], "e": [float(r["end"]) for r in rows],
        "basis": [r["basis"] for r in rows], "want": [r["years"] for r in rows],
    })


def local(col, unit, zone, time):
    """The Date column as wall-clock instants of that day in a zone."""
    return pl.col(col).cast(pl.Datetime(unit)).dt.offset_by(time).dt.replace_time_zone(zone)


@pytest.mark.parametrize("form", ["Date", "Float64", "ms Etc/GMT-14 30m", "us Etc/GMT+12 23h30m",
                                  "us America/New_York 12h", "us naive 23h59m"])
def test_golden_cases_a_basis_a_row(dates, values, form):
    """Each form of date column, a basis a row: the bits YRDIF gives."""
    df = values if form == "Float64" else dates
    if " " in form:
        unit, zone, time = form.split()
        zone = None if zone == "naive" else zone
        df = df.with_columns(local("s", unit, zone, time), local("e", unit, zone, time))
    got = df.select(yrdif("s", "e", pl.col("basis"))).to_series()
    assert got.dtype == pl.Float64
    assert hexbits(got) == df["want"].to_list()


def test_literal_basis_is_each_rows(dates, values):
    """Each basis text as a literal, read once, gives what it gives a row;
    one that no rule accepts is an error naming it."""
    for df in (dates, values):
        for (text,), part in df.group_by("basis"):
            if yrdif_polars.basis_name(text) is None:
                with pytest.raises(ValueError, match=re.escape(f"no basis is read from '{text}' (")):
                    yrdif("s", "e", text)
                continue
            got = part.select(y=yrdif("s", "e", text), d=pl.col("s").yrdif.days("e", basis=text))
            assert hexbits(got["y"]) == part["want"].to_list(), text
            assert got["d"].is_null().to_list() == got["y"].is_null().to_list(), text


def test_chunked_sliced_and_every_context(dates):
    """Many chunks, an offset slice, group_by().agg, over, lazy, streaming:
    every row still gets its own bits."""
    df = dates.with_row_index("i").with_columns(
        s=pl.when(pl.col("i") % 11 == 3).then(None).otherwise("s"),
        e=pl.when(pl.col("i") % 13 == 5).then(None).otherwise("e"),
        want=pl.when((pl.col("i") % 11 == 3) | (pl.col("i") % 13 == 5)).then(pl.lit(MISSING)).otherwise("want"))
    chunked = pl.concat([df[k:k + 333] for k in range(0, len(df), 333)], rechunk=False)
    assert chunked.n_chunks() > 1
    y = yrdif("s", "e", pl.col("basis"))
    want = df["want"].to_list()
    assert hexbits(chunked.select(y).to_series()) == want
    assert hexbits(chunked[1001:2999].select(y).to_series()) == want[1001:2999]
    big = pl.concat([df] * 301, rechunk=True)[5:]  # one long column, in parts on threads
    assert hexbits(big.select(y).to_series()) == (want * 301)[5:]
    d = yrdif_days("s", "e", pl.col("basis"))
    assert big.select(d).to_series().to_list() == (df.select(d).to_series().to_list() * 301)[5:]
    agg = chunked.group_by("basis").agg("i", y=y).explode("i", "y").sort("i")
    assert hexbits(agg["y"]) == want
    assert hexbits(chunked.select(y.over("basis")).to_series()) == want
    lazy = chunked.lazy().with_columns(y=y).filter(pl.col("i") % 2 == 0)
    for engine in ("in-memory", "streaming"):
        assert hexbits(lazy.collect(engine=engine)["y"]) == want[::2]


def test_literal_dates_nulls_and_errors(dates):
    df = dates.head(50).with_columns(e=pl.when(pl.int_range(50) % 7 == 0).then(None).otherwise("e"))
    y = df.select(
        a=yrdif(datetime.date(2000, 1, 1), "e", "ACT/ACT"),
        b=yrdif(pl.lit(datetime.date(2000, 1, 1)), pl.col("e"), pl.lit("ACT/ACT")),
        t=yrdif(datetime.datetime(2000, 1, 1, 23, tzinfo=datetime.timezone(-datetime.timedelta(hours=5))),
                "e", "ACT/ACT"),
        c=yrdif(pl.lit(None, pl.Date), "e"), d=yrdif("s", "e", pl.lit(None, pl.String)),
        n=yrdif("s", "e", pl.lit(None)),
    )
    assert hexbits(y["a"]) == hexbits(y["b"]) == hexbits(y["t"])
    assert df.clear().select(yrdif("s", datetime.date(2000, 1, 1))).height == 0  # a literal, no rows
    assert y["a"].is_null().to_list() == df["e"].is_null().to_list()
    assert y["c"].null_count() == y["d"].null_count() == y["n"].null_count() == 50
    assert pl.select(yrdif_days(datetime.date(4000, 2, 28), datetime.date(4000, 3, 1), "ACT/365")).item() == 2
    assert pl.select(yrdif(datetime.date(4000, 2, 29), datetime.date(4000, 3, 1))).item() is None
    top = 2**63 - 1  # wall-clock times past int64 in nanoseconds, or past Polars' years in ms
    for unit, want in (("ns", [-106752, 106752]), ("ms", [None, None])):
        edge = pl.Series([top, -top]).cast(pl.Datetime(unit)).dt.replace_time_zone("UTC")
        got = pl.select(yrdif_days(edge.dt.convert_time_zone("Asia/Tokyo"), datetime.date(1970, 1, 1), "ACT/ACT"))
        assert got.to_series().to_list() == want, unit
    assert yrdif_polars.basis_name(" act/360") == "ACT/360" and yrdif_polars.basis_name("x") is None
    with pytest.raises(ValueError, match="from '" + "é" * 40 + r"'\.\.\. \("):
        yrdif("s", "e", "é" * 41)
    for s, hint in ((1, r"i64; .* values \(cast integer days with \.cast\(pl\.Date\)\)"),
                    ("2000-01-01", r"str; .* values \(parse texts with \.str\.to_date\(\)\)"),
                    (True, r"bool; .* values(?! \()")):
        with pytest.raises(pl.exceptions.ComputeError, match="start 's' is " + hint):
            pl.DataFrame({"s": [s], "e": [2.0]}).select(yrdif("s", "e"))
    with pytest.raises(TypeError, match="basis"):
        yrdif("s", "e", 3)
    with pytest.raises(TypeError, match="basis_name takes a str, not bytes"):
        yrdif_polars.basis_name(b"ACT")
    with pytest.raises(pl.exceptions.ComputeError, match="yrdif: end has 2 rows where the others"):
        pl.DataFrame({"s": [0.0] * 3}).select(yrdif("s", pl.Series([0.0, 1.0])))


def test_every_other_dtype_is_a_named_error(dates):
    """Inputs of any other dtype are errors that name them, never a crash;
    Categorical and Enum bases are read as their texts."""
    df = dates.head(40)
    for start in (pl.col("s").cast(pl.String), pl.col("s").cast(pl.Int32), pl.lit(1, pl.UInt16),
                  pl.lit(1, pl.Int128), pl.lit(14610).cast(pl.Decimal(10, 2)), pl.struct("s"),
                  pl.concat_list("s").cast(pl.Array(pl.Date, 1)), pl.lit(True), pl.col("e") - pl.col("s")):
        with pytest.raises(pl.exceptions.ComputeError, match="; dates are Date, Datetime or Float64"):
            df.select(yrdif(start, "e"))
    with pytest.raises(pl.exceptions.ComputeError, match="a basis is a text"):
        df.select(yrdif("s", "e", pl.lit(3)))
    for t in (pl.Categorical, pl.Enum(sorted(set(df["basis"])))):
        got = df.select(yrdif("s", "e", pl.col("basis").cast(t))).to_series()
        assert hexbits(got) == df["want"].to_list(), t
