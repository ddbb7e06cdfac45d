"""yrdif.spark over 10 million date pairs on a standalone cluster on loopback
(two workers), per basis, against Spark's own datediff(b, a) / 365.25 in the
same session, and a plain row-at-a-time Python UDF calling yrdif.yrdif (on
fewer rows; per row).  Prints a Markdown table of the fastest repetitions and ratios.

    PYSPARK_PYTHON=$(which python) python bench_spark.py [--rows N] [--reps R]
"""
import argparse
import os
import sys
import time

from pyspark.sql import SparkSession
from pyspark.sql import functions as F

import yrdif
import yrdif.spark as ys

BASES = ["ACT/360", "ACT/365", "ACT/ACT", "30/360", "AGE"]


def main():
    ap = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    ap.add_argument("--rows", type=int, default=10_000_000)
    ap.add_argument("--loop-rows", type=int, default=500_000)
    ap.add_argument("--reps", type=int, default=3)
    ap.add_argument("--batch", type=int, default=10_000,
                    help="spark.sql.execution.arrow.maxRecordsPerBatch (Spark's default 10,000)")
    a = ap.parse_args()
    os.environ.setdefault("PYSPARK_PYTHON", sys.executable)
    with ys.local_cluster(workers=2, memory="3g") as url:
        spark = (SparkSession.builder.master(url).appName("yrdif bench")
                 .config("spark.executor.memory", "2g").config("spark.ui.enabled", "false")
                 .config("spark.sql.execution.arrow.maxRecordsPerBatch", str(a.batch))
                 .config("spark.ui.showConsoleProgress", "false").getOrCreate())
        spark.sparkContext.setLogLevel("ERROR")

        def pairs(n):
            d = spark.range(n, numPartitions=8).select(
                F.date_add(F.lit("1950-01-01"), (F.col("id") % 25000).cast("int")).alias("a"),
                (F.col("id") * 7919 % 14600).cast("int").alias("k"))
            return d.select("a", F.date_add("a", F.col("k")).alias("b")).cache()

        big, small = pairs(a.rows), pairs(a.loop_rows)
        big.count(), small.count()
        row_udf = F.udf(lambda s, e: yrdif.yrdif(s, e, "ACT/ACT"), "double")
        jobs = {"datediff": lambda: big.select(F.sum(F.datediff("b", "a") / 365.25)).collect(),
                "loop": lambda: small.select(F.sum(row_udf("a", "b"))).collect()}
        for b in BASES:
            jobs[b] = lambda b=b: big.select(F.sum(ys.yrdif("a", "b", b))).collect()
        runs = {k: [] for k in jobs}
        for _ in range(a.reps):
            for name, fn in jobs.items():
                t = time.perf_counter()
                fn()
                runs[name].append(time.perf_counter() - t)
        spark.stop()
    per = {k: min(v) / (a.loop_rows if k == "loop" else a.rows) * 1e9
           for k, v in runs.items()}
    print(f"{a.rows:,} cached date pairs in 8 partitions on a standalone cluster of two "
          f"one-core workers (the row-at-a-time UDF: {a.loop_rows:,}), Arrow batches of "
          f"{a.batch:,} rows, the fastest of {a.reps} repetitions; ns per row.\n")
    print("| basis | sum(yrdif) ns | sum(datediff(b, a) / 365.25) ns | ratio | target "
          "| row-at-a-time UDF ns | UDF / yrdif | target |")
    print("|---|---:|---:|---:|---|---:|---:|---|")
    for b in BASES:
        print(f"| {b} | {per[b]:.1f} | {per['datediff']:.1f} | {per[b] / per['datediff']:.2f} "
              f"| <= 3 | {per['loop']:.0f} | {per['loop'] / per[b]:.0f} | >= 20 |")


if __name__ == "__main__":
    main()
