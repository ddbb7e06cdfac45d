"""The SQLite extension against YRDIF through the module (golden cases that
the yrdif command writes during the run), compared by bits, and its reading
of SQLite's date forms, NULLs and bad bases."""
import os
import random
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
    bits of YRDIF and YRDIF# through the module (NULL where it has none)."""
    fn, conv = ("yrdif_dv", float) if kind == "values" else ("yrdif", str)
    for r in cases(YRDIF, kind, rows=3000, seed=11):
        for basis, want in ((r["basis"], r["years"]), (r["basis"].encode(), r["years_bytes"])):
            args = (conv(r["start"]), conv(r["end"]), basis)
            got = hexbits(db.execute(f"select {fn}(?, ?, ?)", args).fetchone()[0])
            assert got == want, (r, basis)


# Texts at the edges of what date() reads (SQLite 3.40): times to 24:00,
# zones that move the day or not, overflowing days, blanks, BLOBs, numbers.
EDGES = ["2000-02-31", "2000-02-31 00:00+00:01", "2000-01-01 24:00", "24:00", "23:59:59.9995",
         "2000-01-01Z", "2000-01-01 +05:00", "2000-01-01 10:00 Z", "2000-01-01\r\n",
         "2000-01-01\t10:00", "2000-01-01TT10:00", "2000-01-01 10:00:00.", "12:00 -05:00 ",
         "2000-01-01 10:00:00." + "9" * 400 + "Z", "9999-12-31 24:00", "9999-12-31 23:00-05:00",
         "1582-01-01 00:00+00:01", "4000-02-29", "4000-02-29 23:00-01:00", "2000-01-01\x00x",
         "+2451544.5", " 2451544.5", "0x2587D9", "1.", "2e", ".5e7", "5373484.5", "2299160.5",
         "-0001-01-01", "2000-13-01", "2000-1-1", "20000101", "now", ""]
PIECES = ["2000", "4000", "1582", "9999", "-", "01", "1", "31", "02", "29", " ", "T", ":", "24",
          "00", "59", ".", "5", "Z", "+", "14", "e", "\t", "12"]
# The command's forms that date() has no reading for, read as the command does.
EXTRA = {" 2000-01-01": "2000-01-01", "+2000-01-01": "2000-01-01", "60-01-01": "1960-01-01",
         "+20000-12-31": "+20000-12-31"}


def test_dates_as_date_reads_them(db):
    """Every text, as a TEXT and as a BLOB, gives what the date that date()
    reads from it gives (NULL where date() reads none), but for the
    command's own forms that date() lacks, and 'now', which yrdif, being
    deterministic, does not read."""
    rng = random.Random(5)
    texts = EDGES + list(EXTRA) + ["".join(rng.choice(PIECES) for _ in range(rng.randint(1, 9)))
                                   for _ in range(20000)]
    q = ("select yrdif(?1, '2001-01-01', 'ACT/365') is yrdif(coalesce(?2, date(?1)), "
         "'2001-01-01', 'ACT/365') and yrdif(cast(?1 as blob), 0.5) is yrdif(?1, 0.5)")
    wrong = [t for t in texts
             if t != "now" and not db.execute(q, (t, EXTRA.get(t))).fetchone()[0]]
    assert wrong == []
    assert db.execute("select yrdif('now', '2001-01-01')").fetchone()[0] is None


# (expression, expected result: a float, None for NULL)
CASES = [
    ("yrdif(2451544.5, '2001-07-01', 'ACT/ACT')", 1.4958904109589042),  # Julian day number
    ("yrdif('2000-01-01 23:30:00-05:00', '2001-01-01', 'ACT/365')", 1.0),  # zone moves the day
    ("yrdif_dv(14610, 15157.9, 'act/365')", 1.4986301369863013),
    ("yrdif_dv('14610', 15157, x'41435420')", 1.4958904109589042),  # BLOB: YRDIF# rules
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


def test_bad_basis_gives_null_and_constants_are_parsed_once(db):
    """A basis no rule accepts gives NULL, a literal as a column's, and
    yrdif_basis tells how a text is read."""
    for basis in ("'bogus'", "''", "'ACT'", "x''", "'é" + "x" * 70 + "'"):
        assert db.execute(f"select yrdif('2000-01-01', '2001-01-01', {basis}), "
                          f"yrdif_basis({basis})").fetchone() == (None, None)
    assert db.execute("select yrdif_basis('A/360'), yrdif_basis(x'414354')").fetchone() == \
        ("30/360", "ACT/ACT")
    db.execute("create table t(a, b, basis)")
    db.executemany("insert into t values (?, ?, ?)",
                   [("2000-01-01", f"20{i:02d}-06-30", ("ACT/ACT", "AGE", "bogus")[i % 3])
                    for i in range(40)])
    per_row = db.execute("select yrdif(a, b, basis) from t").fetchall()
    const = db.execute("select yrdif(a, b, 'ACT/ACT'), yrdif(a, b), null from t").fetchall()
    assert [r[0] for r in per_row] == [c[i % 3] for i, c in enumerate(const)]
    # Deterministic and innocuous: it may serve in an index and a generated column.
    db.execute("create index ti on t(yrdif(a, b, 'ACT/365'))")
    db.execute("create table g(a, b, y as (yrdif(a, b)))")
    db.execute("insert into g values ('2000-02-29', '2001-02-28')")
    assert db.execute("select y from g").fetchone()[0] == 1.0
