"""The SQLite extension against YRDIF through the module (golden cases that
the yrdif command writes during the run), compared by bits, and its reading
of SQLite's date forms, NULLs and bad bases."""
import os
import sqlite3
import sys
import time
from concurrent.futures import ThreadPoolExecutor

import pytest

sys.path.insert(0, os.path.join(os.path.dirname(__file__), "..", ".."))
from golden import BUILD, COMMAND as YRDIF, MISSING, cases, hexbits  # noqa: E402

EXT = os.path.join(BUILD, "sqlite", "yrdif")


def connect(path=":memory:"):
    c = sqlite3.connect(path, check_same_thread=False)
    c.enable_load_extension(True)
    c.load_extension(EXT)
    return c


@pytest.fixture(scope="module")
def db():
    if not os.path.exists(EXT + ".so"):
        pytest.skip(f"no extension at {EXT}.so (build it first)")
    return connect()


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


# (expression, expected result: a float, None for NULL).  What date() reads
# is read as date() reads it: the hostile table (bindings/tests/test_hostile.py)
# walks thousands of texts; here the line ends of a CRLF import, which its
# CSV rows cannot hold, and 'now', which yrdif, being deterministic, does not read.
CASES = [
    ("yrdif('2000-01-01\r\n', '2001-01-01', 'ACT/365')", 1.0027397260273974),
    ("yrdif('2000-01-01 10:00\r', '2001-01-01', 'ACT/365')", 1.0027397260273974),
    ("yrdif('now', '2001-01-01')", None),
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
    assert db.execute("select yrdif_basis('bogus'), yrdif_basis(x''), "
                      "yrdif('2000-01-01', '2001-01-01', 'bogus')").fetchone() == (None,) * 3
    assert db.execute("select yrdif_basis('A/360'), yrdif_basis(x'414354')").fetchone() == \
        ("30/360", "ACT/ACT")
    db.execute("create table t(a, b, basis)")
    db.executemany("insert into t values (?, ?, ?)",
                   [("2000-01-01", f"20{i:02d}-06-30", ("ACT/ACT", "AGE", "bogus")[i % 3])
                    for i in range(40)])
    for end in ("b", "'2030-06-30'"):  # a literal beside a column of bases too
        per_row = db.execute(f"select yrdif(a, {end}, basis) from t").fetchall()
        const = db.execute(f"select yrdif(a, {end}, 'ACT/ACT'), yrdif(a, {end}), null from t").fetchall()
        assert [r[0] for r in per_row] == [c[i % 3] for i, c in enumerate(const)]
    for call in ("yrdif(1)", "yrdif(1, 2, 'AGE', 4)", "yrdif_dv(1)", "yrdif_basis()"):
        with pytest.raises(sqlite3.OperationalError, match="wrong number of arguments"):
            db.execute(f"select {call}")
    # Deterministic and innocuous: it may serve in an index and a generated column.
    db.execute("create index ti on t(yrdif(a, b, 'ACT/365'))")
    db.execute("create table g(a, b, y as (yrdif(a, b)))")
    db.execute("insert into g values ('2000-02-29', '2001-02-28')")
    assert db.execute("select y from g").fetchone()[0] == 1.0


def test_eight_threads_on_their_own_connections(db, tmp_path):
    """Eight threads, each on its own connection to one database file with
    the extension loaded, evaluate the same table over and over for a
    bounded time: every pass has the bits of the serial pass."""
    path = str(tmp_path / "load.db")
    rows = cases(YRDIF, "dates", rows=2000, seed=12)
    with connect(path) as setup:
        setup.execute("create table t(i, a, b, basis)")
        setup.executemany("insert into t values (?, ?, ?, ?)", [
            (i, r["start"] if i % 11 else None, r["end"], r["basis"]) for i, r in enumerate(rows)])
    q = "select yrdif(a, b, basis), yrdif(a, b, 'ACT/ACT'), yrdif_dv(i, 14610) from t order by i"

    def passes(c, seconds):
        """The bits of each pass over the table for that long (at least one)."""
        deadline, out = time.monotonic() + seconds, []
        while time.monotonic() < deadline or not out:
            out.append([tuple(map(hexbits, r)) for r in c.execute(q)])
        return out

    serial = passes(connect(path), 0)[0]
    assert [r[0] for r in serial] == [MISSING if i % 11 == 0 else r["years"] for i, r in enumerate(rows)]
    with ThreadPoolExecutor(8) as pool:
        got = list(pool.map(lambda _: passes(connect(path), 3), range(8)))
    assert len(got) == 8 and all(p == serial for g in got for p in g)
