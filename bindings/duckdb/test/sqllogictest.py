"""A runner for DuckDB's sqllogictest files (test/sql/*.test) through
DuckDB's Python package, for the part of the format these tests use:

    require yrdif                     load the extension (YRDIF_DUCKDB_EXTENSION)
    statement ok | statement error    then SQL up to a blank line; after an
                                      error, ---- and a text the message holds
    query <types> [rowsort]           then SQL, ----, and one line a row,
                                      values tab-separated, NULL for null

    sqllogictest.py FILE.test ...     runs them; the exit status tells
"""
import os
import sys

import duckdb


def render(v):
    return "NULL" if v is None else repr(v) if isinstance(v, float) else str(v)


def records(path):
    """(line number, header words, SQL, expected lines or None) per record:
    blocks of lines between blank lines, comments left out."""
    with open(path, encoding="utf-8") as f:
        text = f.read()
    line = 1
    for block in text.split("\n\n"):
        lines = [x for x in block.split("\n") if x.strip() and not x.startswith("#")]
        start = line + next((k for k, x in enumerate(block.split("\n")) if x in lines[:1]), 0)
        line += block.count("\n") + 2
        if not lines:
            continue
        body, _, want = "\n".join(lines[1:]).partition("\n----")
        yield start, lines[0].split(), body, want.strip("\n").split("\n") if _ else None


def failures(path, extension):
    """What goes wrong in one file's records, and how many records it has."""
    con = duckdb.connect(config={"allow_unsigned_extensions": "true"})
    wrong, count = [], 0
    for line, words, sql, want in records(path):
        count += 1
        where = f"{path}:{line}"
        try:
            if words[0] == "require":
                con.execute(f"LOAD '{extension}'")
            elif words[0] == "query":
                rows = ["\t".join(map(render, r)) for r in con.execute(sql).fetchall()]
                if "rowsort" in words:
                    rows, want = sorted(rows), sorted(want or [])
                if rows != (want or []):
                    wrong.append(f"{where}: got\n  " + "\n  ".join(rows))
            elif words[:2] == ["statement", "ok"]:
                con.execute(sql)
            elif words[:2] == ["statement", "error"]:
                con.execute(sql)
                wrong.append(f"{where}: no error")
            else:
                wrong.append(f"{where}: unknown record {' '.join(words)!r}")
        except duckdb.Error as e:
            if words[:2] != ["statement", "error"]:
                wrong.append(f"{where}: {e}")
            elif want and want[0] not in str(e):
                wrong.append(f"{where}: error {e!s} does not hold {want[0]!r}")
    return wrong, count


def main():
    wrong, count = [], 0
    for path in sys.argv[1:]:
        w, n = failures(path, os.environ["YRDIF_DUCKDB_EXTENSION"])
        wrong, count = wrong + w, count + n
    print("\n".join(wrong + [f"sqllogictest: {count - len(wrong)} passed, {len(wrong)} failed"]))
    return 1 if wrong else 0


if __name__ == "__main__":
    sys.exit(main())
