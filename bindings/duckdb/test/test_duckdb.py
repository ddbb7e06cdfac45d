"""The DuckDB extension against YRDIF through the module: golden cases that
the yrdif command writes during the run, in a table and in a Parquet file,
with a basis a row and with each basis as a constant, compared by bits.

    YRDIF_DUCKDB_EXTENSION=build/duckdb/linux_amd64/yrdif.duckdb_extension \
      python -m pytest bindings/duckdb/test
"""
import os
import sys

import duckdb
import pytest

sys.path.insert(0, os.path.join(os.path.dirname(__file__), "..", ".."))
from golden import COMMAND as YRDIF, MISSING, cases, hexbits  # noqa: E402


@pytest.fixture(scope="module")
def con():
    ext = os.environ.get("YRDIF_DUCKDB_EXTENSION")
    if not ext or not os.path.exists(ext):
        pytest.skip("set YRDIF_DUCKDB_EXTENSION to a built yrdif.duckdb_extension")
    c = duckdb.connect(config={"allow_unsigned_extensions": "true"})
    c.execute(f"LOAD '{ext}'")
    return c


@pytest.mark.parametrize("kind", ["dates", "values"])
def test_golden_cases(con, kind, tmp_path):
    """A basis a row over thousands of pairs, NULL dates among them, from a
    table and from Parquet (NULL where YRDIF gives the missing value or a
    date is NULL), DATE pairs also as
    TIMESTAMPs late in the day and as texts; and each basis text as a
    constant, with yrdif_days NULL exactly where yrdif is."""
    rows = cases(YRDIF, kind, rows=3000, seed=21)
    null = [(i % 11 == 3, i % 17 == 5) for i in range(len(rows))]
    years = [MISSING if any(n) else r["years"] for n, r in zip(null, rows)]
    t, conv = ("DATE", str) if kind == "dates" else ("DOUBLE", float)
    con.execute(f"CREATE OR REPLACE TABLE golden(i INTEGER, s {t}, e {t}, basis VARCHAR)")
    for at in range(0, len(rows), 500):
        part = rows[at:at + 500]
        params = [x for i, r in enumerate(part, at) for x in (
            i, None if null[i][0] else conv(r["start"]), None if null[i][1] else conv(r["end"]), r["basis"])]
        con.execute("INSERT INTO golden VALUES " + ", ".join(f"(?, ?::{t}, ?::{t}, ?)" for _ in part), params)
    path = tmp_path / "golden.parquet"
    con.execute(f"COPY golden TO '{path}' (FORMAT PARQUET, ROW_GROUP_SIZE 1000)")
    q = "SELECT yrdif(s, e, basis) FROM {} ORDER BY i"
    if kind == "dates":
        q = ("SELECT yrdif(s, e, basis), yrdif(s + INTERVAL 23 HOUR, e::TIMESTAMP, basis), "
             "yrdif(s::VARCHAR, e::VARCHAR, basis) FROM {} ORDER BY i")
    for source in ("golden", f"read_parquet('{path}')"):
        for want, r, got in zip(years, rows, con.execute(q.format(source)).fetchall(), strict=True):
            assert [hexbits(g) for g in got] == [want] * len(got), (source, r)
    for text in sorted({r["basis"] for r in rows}):
        want = [y for y, r in zip(years, rows) if r["basis"] == text]
        got = con.execute("SELECT yrdif(s, e, ?), yrdif_days(s, e, ?) FROM golden WHERE basis = ? "
                          "ORDER BY i", [text, text, text]).fetchall()
        assert [hexbits(y) for y, _ in got] == want, text
        assert [d is None for _, d in got] == [y is None for y, _ in got], text
