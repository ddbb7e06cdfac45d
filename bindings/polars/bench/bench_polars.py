"""Polars: yrdif_polars.yrdif(a, b, basis).sum() against
((b - a).dt.total_days() / 365.25).sum() over the same two Date columns
with 1% nulls, lazily, in Polars' in-memory and streaming engines, on one
thread and on every core (each thread count in a process of its own, as
Polars fixes its pool when imported; both expressions in that process).
Prints a Markdown table of the fastest of interleaved repetitions and ratios.

    python bench_polars.py [--rows N] [--reps R]
"""
import argparse
import json
import os
import random
import subprocess
import sys
import time

BASES = ["ACT/360", "ACT/365", "ACT/ACT", "30/360", "AGE"]
ENGINES = ["in-memory", "streaming"]


def target(basis):
    return "<= 1.5" if basis in ("ACT/360", "ACT/365") else "<= 2.5"


def measure(rows, reps):
    """Median seconds of each (engine, basis or 'base') in this process."""
    import polars as pl

    import yrdif_polars

    # 1950 .. 2020, spans up to forty years, 1% nulls in each column.
    i = pl.int_range(rows, dtype=pl.UInt64)
    day = pl.lit(-7305) + (i.hash(1) % 25567).cast(pl.Int32)
    span = (i.hash(2) % (40 * 366)).cast(pl.Int32)
    df = pl.select(a=day, b=day + span, na=i.hash(3) % 100 == 0, nb=i.hash(4) % 100 == 0).select(
        a=pl.when("na").then(None).otherwise(pl.col("a").cast(pl.Date)),
        b=pl.when("nb").then(None).otherwise(pl.col("b").cast(pl.Date)))
    exprs = {"base": ((pl.col("b") - pl.col("a")).dt.total_days() / 365.25).sum()}
    exprs.update({b: yrdif_polars.yrdif("a", "b", b).sum() for b in BASES})
    lazy = df.lazy()
    times = {(e, k): [] for e in ENGINES for k in exprs}
    order = random.Random(1)
    for _ in range(reps):
        jobs = list(times)
        order.shuffle(jobs)
        for engine, k in jobs:
            t = time.perf_counter()
            lazy.select(exprs[k]).collect(engine=engine)
            times[(engine, k)].append(time.perf_counter() - t)
    return {f"{e}|{k}": min(v) for (e, k), v in times.items()}, pl.__version__


def main():
    ap = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    ap.add_argument("--rows", type=int, default=10_000_000)
    ap.add_argument("--reps", type=int, default=5)
    ap.add_argument("--child", action="store_true", help=argparse.SUPPRESS)
    a = ap.parse_args()
    if a.child:
        print(json.dumps(measure(a.rows, a.reps)))
        return
    cores = os.cpu_count()
    runs = {}
    for threads in (1, cores):
        env = dict(os.environ, POLARS_MAX_THREADS=str(threads))
        out = subprocess.run([sys.executable, __file__, "--child", "--rows", str(a.rows), "--reps", str(a.reps)],
                             env=env, capture_output=True, text=True, check=True).stdout
        runs[threads], version = json.loads(out)
    print(f"{a.rows:,} pairs of Date with 1% nulls in each column, Polars {version}, lazy "
          f"select of the sum, the fastest of {a.reps} interleaved repetitions; ms.\n")
    print("| basis | engine | threads | yrdif ms | (b - a).dt.total_days() / 365.25 ms | ratio | target |")
    print("|---|---|---:|---:|---:|---:|---|")
    for b in BASES:
        for e in ENGINES:
            for th in (1, cores):
                ours, base = runs[th][f"{e}|{b}"], runs[th][f"{e}|base"]
                print(f"| {b} | {e} | {th} | {ours * 1e3:.0f} | {base * 1e3:.0f} | {ours / base:.2f} "
                      f"| {target(b)} |")
    print()
    for e in ENGINES:
        for k, name in (("base", "the plain expression"), ("ACT/ACT", "yrdif ACT/ACT")):
            s = runs[1][f"{e}|{k}"] / runs[cores][f"{e}|{k}"]
            print(f"{e}, {name}: {s:.2f} times as fast on {cores} threads as on one.  ")


if __name__ == "__main__":
    main()
