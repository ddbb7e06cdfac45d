"""SQLite: sum(yrdif(a, b, basis)) against sum((julianday(b) - julianday(a))
/ 365.25) over the same table of ISO date texts, in one process.  Prints a
Markdown table of the fastest of interleaved repetitions and their ratios.

    python bench_sqlite.py EXTENSION [--rows N] [--reps R]
"""
import argparse
import datetime as dt
import random
import sqlite3
import time


def main():
    ap = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    ap.add_argument("extension", help="the extension, e.g. build/sqlite/yrdif")
    ap.add_argument("--rows", type=int, default=1_000_000)
    ap.add_argument("--reps", type=int, default=5)
    a = ap.parse_args()
    db = sqlite3.connect(":memory:")
    db.enable_load_extension(True)
    db.load_extension(a.extension)
    rng = random.Random(1)
    base = dt.date(1950, 1, 1).toordinal()
    db.execute("create table t(a text, b text)")
    rows = []
    for _ in range(a.rows):
        s = base + rng.randrange(25000)
        rows.append((dt.date.fromordinal(s).isoformat(),
                     dt.date.fromordinal(s + rng.randrange(40 * 366)).isoformat()))
    db.executemany("insert into t values (?, ?)", rows)
    queries = {
        "julianday": "select sum((julianday(b) - julianday(a)) / 365.25) from t",
        "ACT/ACT": "select sum(yrdif(a, b, 'ACT/ACT')) from t",
        "ACT/365": "select sum(yrdif(a, b, 'ACT/365')) from t",
        "AGE": "select sum(yrdif(a, b)) from t",
    }
    times = {k: [] for k in queries}
    for _ in range(a.reps):
        order = list(queries)
        rng.shuffle(order)
        for k in order:
            t = time.perf_counter()
            db.execute(queries[k]).fetchone()
            times[k].append(time.perf_counter() - t)
    best = {k: min(v) / a.rows * 1e9 for k, v in times.items()}
    print(f"{a.rows:,} rows of ISO date texts, the fastest of {a.reps} interleaved repetitions; "
          "ns per row.\n")
    print("| query | ns per row | julianday expression ns | ratio | target |")
    print("|---|---:|---:|---:|---|")
    for k in ("ACT/ACT", "ACT/365", "AGE"):
        target = "<= 1.5" if k == "ACT/ACT" else ""
        print(f"| sum(yrdif(a, b{'' if k == 'AGE' else f', {k!r}'})) | {best[k]:.0f} | "
              f"{best['julianday']:.0f} | {best[k] / best['julianday']:.2f} | {target} |")


if __name__ == "__main__":
    main()
