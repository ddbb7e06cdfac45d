"""One table of hostile rows through every interface: the yrdif command's
CSV mode, the Python package, SQLite, PostgreSQL and R, each compared bit
for bit with the command, which evaluates YRDIF through the module.  Where
an interface differs by design (the README's table "One behaviour
everywhere"), the difference is written next to the runner that makes it.

Run by scripts/bindings after every binding is installed, inside
pg_virtualenv so that psql reaches a throw-away cluster.  A constant basis
that no rule accepts (an error where an interface can tell a constant from
a column) is each binding's own suite's."""
import csv
import datetime as dt
import io
import os
import random
import re
import shutil
import sqlite3
import subprocess
import sys
import tempfile

import numpy as np
import pytest

import yrdif

sys.path.insert(0, os.path.join(os.path.dirname(__file__), ".."))
from golden import BUILD, COMMAND, MISSING, hexbits  # noqa: E402

# Date texts: every form some interface reads, and many that none does.
DATES = [b"2000-01-01", b"+2000-01-01", b"+20000-12-31", b"60-01-01", b"25-12-31",
         b"2000-01-01T10:30", b"2000-01-01 23:59:59.999", b" 2000-01-01\t", b"14610",
         b"-0.5", b"6589335.9", b".5e4", b".", b"", b"   ", b"4000-02-29", b"4000-03-01",
         b"1582-01-01", b"1581-12-31", b"2000-02-30", b"2000-13-01", b"9999-12-31",
         b"10000-01-01", b"+60-01-01", b"-2000-01-01", b"2000-1-1", b"20000101",
         b"2000-01-01garbage", b"2000-01-01Z", b"2000-01-01 24:00", b"2000-01-01T10",
         b"0x10", b"inf", b"nan", b"1e999", b"1e-999", b"+5", b"14610 days",
         b"\xef\xbb\xbf2000-01-01", b"2000-01-01\x00", b"\x00", b"\xff\xfe", b"\xc3\xa9",
         b"2000\xe2\x80\x9001-01", b"\xd9\xa2\xd9\xa0\xd9\xa0\xd9\xa0-01-01",
         # At the edges of what SQLite's date() reads: times to 24:00, zones
         # that move the day or not, overflowing days, numbers.
         b"2000-02-31", b"2000-02-31 00:00+00:01", b"24:00", b"23:59:59.9995",
         b"2000-01-01 +05:00", b"2000-01-01 10:00 Z", b"2000-01-01TT10:00",
         b"2000-01-01 10:00:00.", b"12:00 -05:00 ", b"2000-01-01 10:00:00." + b"9" * 400 + b"Z",
         b"9999-12-31 24:00", b"9999-12-31 23:00-05:00", b"1582-01-01 00:00+00:01",
         b"4000-02-29 23:00-01:00", b"+2451544.5", b" 2451544.5", b"0x2587D9", b"1.", b"2e",
         b"5373484.5", b"2299160.5", b"-0001-01-01", b"23:59:58.5", b"25:00",
         b"2000-13-01 10:00+01:00", b"2000-01-00 10:00+01:00", b"2000-01-32 10:00+01:00",
         b"2000-00-01 10:00+01:00", b"2000-12-31 23:30-01:00", b"2000-01-01 10:00+01:00x",
         b"2000-01-01 10:00+15:00", b"2000-01-01 10:00+01:60", b"2000-01-01 23:30-00:59",
         b"23:59:60", b"23:60"]
# Zones that move the day, in years whose centuries the Gregorian rules skip.
DATES += [b"%d-03-01 00:30+01:00" % y for y in (1700, 1800, 1900, 2100, 2200, 2300, 2400)]
# And texts made of the pieces of dates, times and numbers.
PIECES = [b"2000", b"4000", b"1582", b"9999", b"-", b"01", b"1", b"31", b"02", b"29", b" ", b"T",
          b":", b"24", b"00", b"59", b".", b"5", b"Z", b"+", b"14", b"e", b"\t", b"12"]
_pieces = random.Random(5)
DATES += [b"".join(_pieces.choice(PIECES) for _ in range(_pieces.randint(1, 9)))
          for _ in range(5000)]
# Bases of every length from 0 to 100,000, blanks around and inside, NULs,
# invalid UTF-8, a byte order mark, look-alike characters.
BASES = [b"", b" ", b"ACT/360", b"act/act", b"Actual", b"AGE", b"30/360", b"ACT/365",
         b"A/360", b"ACT", b"bogus", b"30E/360", b"\tACT/360", b"ACT/360\t",
         b"\xc2\xa0ACT/360", b"\x00AGE", b"AGE\x00", b"\xffAGE", b"AGE\xe9",
         b"\xef\xbb\xbfAGE", b"\xc4\xb1ACT/ACT", b"\xef\xbc\xa1\xef\xbc\xa7\xef\xbc\xa5",
         b"ACTUAL/365", b"x" * 100000, b" " * 300 + b"ACT/360"]
BASES += [b"ACT/360" + b" " * k for k in (1, 248, 249, 250, 300, 100000)]
BASES += [b"AGE" * k for k in (1, 2, 85, 86, 90)]
# The command's reader says these of a text that is no date at all.
NO_DATE = ("is neither a date", "has a five-digit year", "has a two-digit year",
           "is a date followed by")


def hostile_rows():
    rows = [(d, b"2001-07-01", b"ACT/ACT") for d in DATES]
    rows += [(b"1999-03-01", d, b"AGE") for d in DATES]
    rows += [(b"2000-02-29", b"2001-03-01", b) for b in BASES]
    rows += [(b"14610", b"-0.5", b) for b in BASES]
    rng = random.Random(3)
    rows += [(rng.choice(DATES), rng.choice(DATES), rng.choice(BASES)) for _ in range(400)]
    return rows


ROWS = hostile_rows()


def unavailable(why):
    """Skips an interface that is not here, but fails where scripts/bindings
    runs the table, which has installed every one."""
    if os.environ.get("YRDIF_EVERY_INTERFACE"):
        pytest.fail(why)
    pytest.skip(why)


def text(b):
    """A byte text as the interfaces that take str see it: valid UTF-8
    decoded, and each byte that starts no valid sequence standing for
    itself, as the command reads bytes."""
    return re.sub("[\udc80-\udcff]", lambda m: chr(ord(m.group()) - 0xDC00),
                  b.decode("utf-8", "surrogateescape"))


def command(rows):
    """The command's result for each row (bits, MISSING for none), and the
    rows whose start it says is no date at all."""
    with tempfile.TemporaryDirectory() as tmp:
        src, errors = os.path.join(tmp, "rows.csv"), os.path.join(tmp, "errors")
        with open(src, "wb") as f:
            f.write(b"start,end,basis\n")
            for row in rows:
                f.write(b",".join(b'"' + x.replace(b'"', b'""') + b'"' for x in row) + b"\n")
        run = subprocess.run([COMMAND, "--csv", src, "--max-errors", "0", "--errors", errors],
                             capture_output=True, check=False)
        assert run.returncode in (0, 1), run.stderr
        with open(errors, "rb") as f:
            problems = f.read().decode("utf-8", "replace").splitlines()
    out = list(csv.reader(io.StringIO(run.stdout.decode("utf-8", "surrogateescape"))))[1:]
    assert len(out) == len(rows)
    bits = [hexbits(float(r[-1]) if r[-1] else None) for r in out]
    no_date = {int(p.split(":")[1]) - 2 for p in problems if any(m in p for m in NO_DATE)}
    return bits, no_date


@pytest.fixture(scope="module")
def reference():
    """The command's bits for every row, and the date texts it says are no
    dates at all."""
    if not os.access(COMMAND, os.X_OK):
        unavailable(f"no yrdif command at {COMMAND}")
    texts = sorted(set(DATES))
    no_date = command([(t, b"0", b"AGE") for t in texts])[1]
    return command(ROWS)[0], {texts[i] for i in no_date}


def test_python(reference):
    """Per row as a one-element array, and as one column: a text that is no
    date raises ValueError (naming it) where the command has no result;
    everything else has the command's bits."""
    bits, no_date = reference
    got = []
    for s, e, b in ROWS:
        try:
            got.append(yrdif.yrdif(*(np.array([text(x)], dtype=object) for x in (s, e, b)))[0])
        except ValueError as err:
            assert "is neither" in str(err) or "has a" in str(err) or "followed" in str(err)
            got.append("error")
    bad = [i for i, (s, e, b) in enumerate(ROWS) if s in no_date or e in no_date]
    want = ["error" if i in bad else bits[i] for i in range(len(ROWS))]
    assert [g if g == "error" else hexbits(g) for g in got] == want
    ok = [i for i in range(len(ROWS)) if i not in bad]
    column = yrdif.yrdif(*(np.array([text(ROWS[i][k]) for i in ok], dtype=object)
                           for k in range(3)))
    assert [hexbits(x) for x in column] == [bits[i] for i in ok]


def sqlite_reading(db, x):
    """What SQLite's yrdif reads a date text as: the date date() reads from
    it; else the text itself where the command reads it as a calendar date
    (a '+' sign, five or two year digits, blanks before it); else none.
    Numbers are Julian day numbers, as date() reads them."""
    d = db.execute("select date(cast(? as text))", (x,)).fetchone()[0]
    if d is not None:
        return d.encode()
    return x if re.match(rb"\s*[+-]?\d{2,5}-", x) else b"."


def test_sqlite(reference):
    db = sqlite3.connect(":memory:")
    db.enable_load_extension(True)
    db.load_extension(os.path.join(BUILD, "sqlite", "yrdif"))
    db.execute("create table h(i, s, e, b)")
    db.executemany("insert into h values (?, cast(? as text), cast(? as text), cast(? as text))",
                   [(i, *row) for i, row in enumerate(ROWS)])
    got = db.execute("select yrdif(s, e, b), yrdif(cast(s as blob), e, b) from h order by i")
    got = [(hexbits(y), hexbits(b)) for y, b in got]
    read = [(sqlite_reading(db, s), sqlite_reading(db, e), b) for s, e, b in ROWS]
    assert got == [(y, y) for y in command(read)[0]]  # a BLOB's bytes read as the text's


def psql(*args, **kw):
    return subprocess.run(["psql", "-X", "-v", "ON_ERROR_STOP=1", "-At", *args],
                          capture_output=True, check=False, **kw)


def test_postgresql(reference):
    """In a SQL_ASCII database, so that every byte but NUL reaches the
    basis.  Dates are typed: rows of plain ISO dates (a day that the
    proleptic Gregorian calendar has) go in as date, rows of numbers as
    float8 date values (those float8 can hold); the others are no input
    PostgreSQL takes."""
    if shutil.which("psql") is None or psql("-c", "select 1").returncode != 0:
        unavailable("no PostgreSQL server (run inside pg_virtualenv)")
    number = re.compile(rb"[+-]?(\d+\.?\d*|\.\d+)([eE][+-]?\d+)?")

    def kind(x):
        try:
            return "date" if re.fullmatch(rb"\d{4}-\d\d-\d\d", x) and \
                dt.date.fromisoformat(x.decode()) else None
        except ValueError:
            pass
        zero = not re.search(rb"[1-9]", re.split(rb"[eE]", x)[0])
        return "float8" if number.fullmatch(x) and (zero or 1e-300 < abs(float(x)) < 1e300) \
            else None

    rows = [i for i, (s, e, b) in enumerate(ROWS)
            if kind(s) and kind(s) == kind(e) and b"\x00" not in b]
    bits = reference[0]
    db = "yrdif_hostile"
    psql("-c", f"drop database if exists {db}")
    made = psql("-c", f"create database {db} encoding 'SQL_ASCII' template template0 "
                "lc_collate 'C' lc_ctype 'C'")
    assert made.returncode == 0, made.stderr
    data = b"".join(b",".join([str(i).encode(), kind(ROWS[i][0]).encode()] +
                              [b'"' + x.replace(b'"', b'""') + b'"' for x in ROWS[i]]) + b"\n"
                    for i in rows)
    script = (b"create extension yrdif; create table h(i int, k text, s text, e text, b text);\n"
              b"\\copy h from stdin (format csv)\n" + data + b"\\.\n"
              b"select coalesce(encode(float8send(case k when 'date' then "
              b"yrdif(s::date, e::date, b) else yrdif_dv(s::float8, e::float8, b) end), 'hex'), "
              b"'" + MISSING.encode() + b"') from h order by i;\n")
    try:
        run = psql("-d", db, "-q", input=script)
    finally:
        psql("-c", f"drop database {db}")
    assert run.returncode == 0, run.stderr
    assert len(rows) > 40
    assert run.stdout.decode().split() == [bits[i] for i in rows]


def test_r(reference):
    """R strings hold no NUL: those rows are no input R takes.  A text that
    is no date gives NA (with a warning), where the command has no result."""
    if shutil.which("Rscript") is None:
        unavailable("no Rscript")
    rows = [i for i, row in enumerate(ROWS) if not any(b"\x00" in x for x in row)]
    script = """
        suppressMessages(library(yrdif))
        h <- read.delim(file("stdin"), header = FALSE, colClasses = "character")
        unhex <- function(v) vapply(v, function(x) {
          if (x == "-") return("")
          s <- rawToChar(as.raw(strtoi(substring(x, seq(1, nchar(x), 2), seq(2, nchar(x), 2)), 16L)))
          Encoding(s) <- "UTF-8"
          s
        }, "", USE.NAMES = FALSE)
        y <- suppressWarnings(yrdif(unhex(h[[1]]), unhex(h[[2]]), unhex(h[[3]])))
        cat(vapply(y, function(v) if (is.na(v)) "NA" else
          paste(rev(as.character(writeBin(v, raw(), endian = "little"))), collapse = ""), ""),
          sep = "\\n")
    """
    rows_hex = "".join("\t".join(x.hex() or "-" for x in ROWS[i]) + "\n" for i in rows)
    run = subprocess.run(["Rscript", "-e", script], input=rows_hex.encode(), capture_output=True,
                         check=False)
    assert run.returncode == 0, run.stderr.decode()
    bits = reference[0]
    assert run.stdout.decode().split() == ["NA" if bits[i] == MISSING else bits[i] for i in rows]
