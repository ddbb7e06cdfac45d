"""A runner for DuckDB's sqllogictest files (test/sql/*.test) through
DuckDB's Python package, for the part of the format these tests use:

    require yrdif                     load the extension (YRDIF_DUCKDB_EXTENSION)
    statement ok | statement error    then SQL up to a blank line; after an
                                      error, ---- and a text the message holds
    query <types> [nosort|rowsort]    then SQL, ----, and one line a row,
                                      values tab-separated, NULL for null

    sqllogictest.py FILE.test ...     runs them; the exit status tells
"""
import os
import sys

import duckdb


def render(v):
    if v is None:
        return "NULL"
    if isinstance(v, float):
        return repr(v)
    return str(v)


def blocks(path):
    """(line number, header words, SQL, expected lines) per record."""
    with open(path, encoding="utf-8") as f:
        lines = f.read().split("\n")
    i = 0
    while i < len(lines):
        line = lines[i].strip()
        if not line or line.startswith("#"):
            i += 1
            continue
        start, words, body, want = i + 1, line.split(), [], None
        i += 1
        while i < len(lines) and lines[i].strip():
            if lines[i].strip() == "----":
                want = []
            elif want is None:
                body.append(lines[i])
            else:
                want.append(lines[i])
            i += 1
        yield start, words, "\n".join(body), want


def run(path, extension):
    """The failures of one file's records, and how many records it has."""
    con = duckdb.connect(config={"allow_unsigned_extensions": "true"})
    failures = []
    records = 0
    for line, words, sql, want in blocks(path):
        records += 1
        where = f"{path}:{line}"
        if words[0] == "require":
            con.execute(f"LOAD '{extension}'")
        elif words[0] == "statement":
            try:
                con.execute(sql)
                if words[1] == "error":
                    failures.append(f"{where}: no error")
            except duckdb.Error as e:
                if words[1] == "ok":
                    failures.append(f"{where}: {e}")
                elif want and want[0] not in str(e):
                    failures.append(f"{where}: error {e!s} does not hold {want[0]!r}")
        elif words[0] == "query":
            try:
                rows = ["\t".join(render(v) for v in r) for r in con.execute(sql).fetchall()]
            except duckdb.Error as e:
                failures.append(f"{where}: {e}")
                continue
            if "rowsort" in words:
                rows, want = sorted(rows), sorted(want or [])
            if rows != (want or []):
                failures.append(f"{where}: got\n  " + "\n  ".join(rows))
        else:
            failures.append(f"{where}: unknown record {words[0]!r}")
    return failures, records


def main():
    extension = os.environ["YRDIF_DUCKDB_EXTENSION"]
    failures, records = [], 0
    for path in sys.argv[1:]:
        f, n = run(path, extension)
        failures += f
        records += n
    if failures:
        print("\n".join(failures))
    print(f"sqllogictest: {records - len(failures)} passed, {len(failures)} failed")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
