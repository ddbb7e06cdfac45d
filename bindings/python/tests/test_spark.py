"""yrdif.spark on a real standalone cluster, a master and two workers on
loopback started from PySpark's own jars, the executors importing the
package from this Python (PYSPARK_PYTHON, as the README says): golden
cases from the module over 8 partitions, literal and column bases, dates,
timestamps in two session time zones, date values and Spark SQL, compared
by bits."""
import datetime as dt
import os
import shutil
import sys

import numpy as np
import pandas as pd
import pytest

pytest.importorskip("pyspark", reason="PySpark is not installed (the current stack has it)")
if shutil.which("java") is None:
    pytest.skip("no Java: Spark needs Java 17", allow_module_level=True)

from pyspark.sql import SparkSession  # noqa: E402
from pyspark.sql import functions as F  # noqa: E402

import yrdif  # noqa: E402
import yrdif.spark as ys  # noqa: E402

sys.path.insert(0, os.path.join(os.path.dirname(__file__), "..", ".."))
import golden  # noqa: E402
from golden import COMMAND as YRDIF  # noqa: E402


def bits(values):
    """Bits as the golden cases hold them; a null, which toPandas makes NaN, as MISSING."""
    return [golden.hexbits(None if v != v else v) for v in values]


def counts(values):
    """Day counts, None for a null (NaN or NA from toPandas, masked from yrdif.days)."""
    return [None if x is pd.NA or x is np.ma.masked or x != x else int(x) for x in values]


@pytest.fixture(scope="module")
def spark():
    os.environ["PYSPARK_PYTHON"] = sys.executable  # what the executors run
    with ys.local_cluster(workers=2) as url:
        session = (SparkSession.builder.master(url).appName("yrdif tests")
                   .config("spark.executor.memory", "512m").config("spark.ui.enabled", "false")
                   .config("spark.ui.showConsoleProgress", "false").getOrCreate())
        session.sparkContext.setLogLevel("ERROR")
        yield session
        session.stop()


@pytest.fixture(scope="module")
def frame(spark):
    g = pd.DataFrame(golden.cases(YRDIF, "dates", rows=2000, seed=9)).reset_index(names="i")
    df = spark.createDataFrame(g[["i", "start", "end", "basis"]])
    df = df.select("i", F.to_date("start").alias("s"), F.to_date("end").alias("e"), "basis")
    return g, df.repartition(8, "i")


def test_golden_cases_on_the_cluster(frame):
    """A column of bases: the module's bits; literal bases: the package's."""
    g, df = frame
    assert df.rdd.getNumPartitions() >= 8
    literal = ["ACT/ACT", "30/360", "ACT/360", "act/365", "AGE"]
    rows = df.select("i", ys.yrdif("s", "e", F.col("basis")).alias("y"),
                     ys.yrdif_days("s", "e", "AGE").alias("d"),
                     *[ys.yrdif(F.col("s"), "e", b).alias(f"b{k}") for k, b in enumerate(literal)]
                     ).toPandas().sort_values("i")
    assert bits(rows.y) == list(g.years)
    s, e = (np.array(g[c], dtype="datetime64[D]") for c in ("start", "end"))
    for k, b in enumerate(literal):
        assert bits(rows[f"b{k}"]) == bits(yrdif.yrdif(s, e, b)), b
    assert counts(rows.d) == counts(yrdif.days(s, e, "AGE"))
    assert df.select(ys.yrdif("s", "e"), ys.yrdif_days("s", "e")).columns == ["yrdif(s, e)", "yrdif_days(s, e)"]


@pytest.mark.parametrize("zone", ["America/New_York", "Asia/Tokyo", "PST", "GMT+5:30", "-13:33:33", "Z"])
def test_timestamps_in_the_session_time_zone(spark, frame, zone):
    """A timestamp is read as its date in the session's time zone, a
    region's or java.time's other forms (to 2037, the last year of the time
    zone transitions that Arrow reads)."""
    g, df = frame
    g = g[g.start < "2038"]
    df = df.where(F.col("s") < F.lit(dt.date(2038, 1, 1)))
    spark.conf.set("spark.sql.session.timeZone", zone)
    try:
        ts = df.select("i", (F.col("s").cast("timestamp") + F.expr("INTERVAL 23 HOURS")).alias("t"),
                       "e")
        got = ts.select("i", ys.yrdif("t", "e", "ACT/ACT").alias("y"), F.col("t").cast("string")
                        .alias("local")).toPandas().sort_values("i")
    finally:
        spark.conf.unset("spark.sql.session.timeZone")
    local_dates = np.array([x[:10] if x else "NaT" for x in got.local], dtype="datetime64[D]")
    assert bits(got.y) == bits(yrdif.yrdif(local_dates, np.array(g.end, dtype="datetime64[D]"),
                                           "ACT/ACT"))


def test_spark_sql_date_values_and_bad_bases(spark, frame):
    g, df = frame
    ys.register(spark)
    df.createOrReplaceTempView("golden")
    sql = spark.sql("select i, yrdif(s, e, basis) as y, yrdif_days(s, e, basis) as d,"
                    " yrdif(datediff(s, date '1960-01-01') + 0.5, cast(null as double), 'AGE') as n,"
                    " yrdif(14610.5, 15157.0D, 'ACT/365') as v from golden").toPandas().sort_values("i")
    assert bits(sql.y) == list(g.years) and sql.n.isna().all()
    s, e = (np.array(g[c], dtype="datetime64[D]") for c in ("start", "end"))
    assert counts(sql.d) == counts(yrdif.days(s, e, g.basis.to_numpy(object)))
    assert set(bits(sql.v)) == set(bits([yrdif.yrdif(14610.5, 15157.0, "ACT/365")]))  # a decimal
    values = spark.createDataFrame([(14610.0, 15157.9, "ACT/365"), (float("nan"), 0.0, "AGE"),
                                    (0.0, 1.0, "bogus")], "a double, b double, k string")
    assert bits(r.y for r in values.select(ys.yrdif("a", "b", F.col("k")).alias("y")).collect()) \
        == bits([yrdif.yrdif(14610.0, 15157.9, "ACT/365"), None, None])
    with pytest.raises(ValueError, match="'bogus' is not recognised"):
        ys.yrdif("a", "b", "bogus")
    for call, text in ((lambda: ys.yrdif("a", "b", None), "basis must be a text or a Column"),
                       (lambda: ys.yrdif_days(14610, "b"), "start must be a Column")):
        with pytest.raises(TypeError, match=text):
            call()
    assert bits(r[0] for r in spark.sql("select yrdif(date '2000-01-01', date '2000-07-01')")
                .collect()) == bits([yrdif.yrdif("2000-01-01", "2000-07-01", "AGE")])  # no basis: 'AGE'
    assert bits(r[0] for r in spark.range(1).select(
        ys.yrdif(dt.datetime(2000, 2, 29, 23, tzinfo=dt.timezone(-dt.timedelta(hours=5))),
                 F.lit(dt.date(2001, 2, 28)))).collect()) == bits([1.0])
