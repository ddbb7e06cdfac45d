"""PostgreSQL: sum(yrdif(a, b, 'ACT/ACT')) against sum((b - a) / 365.25) over
the same table of dates, serial and with parallel workers, timed by the
server (EXPLAIN ANALYZE without per-node timing).  Run inside a cluster
with the extension installed (pg_virtualenv).  Prints a Markdown table of
the fastest of interleaved repetitions and their ratios.

    python bench_pg.py [--rows N] [--reps R]
"""
import argparse
import json
import random
import subprocess


def psql(sql):
    return subprocess.run(["psql", "-X", "-q", "-At", "-v", "ON_ERROR_STOP=1", "-c", sql],
                          check=True, capture_output=True, text=True).stdout


def main():
    ap = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    ap.add_argument("--rows", type=int, default=10_000_000)
    ap.add_argument("--reps", type=int, default=5)
    a = ap.parse_args()
    psql("CREATE EXTENSION IF NOT EXISTS yrdif; DROP TABLE IF EXISTS bench;"
         "CREATE TABLE bench AS SELECT date '1950-01-01' + (i % 25000) AS a,"
         " date '1950-01-01' + (i % 25000) + (i::bigint * 7919 % 14600)::int AS b"
         f" FROM generate_series(1, {a.rows}) i")
    psql("VACUUM ANALYZE bench")
    queries = {"baseline": "sum((b - a) / 365.25)", "ACT/ACT": "sum(yrdif(a, b, 'ACT/ACT'))",
               "ACT/365": "sum(yrdif(a, b, 'ACT/365'))"}
    modes = {"serial": "SET max_parallel_workers_per_gather = 0;",
             "parallel": "SET max_parallel_workers_per_gather = 2; SET parallel_setup_cost = 0;"
                         " SET min_parallel_table_scan_size = 0;"}
    times = {(q, m): [] for q in queries for m in modes}
    rng = random.Random(1)
    for _ in range(a.reps):
        keys = list(times)
        rng.shuffle(keys)
        for q, m in keys:
            out = psql(f"{modes[m]} EXPLAIN (ANALYZE, TIMING OFF, FORMAT JSON) "
                       f"SELECT {queries[q]} FROM bench")
            times[(q, m)].append(json.loads(out)[0]["Execution Time"])
    best = {k: min(v) for k, v in times.items()}
    print(f"{a.rows:,} rows of two date columns, server execution time, the fastest of {a.reps} "
          "interleaved repetitions.\n")
    print("| query | mode | ms | (b - a) / 365.25 ms | ratio | target |")
    print("|---|---|---:|---:|---:|---|")
    for q in ("ACT/ACT", "ACT/365"):
        for m in modes:
            r = best[(q, m)] / best[("baseline", m)]
            print(f"| {queries[q]} | {m} | {best[(q, m)]:.0f} | {best[('baseline', m)]:.0f} | "
                  f"{r:.2f} | {'<= 1.2' if q == 'ACT/ACT' else ''} |")


if __name__ == "__main__":
    main()
