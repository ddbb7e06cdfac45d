#!/usr/bin/env python3
"""Writes golden cases for the bindings' tests: random date pairs and basis
texts, each evaluated by the module through the yrdif command (YRDIF and
YRDIF#), so that every binding proves itself against the module and not
against its own arithmetic.

    golden.py --yrdif build/bin/yrdif --kind values|dates --rows N --seed S OUT.csv

OUT.csv has the columns start, end, basis, years, years_bytes:
- start, end: date values (repr of a float; "NaN" for missing) with
  --kind values, ISO dates of years 1582 to 9999 with --kind dates (every
  one a proleptic Gregorian date, 4000-02-29 and 8000-02-29 among them);
- basis: a text (ASCII and a few other letters), "" in no row;
- years, years_bytes: the 16 hex digits of the double that "YRDIF" and
  "YRDIF#" give, the missing value's ffffe0000000000 included.
"""
import argparse
import calendar
import csv
import os
import random
import struct
import subprocess
import sys
import tempfile

MISSING = "fffffe0000000000"
TOP = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
BUILD = os.environ.get("TKYRDIF_BUILD", os.path.join(TOP, "build"))
# The yrdif command that the bindings' tests take their golden cases from.
COMMAND = os.environ.get("YRDIF_COMMAND", os.path.join(BUILD, "bin", "yrdif"))
COLUMNS = ("start", "end", "basis", "years", "years_bytes")
TEXTS = ["30/360", "ACT/ACT", "ACT/360", "ACT/365", "AGE", "act/act", "Actual", "age  ",
         "30E/360", "360", "ACT", "A/360", "ACT/AGE", "BASIS ACT/360", "365", "30", "",
         "   ", "xyz", "ACTUA", "ACT 360 360", "ACT/365/360", "365/360", "ACTUAL/365"]
PIECES = ["ACT", "act", "AGE", "age", "UAL", "30", "360", "365", "/", " ", "E", "x", "é",
          "ß", "A", "3", "6"]


def hexbits(x):
    """The 16 hex digits of a double's bits, as the cases hold them; MISSING
    for None (a null)."""
    return MISSING if x is None else struct.pack(">d", x).hex()


def basis(rng):
    if rng.random() < 0.8:
        return rng.choice(TEXTS)
    return "".join(rng.choice(PIECES) for _ in range(rng.randint(1, 5)))


def date_value(rng):
    r = rng.random()
    if r < 0.03:
        return float("nan")
    if r < 0.06:
        return rng.choice([-138062.0, -138061.5, 6589336.0, 1e9, float("inf")])
    if r < 0.2:  # around 1 March of a year divisible by 4000
        return float(745154 + 1460969 * rng.randint(0, 4) + rng.randint(-400, 400))
    v = rng.uniform(-138061, 6589336)
    return v if r < 0.5 else float(int(v))


def iso_date(rng):
    if rng.random() < 0.2:
        y = rng.choice([4000, 8000, 3999, 4001, 2000, 1900])
        m = rng.choice([1, 2, 3, 12])
    else:
        y, m = rng.randint(1582, 9999), rng.randint(1, 12)
    d = rng.randint(1, calendar.monthrange(y, m)[1])
    return f"{y:04d}-{m:02d}-{d:02d}"


def run_yrdif(yrdif, rows, bytes_form):
    """The bits of YRDIF (or YRDIF#) for each row, through yrdif --csv."""
    with tempfile.NamedTemporaryFile("w", suffix=".csv", newline="", delete=False) as f:
        w = csv.writer(f)
        w.writerow(["start", "end", "basis"])
        for s, e, b in rows:
            w.writerow([s if s != "NaN" else ".", e if e != "NaN" else ".", b])
        name = f.name
    try:
        cmd = [yrdif, "--csv", name, "--basis", "basis"] + (["--bytes"] if bytes_form else [])
        out = subprocess.run(cmd, capture_output=True, encoding="utf-8", check=False)
        if out.returncode not in (0, 1):
            sys.exit(f"golden.py: {' '.join(cmd)} failed: {out.stderr}")
        got = list(csv.reader(out.stdout.splitlines()))[1:]
    finally:
        os.unlink(name)
    if len(got) != len(rows):
        sys.exit(f"golden.py: yrdif gave {len(got)} rows for {len(rows)}")
    return [struct.pack(">d", float(r[-1])).hex() if r[-1] else MISSING for r in got]


def cases(yrdif, kind="values", rows=5000, seed=1):
    """Golden cases as dicts keyed by the columns of OUT.csv."""
    rng = random.Random(seed)
    pairs = []
    for i in range(rows):
        if kind == "values":
            s, e = repr(date_value(rng)), repr(date_value(rng))
            s, e = ("NaN" if x == "nan" else x for x in (s, e))
        else:
            s, e = iso_date(rng), iso_date(rng)
        if i % 17 == 0:
            e = s
        pairs.append((s, e, basis(rng)))
    years = run_yrdif(yrdif, pairs, False)
    years_bytes = run_yrdif(yrdif, pairs, True)
    return [dict(zip(COLUMNS, (*row, y, yb))) for row, y, yb in zip(pairs, years, years_bytes)]


def main():
    ap = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    ap.add_argument("--yrdif", required=True, help="the yrdif command")
    ap.add_argument("--kind", choices=["values", "dates"], default="values")
    ap.add_argument("--rows", type=int, default=5000)
    ap.add_argument("--seed", type=int, default=1)
    ap.add_argument("out")
    a = ap.parse_args()
    with open(a.out, "w", newline="", encoding="utf-8") as f:
        w = csv.DictWriter(f, fieldnames=COLUMNS)
        w.writeheader()
        w.writerows(cases(a.yrdif, a.kind, a.rows, a.seed))


if __name__ == "__main__":
    main()
