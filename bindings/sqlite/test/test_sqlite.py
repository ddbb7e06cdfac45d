"""The SQLite extension against YRDIF through the module (golden cases that
the yrdif command writes during the run), compared by bits, and its reading
of SQLite's date forms, NULLs and bad bases."""
import os
import sqlite3
import struct
import sys

import pytest

TOP = os.path.abspath(os.path.join(os.path.dirname(__file__), "..", "..", ".."))
BUILD = os.environ.get("TKYRDIF_BUILD", os.path.join(TOP, "build"))
EXT = os.path.join(BUILD, "sqlite", "yrdif")
YRDIF = os.path.join(BUILD, "bin", "yrdif")
sys.path.insert(0, os.path.join(TOP, "bindings"))
from golden import MISSING, cases  # noqa: E402


def hexbits(x):
    """The bits of a result; SQL NULL is the module's missing value."""
    return MISSING if x is None else struct.pack(">d", x).hex()


@pytest.fixture(scope="module")
def db():
    if not os.path.exists(EXT + ".so"):
        pytest.skip(f"no extension at {EXT}.so (build it first)")
    c = sqlite3.connect(":memory:")
    c.enable_load_extension(True)
    c.load_extension(EXT)
    return c


@pytest.mark.parametrize("kind", ["values", "dates"])
def test_golden_cases(db, kind):
    """Random pairs over the calendar, every basis form, text and BLOB: the
    bits of YRDIF and YRDIF# through the module.  A basis no rule accepts
    is an error, where YRDIF has no result."""
    fn, conv = ("yrdif_dv", float) if kind == "values" else ("yrdif", str)
    for r in cases(YRDIF, kind, rows=3000, seed=11):
        for basis, want in ((r["basis"], r["years"]), (r["basis"].encode(), r["years_bytes"])):
            args = (conv(r["start"]), conv(r["end"]), basis)
            try:
                got = hexbits(db.execute(f"select {fn}(?, ?, ?)", args).fetchone()[0])
            except sqlite3.OperationalError as err:
                assert "is not recognised" in str(err)
                got = MISSING
            assert got == want, (r, basis)


# (expression, expected result: a float, None for NULL)
CASES = [
    ("yrdif('2000-01-01', '2001-07-01', 'ACT/ACT')", 1.4958904109589042),
    ("yrdif('2000-02-29', '2001-02-28')", 1.0),
    ("yrdif(2451544.5, '2001-07-01', 'ACT/ACT')", 1.4958904109589042),  # Julian day number
    ("yrdif('2451544.5', '2001-07-01T10:20:30.5', 'ACT/ACT')", 1.4958904109589042),
    ("yrdif('2000-01-01 23:30:00-05:00', '2001-01-01', 'ACT/365')", 1.0),  # zone moves the day
    ("yrdif('2000-01-01T00:30:00.5Z', '2000-01-02 00:00 +01:00', 'ACT/365')", 0.0),
    ("yrdif('2000-01-01 23:10-00:55', '2001-01-01', 'ACT/365')", 1.0),  # hours and minutes count
    ("yrdif('2000-01-01 00:30+00:59', '2001-01-01', 'ACT/365')", 367 / 365),
    ("yrdif('2000-01-01 23:59:59.95-00:00', '2001-01-01', 'ACT/365')", 366 / 365),
    ("yrdif('2000-01-01 24:00', '2001-01-01', 'ACT/365')", 366 / 365),  # as date() reads it
    ("yrdif('12:00', '2001-01-01', 'ACT/ACT')", 1.0),  # a time alone is 2000-01-01
    ("yrdif_dv(14610, 15157.9, 'act/365')", 1.4986301369863013),
    ("yrdif_dv('14610', 15157, x'41435420')", 1.4958904109589042),  # BLOB: YRDIF# rules
    ("yrdif('2001-02-30', '2002-01-01')", None),
    ("yrdif('1581-12-31', '2002-01-01')", None),
    ("yrdif('-2000-01-01', '2002-01-01')", None),
    ("yrdif(' 2000-01-01', '2002-01-01')", None),
    ("yrdif('2000-01-01 25:00', '2002-01-01')", None),
    ("yrdif('2000-01-01 12:00:5x', '2002-01-01')", None),
    ("yrdif('2000-01-01 12:00+5', '2002-01-01')", None),
    ("yrdif('now', '2002-01-01')", None),
    ("yrdif(x'00', '2002-01-01')", None),
    ("yrdif(-1, '2002-01-01')", None),
    ("yrdif(NULL, '2002-01-01')", None),
    ("yrdif('2000-01-01', '2002-01-01', NULL)", None),
    ("yrdif_dv(6589336, 0)", None),
    ("yrdif_dv(9e999, 0)", None),
    ("yrdif_dv('x', 0)", None),
]


@pytest.mark.parametrize("expr,want", CASES, ids=[c[0] for c in CASES])
def test_forms(db, expr, want):
    got = db.execute(f"select {expr}").fetchone()[0]
    assert hexbits(got) == hexbits(want)


def test_bad_basis_is_an_error_and_constants_are_parsed_once(db):
    for basis in ("'bogus'", "''", "'   '", "'ACT'", "x''"):
        rules = "YRDIF#" if basis[0] == "x" else "YRDIF"
        with pytest.raises(sqlite3.OperationalError, match=f"is not recognised by the {rules} rules"):
            db.execute(f"select yrdif('2000-01-01', '2001-01-01', {basis})").fetchone()
    db.execute("create table t(a, b, basis)")
    db.executemany("insert into t values (?, ?, ?)",
                   [("2000-01-01", f"20{i:02d}-06-30", "ACT/ACT" if i % 2 else "AGE")
                    for i in range(40)])
    per_row = db.execute("select yrdif(a, b, basis) from t").fetchall()
    const = db.execute("select yrdif(a, b, 'ACT/ACT'), yrdif(a, b) from t").fetchall()
    assert [r[0] for r in per_row] == [c[i % 2 == 0] for i, c in enumerate(const)]
    # Deterministic and innocuous: it may serve in an index and a generated column.
    db.execute("create index ti on t(yrdif(a, b, 'ACT/365'))")
    db.execute("create table g(a, b, y as (yrdif(a, b)))")
    db.execute("insert into g values ('2000-02-29', '2001-02-28')")
    assert db.execute("select y from g").fetchone()[0] == 1.0
