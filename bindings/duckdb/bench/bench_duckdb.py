"""DuckDB: sum(yrdif(a, b, basis)) against sum(date_diff('day', a, b) /
365.25) over the same two DATE columns, from a table and from a Parquet
file, on one thread and on every core, in one process.  Prints a Markdown
table of the fastest of interleaved repetitions and their ratios.

    python bench_duckdb.py EXTENSION [--rows N] [--reps R]
"""
import argparse
import os
import random
import tempfile
import time

import duckdb

BASES = ["ACT/360", "ACT/365", "ACT/ACT", "30/360", "AGE"]


def target(basis):
    return "<= 1.5" if basis in ("ACT/360", "ACT/365") else "<= 2.5"


def main():
    ap = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    ap.add_argument("extension", help="the built yrdif.duckdb_extension")
    ap.add_argument("--rows", type=int, default=10_000_000)
    ap.add_argument("--reps", type=int, default=5)
    a = ap.parse_args()
    con = duckdb.connect(config={"allow_unsigned_extensions": "true"})
    con.execute(f"LOAD '{a.extension}'")
    # 1950 .. 2020, spans up to forty years, as the other bindings' benchmarks.
    con.execute(f"""CREATE TABLE t AS SELECT DATE '1950-01-01' + s AS a,
                    DATE '1950-01-01' + s + span AS b FROM (
                    SELECT (hash(i) % 25567)::INTEGER AS s, (hash(i + {a.rows}) % 14640)::INTEGER AS span
                    FROM range({a.rows}) r(i))""")
    tmp = tempfile.mkdtemp()
    parquet = os.path.join(tmp, "t.parquet")
    con.execute(f"COPY t TO '{parquet}' (FORMAT PARQUET)")
    sources = {"table": "t", "Parquet": f"read_parquet('{parquet}')"}
    queries = {}
    for src, frm in sources.items():
        queries[(src, "base")] = f"SELECT sum(date_diff('day', a, b) / 365.25) FROM {frm}"
        for b in BASES:
            queries[(src, b)] = f"SELECT sum(yrdif(a, b, '{b}')) FROM {frm}"
    cores = os.cpu_count()
    rng = random.Random(1)
    times = {(th, k): [] for th in (1, cores) for k in queries}
    for _ in range(a.reps):
        order = list(times)
        rng.shuffle(order)
        for th, k in order:
            con.execute(f"SET threads = {th}")
            t = time.perf_counter()
            con.execute(queries[k]).fetchone()
            times[(th, k)].append(time.perf_counter() - t)
    os.remove(parquet)
    os.rmdir(tmp)
    ms = {k: min(v) * 1e3 for k, v in times.items()}
    print(f"{a.rows:,} rows of two DATE columns, DuckDB {duckdb.__version__}, the fastest of {a.reps} "
          f"interleaved repetitions; ms per query.\n")
    print("| query | source | threads | ms | sum(date_diff('day', a, b) / 365.25) ms | ratio | target |")
    print("|---|---|---:|---:|---:|---:|---|")
    for src in sources:
        for b in BASES:
            for th in (1, cores):
                ours, base = ms[(th, (src, b))], ms[(th, (src, "base"))]
                print(f"| sum(yrdif(a, b, '{b}')) | {src} | {th} | {ours:.0f} | {base:.0f} | "
                      f"{ours / base:.2f} | {target(b)} |")
    for src in sources:
        for k in ("base", "ACT/ACT"):
            s = ms[(1, (src, k))] / ms[(cores, (src, k))]
            name = "date_diff / 365.25" if k == "base" else "yrdif ACT/ACT"
            print(f"\n{src}, {name}: {s:.2f} times as fast on {cores} threads as on one.", end="")
    print()


if __name__ == "__main__":
    main()
