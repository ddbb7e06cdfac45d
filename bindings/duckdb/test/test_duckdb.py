"""The DuckDB extension against YRDIF through the module: golden cases that
the yrdif command writes during the run, in a table and in a Parquet file,
with a basis a row and with each basis as a constant, compared by bits.

    YRDIF_DUCKDB_EXTENSION=build/duckdb/linux_amd64/yrdif.duckdb_extension \
      python -m pytest bindings/duckdb/test
"""
import os
import struct
import sys

import duckdb
import pytest

TOP = os.path.abspath(os.path.join(os.path.dirname(__file__), "..", "..", ".."))
YRDIF = os.environ.get("YRDIF_COMMAND", os.path.join(TOP, "build", "bin", "yrdif"))
sys.path.insert(0, os.path.join(TOP, "bindings"))
from golden import MISSING, cases  # noqa: E402


def hexbits(x):
    return MISSING if x is None else struct.pack(">d", x).hex()


@pytest.fixture(scope="module")
def con():
    ext = os.environ.get("YRDIF_DUCKDB_EXTENSION")
    if not ext or not os.path.exists(ext):
        pytest.skip("set YRDIF_DUCKDB_EXTENSION to a built yrdif.duckdb_extension")
    c = duckdb.connect(config={"allow_unsigned_extensions": "true"})
    c.execute(f"LOAD '{ext}'")
    return c


def load(con, rows, kind, source, tmp_path):
    """The golden rows as the view g(i, s, e, basis), from a table or Parquet."""
    t = "DATE" if kind == "dates" else "DOUBLE"
    con.execute(f"CREATE OR REPLACE TABLE golden(i INTEGER, s {t}, e {t}, basis VARCHAR)")
    conv = str if kind == "dates" else float
    for at in range(0, len(rows), 500):
        part = rows[at:at + 500]
        params = [x for i, r in enumerate(part, at) for x in (i, conv(r["start"]), conv(r["end"]), r["basis"])]
        marks = ", ".join(f"(?, ?::{t}, ?::{t}, ?)" for _ in part)
        con.execute(f"INSERT INTO golden VALUES {marks}", params)
    if source == "parquet":
        path = tmp_path / "golden.parquet"
        con.execute(f"COPY golden TO '{path}' (FORMAT PARQUET, ROW_GROUP_SIZE 1000)")
        con.execute(f"CREATE OR REPLACE VIEW g AS SELECT * FROM read_parquet('{path}')")
    else:
        con.execute("CREATE OR REPLACE VIEW g AS SELECT * FROM golden")


@pytest.mark.parametrize("source", ["table", "parquet"])
@pytest.mark.parametrize("kind", ["dates", "values"])
def test_golden_cases(con, kind, source, tmp_path):
    """A basis a row over thousands of pairs (NULL where YRDIF gives the
    missing value); DATE pairs also as TIMESTAMPs late in the day and as
    texts."""
    rows = cases(YRDIF, kind, rows=3000, seed=21)
    load(con, rows, kind, source, tmp_path)
    q = "SELECT yrdif(s, e, basis) FROM g ORDER BY i"
    if kind == "dates":
        q = ("SELECT yrdif(s, e, basis), yrdif(s + INTERVAL 23 HOUR, e::TIMESTAMP, basis), "
             "yrdif(s::VARCHAR, e::VARCHAR, basis) FROM g ORDER BY i")
    for r, got in zip(rows, con.execute(q).fetchall(), strict=True):
        for g in got:
            assert hexbits(g) == r["years"], r


@pytest.mark.parametrize("kind", ["dates", "values"])
def test_constant_basis_is_each_rows(con, kind, tmp_path):
    """Each basis text of the cases given as a constant gives the bits that
    text gives a row at a time; yrdif_days is NULL exactly where yrdif is."""
    rows = cases(YRDIF, kind, rows=2000, seed=22)
    load(con, rows, kind, "table", tmp_path)
    for text in sorted({r["basis"] for r in rows}):
        want = [r["years"] for r in rows if r["basis"] == text]
        got = con.execute("SELECT yrdif(s, e, ?), yrdif_days(s, e, ?) FROM g WHERE basis = ? ORDER BY i",
                          [text, text, text]).fetchall()
        assert [hexbits(y) for y, _ in got] == want, text
        assert [d is None for _, d in got] == [y is None for y, _ in got], text
