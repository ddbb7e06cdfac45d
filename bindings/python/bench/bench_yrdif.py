"""yrdif.yrdif over 10 million float64 date-value pairs per basis, against
numpy's (end - start) / 365.25 on the same arrays and against the per-element
Python loop users write today, all in one process.  Prints a Markdown
table: the fastest of interleaved repetitions and their ratios.

    python bench_yrdif.py [--pairs N] [--reps R]
"""
import argparse
import os
import random
import time
from concurrent.futures import ThreadPoolExecutor

import numpy as np

import yrdif

TARGETS = {"ACT/360": 1.5, "ACT/365": 1.5, "ACT/ACT": 3.0, "30/360": 3.0, "AGE": 3.0}


def timed(fn):
    t = time.perf_counter()
    fn()
    return time.perf_counter() - t


def main():
    ap = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    ap.add_argument("--pairs", type=int, default=10_000_000)
    ap.add_argument("--reps", type=int, default=5)
    ap.add_argument("--loop-pairs", type=int, default=100_000)
    a = ap.parse_args()
    rng = np.random.default_rng(1)
    start = rng.integers(-3653, 21915, a.pairs).astype(np.float64)  # 1950 .. 2020
    end = start + rng.integers(0, 40 * 366, a.pairs)
    small_s, small_e = start[:a.loop_pairs].tolist(), end[:a.loop_pairs].tolist()

    def numpy_expr():
        return (end - start) / 365.25

    # The kernels run outside the GIL: eight threads, each on an eighth of
    # the pairs, against one thread on all of them, both into one out=
    # array (so that neither times the faulting-in of a new result).  'AGE'
    # on pairs from the whole calendar, where the kernel works more than
    # memory does, so that the threads have work to share.
    pool = ThreadPoolExecutor(8)
    eighths = [slice(k * a.pairs // 8, (k + 1) * a.pairs // 8) for k in range(8)]
    out = np.zeros(a.pairs)
    wide_s, wide_e = np.floor(rng.uniform(-138061, 6589336, (2, a.pairs)))

    def threaded():
        return list(pool.map(lambda s: yrdif.yrdif(wide_s[s], wide_e[s], "AGE", out=out[s]), eighths))

    def unthreaded():
        return yrdif.yrdif(wide_s, wide_e, "AGE", out=out)

    runs = {b: [] for b in TARGETS}
    runs["numpy"], runs["loop"], runs["threads"], runs["one thread"] = [], [], [], []
    for _ in range(a.reps):
        jobs = [("numpy", numpy_expr)] + [(b, lambda b=b: yrdif.yrdif(start, end, b))
                                          for b in TARGETS]
        jobs.append(("loop", lambda: [yrdif.yrdif(s, e, "ACT/ACT") for s, e in zip(small_s, small_e)]))
        jobs += [("threads", threaded), ("one thread", unthreaded)]
        random.shuffle(jobs)
        for name, fn in jobs:
            runs[name].append(timed(fn))
    per = {k: min(v) / (a.loop_pairs if k == "loop" else a.pairs) * 1e9
           for k, v in runs.items()}
    print(f"{a.pairs:,} pairs (the loop: {a.loop_pairs:,}), the fastest of {a.reps} interleaved "
          "repetitions; ns per pair.\n")
    print("| basis | yrdif.yrdif ns | numpy (end - start) / 365.25 ns | ratio | target "
          "| Python loop ns | loop / yrdif |")
    print("|---|---:|---:|---:|---|---:|---:|")
    for b, target in TARGETS.items():
        r = per[b] / per["numpy"]
        print(f"| {b} | {per[b]:.2f} | {per['numpy']:.2f} | {r:.2f} | <= {target} | "
              f"{per['loop']:.0f} | {per['loop'] / per[b]:.0f} |")
    print(f"\nAGE over the whole calendar into out=, 8 threads each on an eighth of the pairs: "
          f"{per['one thread'] / per['threads']:.2f} times as fast as one thread on all of them "
          f"({os.cpu_count()} cores: the kernels release the GIL).")


if __name__ == "__main__":
    main()
