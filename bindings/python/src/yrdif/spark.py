"""YRDIF on Spark, from PySpark and Spark SQL, with the bits of the module.

>>> from yrdif.spark import yrdif, register
>>> df.select(yrdif("start", "end", "ACT/ACT"))           # doctest: +SKIP
>>> register(spark); spark.sql("select yrdif(a, b, 'AGE') from t")  # doctest: +SKIP

The columns are vectorised Arrow UDFs (``arrow_udf`` where the Spark
version has it, 4.1 and later; ``pandas_udf`` before): each executor hands
whole Arrow batches to the engine's column kernel, DateType columns as
``date32`` read in place.  DateType, TimestampType (the date in the
session's time zone as it is when the column is built or `register` is
called), TimestampNTZType, date values of DoubleType or any other numeric
type (days from 1960-01-01) and StringType date texts (as the yrdif command
reads them) are read; a null in either date gives null, and so does a row
whose basis no rule accepts.  A column of any other type, or a text that is
no date at all, fails the job with the package's error naming it.

The executors must import this package: run them on the Python that has
it installed (``spark.pyspark.python``, or ``PYSPARK_PYTHON``, pointing at
a venv that every worker sees), or ship a packed venv with
``--archives yrdif-venv.tar.gz#env`` and ``spark.pyspark.python=./env/bin/python``.
The package holds a compiled extension, so ``--py-files`` cannot carry it.

`local_cluster` starts a standalone master and workers on the loopback
interface from PySpark's own jars, for trying and testing all this.
"""
import contextlib
import datetime as dt
import functools
import os
import re
import socket
import subprocess
import sys
import tempfile
import time

import pyspark
from pyspark.sql import Column
from pyspark.sql import functions as F

from . import basis_code

__all__ = ["yrdif", "yrdif_days", "register", "local_cluster"]

_ARROW_UDF = hasattr(F, "arrow_udf")


def _batch(name, code, zone, start, end, basis=None):
    """One batch on an executor: Arrow arrays in (pandas Series before
    Spark 4.1), the same kind out.  Spark sends timestamps as UTC instants;
    each is read as its date in the session's time zone, zone."""
    import yrdif as y

    fn = y.yrdif if name == "years" else y.days
    text = basis if basis is not None else y.BASES[code]
    if _ARROW_UDF:
        import pyarrow as pa

        start, end = (_local(pa, x, zone) if pa.types.is_timestamp(x.type) and x.type.tz else x
                      for x in (start, end))
        return fn(start, end, text)
    import pandas as pd

    out = fn(start, end, text)
    return out if name == "years" else pd.Series(out, dtype="Int64")


def _local(pa, x, zone):
    """Instants as the package reads them in the session's time zone: in a
    region's zone, or as wall-clock times at a fixed offset of seconds."""
    if isinstance(zone, str):
        return x.cast(pa.timestamp(x.type.unit, tz=zone))
    import pyarrow.compute as pc

    ticks = zone * {"s": 1, "ms": 10**3, "us": 10**6, "ns": 10**9}[x.type.unit]
    return pc.add_checked(x.cast(pa.int64()), ticks).cast(pa.timestamp(x.type.unit))


@functools.lru_cache(maxsize=None)
def _udf(name, code, zone):
    """The vectorised UDF of yrdif (name "years") or yrdif_days, with one
    basis code for every row (code 1 .. 5) or a basis column (code 0), and
    the session's time zone."""
    returns = "double" if name == "years" else "long"
    if _ARROW_UDF:
        import pyarrow as pa

        kind, hint = F.arrow_udf, pa.Array
    else:  # pragma: no cover - Spark before 4.1
        import pandas as pd

        kind, hint = F.pandas_udf, pd.Series
    if code:
        def fn(start: hint, end: hint) -> hint:
            return _batch(name, code, zone, start, end)
    else:  # Spark SQL may leave the basis out, as the module does: 'AGE'
        def fn(start: hint, end: hint, basis: hint = None) -> hint:
            return _batch(name, 5 if basis is None else 0, zone, start, end, basis)
    fn.__name__ = fn.__qualname__ = "yrdif" if name == "years" else "yrdif_days"
    return kind(fn, returns)


# The short names of zones that Spark, through java.time, takes as time
# zones (ZoneId.SHORT_IDS), for the region or offset each stands for.
_SHORT_IDS = {
    "ACT": "Australia/Darwin", "AET": "Australia/Sydney", "AGT": "America/Argentina/Buenos_Aires",
    "ART": "Africa/Cairo", "AST": "America/Anchorage", "BET": "America/Sao_Paulo",
    "BST": "Asia/Dhaka", "CAT": "Africa/Harare", "CNT": "America/St_Johns",
    "CST": "America/Chicago", "CTT": "Asia/Shanghai", "EAT": "Africa/Addis_Ababa",
    "ECT": "Europe/Paris", "IET": "America/Indiana/Indianapolis", "IST": "Asia/Kolkata",
    "JST": "Asia/Tokyo", "MIT": "Pacific/Apia", "NET": "Asia/Yerevan", "NST": "Pacific/Auckland",
    "PLT": "Asia/Karachi", "PNT": "America/Phoenix", "PRT": "America/Puerto_Rico",
    "PST": "America/Los_Angeles", "SST": "Pacific/Guadalcanal", "VST": "Asia/Ho_Chi_Minh",
    "EST": "-05:00", "MST": "-07:00", "HST": "-10:00",
}
# A fixed offset as java.time writes one: Z, or +h, +hh, +hh:mm, +hhmm,
# +hh:mm:ss, +hhmmss (Spark widens +h:mm), alone or after UTC, GMT or UT.
_OFFSET = re.compile(r"(?:Z|(?:UTC|GMT|UT)?(?:([+-])(\d\d?)(?::?(\d\d))?(?::?(\d\d))?)?)")


def _zone(spark=None):
    """The session's time zone, as timestamps are read: a region's name as
    Arrow knows it, or a fixed offset in seconds east of UTC."""
    from pyspark.sql import SparkSession

    spark = spark or SparkSession.getActiveSession()
    zone = spark.conf.get("spark.sql.session.timeZone") if spark else "UTC"
    zone = _SHORT_IDS.get(zone, zone)
    m = _OFFSET.fullmatch(zone)
    if not m:
        return zone
    sign, h, mi, sec = m.groups()
    return (-1 if sign == "-" else 1) * (int(h or 0) * 3600 + int(mi or 0) * 60 + int(sec or 0))


def _column(x, arg):
    """A date argument as a Column: a Column, a column's name, or a date
    (a literal)."""
    if isinstance(x, Column):
        return x
    if isinstance(x, str):
        return F.col(x)
    if isinstance(x, dt.date):  # a datetime: its own calendar date, in its own time zone
        return F.lit(x.date() if isinstance(x, dt.datetime) else x)
    raise TypeError(f"{arg} must be a Column, a column's name or a date, not {type(x).__name__}")


def _call(name, start, end, basis):
    start, end = _column(start, "start"), _column(end, "end")
    if isinstance(basis, (str, bytes)):
        code = basis_code(basis)  # a text no rule accepts fails here, naming it
        return _udf(name, code, _zone())(start, end)
    if not isinstance(basis, Column):
        raise TypeError(f"basis must be a text or a Column of texts, not {type(basis).__name__}")
    return _udf(name, 0, _zone())(start, end, basis)


def yrdif(start, end, basis="AGE"):
    """A Column: YRDIF of two date columns (names or Columns; a date is a
    literal) under a basis, a text (checked now: ``ValueError`` for a text
    no rule accepts) or a column of texts (null for a row whose basis no
    rule accepts)."""
    return _call("years", start, end, basis)


def yrdif_days(start, end, basis="AGE"):
    """A Column of the engine's day counts (long), as `yrdif.days`."""
    return _call("days", start, end, basis)


def register(spark):
    """Makes ``yrdif(start, end[, basis])`` and ``yrdif_days(start, end[,
    basis])`` callable from Spark SQL in this session: a basis left out is
    'AGE' where Spark's SQL takes a UDF's default arguments (4.3 does).
    SQL passes the basis row by row, so a text no rule accepts gives null
    there, as it does in a column; test texts with `yrdif.basis_name`."""
    spark.udf.register("yrdif", _udf("years", 0, _zone(spark)))
    spark.udf.register("yrdif_days", _udf("days", 0, _zone(spark)))


def _free_port():
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


@contextlib.contextmanager
def local_cluster(workers=2, cores=1, memory="1g", timeout=120):
    """A standalone Spark master and workers on 127.0.0.1, started with
    PySpark's own ``spark-class``; yields the master's URL and stops them
    on exit.  Raises RuntimeError, with the logs, when the workers have
    not registered within the timeout."""
    home = os.path.dirname(pyspark.__file__)
    spark_class = os.path.join(home, "bin", "spark-class")
    env = dict(os.environ, SPARK_HOME=home, SPARK_LOCAL_IP="127.0.0.1",
               PYSPARK_PYTHON=sys.executable)
    port = _free_port()
    url = f"spark://127.0.0.1:{port}"
    logs = tempfile.mkdtemp(prefix="yrdif-spark-")
    procs = []

    def start(args, log):
        with open(os.path.join(logs, log), "w") as f:
            procs.append(subprocess.Popen([spark_class, *args], env=env, stdout=f,
                                          stderr=subprocess.STDOUT))

    try:
        start(["org.apache.spark.deploy.master.Master", "--host", "127.0.0.1", "--port",
               str(port), "--webui-port", str(_free_port())], "master.log")
        for i in range(workers):
            start(["org.apache.spark.deploy.worker.Worker", url, "--host", "127.0.0.1",
                   "--cores", str(cores), "--memory", memory, "--webui-port",
                   str(_free_port()), "--work-dir", os.path.join(logs, f"work{i}")],
                  f"worker{i}.log")
        deadline = time.monotonic() + timeout
        while True:
            with open(os.path.join(logs, "master.log")) as f:
                if f.read().count("Registering worker") >= workers:
                    break
            if time.monotonic() > deadline or any(p.poll() is not None for p in procs):
                text = "".join(open(os.path.join(logs, n)).read()[-2000:]
                               for n in sorted(os.listdir(logs)) if n.endswith(".log"))
                raise RuntimeError(f"the Spark cluster did not start:\n{text}")
            time.sleep(0.5)
        yield url
    finally:
        for p in procs:
            p.terminate()
        for p in procs:
            try:
                p.wait(timeout=20)
            except subprocess.TimeoutExpired:
                p.kill()
