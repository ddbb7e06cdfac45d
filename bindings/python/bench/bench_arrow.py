"""yrdif.yrdif over 10 million Arrow date32 pairs with 1% nulls in each
column, per basis, against pyarrow's own pc.divide(pc.days_between(a, b),
365.25) on the same arrays, in one process.  Prints a Markdown table:
the fastest of interleaved repetitions and their ratios.

    python bench_arrow.py [--pairs N] [--reps R]
"""
import argparse
import random
import time

import numpy as np
import pyarrow as pa
import pyarrow.compute as pc

import yrdif

BASES = ["ACT/360", "ACT/365", "ACT/ACT", "30/360", "AGE"]
TARGET = 1.5


def timed(fn):
    t = time.perf_counter()
    fn()
    return time.perf_counter() - t


def main():
    ap = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    ap.add_argument("--pairs", type=int, default=10_000_000)
    ap.add_argument("--reps", type=int, default=5)
    a = ap.parse_args()
    rng = np.random.default_rng(1)
    start = rng.integers(-7305, 18262, a.pairs).astype(np.int32)  # 1950 .. 2020
    end = (start + rng.integers(0, 40 * 366, a.pairs)).astype(np.int32)
    s = pa.array(start, mask=rng.random(a.pairs) < 0.01).cast(pa.date32())
    e = pa.array(end, mask=rng.random(a.pairs) < 0.01).cast(pa.date32())

    def arrow_expr():
        return pc.divide(pc.days_between(s, e), 365.25)

    runs = {b: [] for b in BASES}
    runs["arrow"] = []
    for _ in range(a.reps):
        jobs = [("arrow", arrow_expr)] + [(b, lambda b=b: yrdif.yrdif(s, e, b)) for b in BASES]
        random.shuffle(jobs)
        for name, fn in jobs:
            runs[name].append(timed(fn))
    per = {k: min(v) / a.pairs * 1e9 for k, v in runs.items()}
    print(f"{a.pairs:,} pairs of date32 with 1% nulls in each column, pyarrow {pa.__version__}, "
          f"the fastest of {a.reps} interleaved repetitions; ns per pair.\n")
    print("| basis | yrdif.yrdif ns | pc.divide(pc.days_between(a, b), 365.25) ns | ratio | target |")
    print("|---|---:|---:|---:|---|")
    for b in BASES:
        print(f"| {b} | {per[b]:.2f} | {per['arrow']:.2f} | {per[b] / per['arrow']:.2f} "
              f"| <= {TARGET} |")


if __name__ == "__main__":
    main()
