#!/usr/bin/env python3
"""Generates the static case tables of the string kernel from the Unicode
Character Database.

Reads UnicodeData.txt and DerivedAge.txt (Debian's unicode-data package puts
them in /usr/share/unicode) and writes, into the output folder:

  case_tables.cpp    skz_metatable, skz_upshift, skz_downshift, skz_upaux,
                     skz_downaux: the simple upper/lower mappings of
                     characters assigned in Unicode 2.1 or earlier, with the
                     listed exceptions.
  minmax_tables.cpp  skz_min_meta, skz_minshift, skz_max_meta, skz_maxshift:
                     the smallest and largest member of each case class,
                     classes built from characters assigned in 9.0 or earlier.
  case_mappings.txt  every character that any of the four mappings changes,
                     one line each, for the tests to check the tables against.

Every invariant known about the result (counts of changed characters, pages
with blocks, auxiliary lists, classes of more than two members) is checked;
any difference stops the generator with an error and writes nothing.

Usage: gen_case_tables.py [--ucd DIR] [--out DIR]
"""
import argparse
import os
import sys

PAGE = 128
PAGES = 512
BMP = 0x10000


def fail(msg):
    sys.exit("gen_case_tables: " + msg)


def expect(what, got, want):
    if got != want:
        fail("%s: got %s, expected %s" % (what, fmt(got), fmt(want)))


def fmt(v):
    if isinstance(v, (list, tuple)):
        return "[" + ", ".join(fmt(x) for x in v) + "]"
    if isinstance(v, int) and v > 255:
        return "U+%04X" % v
    return str(v)


# ---- reading the database ------------------------------------------------

def read_unicode_data(path):
    """Returns {code: (upper, lower, title)} for every listed character, each
    mapping None when the field is empty."""
    data = {}
    with open(path, encoding="utf-8") as f:
        for line in f:
            fields = line.rstrip("\n").split(";")
            if len(fields) < 15:
                continue
            code = int(fields[0], 16)
            maps = tuple(int(x, 16) if x else None for x in fields[12:15])
            data[code] = maps
    return data


def read_ages(path):
    """Returns {code: (major, minor)} for every assigned code point."""
    ages = {}
    with open(path, encoding="utf-8") as f:
        for line in f:
            line = line.split("#", 1)[0].strip()
            if not line:
                continue
            rng, age = (x.strip() for x in line.split(";"))
            lo, _, hi = rng.partition("..")
            lo = int(lo, 16)
            hi = int(hi, 16) if hi else lo
            major, minor = (int(x) for x in age.split("."))
            for c in range(lo, hi + 1):
                ages[c] = (major, minor)
    return ages


# ---- case conversion tables ----------------------------------------------

CASE_AGE = (2, 1)
SELF = "self"
# character: (upper in the tables, lower in the tables, what the rule gives
# as (upper, lower)).
CASE_EXCEPTIONS = {
    0x00B5: (SELF, SELF, (0x039C, SELF)),
    0x0130: (SELF, SELF, (SELF, 0x0069)),
    0x0131: (SELF, SELF, (0x0049, SELF)),
    0x0189: (SELF, SELF, (SELF, 0x0256)),
    0x018E: (SELF, 0x0258, (SELF, 0x01DD)),
    0x019F: (SELF, SELF, (SELF, 0x0275)),
    0x01A6: (SELF, SELF, (SELF, 0x0280)),
    0x01DD: (SELF, SELF, (0x018E, SELF)),
    0x0256: (SELF, SELF, (0x0189, SELF)),
    0x0258: (0x018E, SELF, (SELF, SELF)),
    0x0275: (SELF, SELF, (0x019F, SELF)),
    0x0280: (SELF, SELF, (0x01A6, SELF)),
    0x0345: (SELF, SELF, (0x0399, SELF)),
    0x03C2: (SELF, SELF, (0x03A3, SELF)),
    0x1E9B: (SELF, SELF, (0x1E60, SELF)),
    0x1FBE: (SELF, SELF, (0x0399, SELF)),
    0x2126: (SELF, SELF, (SELF, 0x03C9)),
    0x212A: (SELF, SELF, (SELF, 0x006B)),
    0x212B: (SELF, SELF, (SELF, 0x00E5)),
}
for _c in (0x03DA, 0x03DC, 0x03DE, 0x03E0):
    CASE_EXCEPTIONS[_c] = (SELF, _c + 1, (SELF, SELF))
for _c in range(0x10A0, 0x10C6):
    CASE_EXCEPTIONS[_c] = (SELF, _c + 0x30, (SELF, SELF))

CASE_PAGES = [0x0000, 0x0080, 0x0100, 0x0180, 0x0200, 0x0280, 0x0380, 0x0400, 0x0480,
              0x0500, 0x0580, 0x1080, 0x1E00, 0x1E80, 0x1F00, 0x1F80, 0x2100, 0x2480,
              0xFF00]
UPAUX = [(0x017F, 0x0053), (0x0253, 0x0181), (0x0254, 0x0186), (0x0257, 0x018A),
         (0x0258, 0x018E), (0x0259, 0x018F), (0x025B, 0x0190), (0x0260, 0x0193),
         (0x0263, 0x0194), (0x0268, 0x0197), (0x0269, 0x0196), (0x026F, 0x019C),
         (0x0272, 0x019D), (0x0283, 0x01A9), (0x0288, 0x01AE), (0x028A, 0x01B1),
         (0x028B, 0x01B2), (0x0292, 0x01B7), (0x1F78, 0x1FF8), (0x1F79, 0x1FF9)]
DOWNAUX = [(0x0181, 0x0253), (0x0186, 0x0254), (0x018A, 0x0257), (0x018E, 0x0258),
           (0x018F, 0x0259), (0x0190, 0x025B), (0x0193, 0x0260), (0x0194, 0x0263),
           (0x0196, 0x0269), (0x0197, 0x0268), (0x019C, 0x026F), (0x019D, 0x0272),
           (0x01A9, 0x0283), (0x01AE, 0x0288), (0x01B1, 0x028A), (0x01B2, 0x028B),
           (0x01B7, 0x0292), (0x1FF8, 0x1F78), (0x1FF9, 0x1F79)]


def case_mappings(data, ages):
    """Returns (upper, lower): lists over U+0000..U+FFFF."""
    def old(c):
        return c in ages and ages[c] <= CASE_AGE

    def rule(c, field):
        m = data.get(c, (None, None, None))[field]
        return m if m is not None and old(c) and old(m) else c

    upper, lower = [], []
    for c in range(BMP):
        u, l = rule(c, 0), rule(c, 1)
        if c in CASE_EXCEPTIONS:
            eu, el, (ru, rl) = CASE_EXCEPTIONS[c]
            expect("rule's upper case of U+%04X" % c, u, c if ru == SELF else ru)
            expect("rule's lower case of U+%04X" % c, l, c if rl == SELF else rl)
            u = c if eu == SELF else eu
            l = c if el == SELF else el
        upper.append(u)
        lower.append(l)
    expect("characters changed by upper-casing", sum(u != c for c, u in enumerate(upper)), 671)
    expect("characters changed by lower-casing", sum(l != c for c, l in enumerate(lower)), 706)
    return upper, lower


def shift_tables(upper, lower):
    pages = [p for p in range(PAGES)
             if any(upper[c] != c or lower[c] != c for c in range(p * PAGE, (p + 1) * PAGE))]
    expect("case pages with blocks", [p * PAGE for p in pages], CASE_PAGES)
    meta = [-1] * PAGES
    for b, p in enumerate(pages):
        meta[p] = b * PAGE

    def build(mapping):
        shift, aux = [], []
        for p in pages:
            for c in range(p * PAGE, (p + 1) * PAGE):
                d = mapping[c] - c
                if -127 <= d <= 127:
                    shift.append(d)
                else:
                    shift.append(-128)
                    aux.append((c, mapping[c]))
        return shift, aux

    up, upaux = build(upper)
    down, downaux = build(lower)
    expect("skz_upaux", upaux, UPAUX)
    expect("skz_downaux", downaux, DOWNAUX)
    for name, aux in (("skz_upaux", upaux), ("skz_downaux", downaux)):
        keys = {k for k, _ in aux}
        if any(v in keys for _, v in aux):
            fail(name + ": a mapped value is also a key")
    for name, shift in (("skz_upshift", up), ("skz_downshift", down)):
        expect(name + " size", len(shift), 19 * PAGE)
    return meta, up, down, upaux, downaux


# ---- min/max tables ------------------------------------------------------

MINMAX_AGE = (9, 0)
MIN_PAGES = [0x0000, 0x0080, 0x0100, 0x0180, 0x0200, 0x0280, 0x0300, 0x0380, 0x0400, 0x0480,
             0x0500, 0x0580, 0x1380, 0x1C80, 0x1E00, 0x1E80, 0x1F00, 0x1F80, 0x2100, 0x2180,
             0x2480, 0x2C00, 0x2C80, 0x2D00, 0xA600, 0xA680, 0xA700, 0xA780, 0xAB00, 0xAB80,
             0xFF00]
MAX_PAGES = [0x0000, 0x0080, 0x0100, 0x0180, 0x0200, 0x0280, 0x0300, 0x0380, 0x0400, 0x0480,
             0x0500, 0x1080, 0x1380, 0x1C80, 0x1D00, 0x1E00, 0x1E80, 0x1F00, 0x1F80, 0x2100,
             0x2180, 0x2480, 0x2C00, 0x2C80, 0xA600, 0xA680, 0xA700, 0xA780, 0xFF00]
LARGE_CLASSES = [
    (0x0049, 0x0069, 0x0130, 0x0131), (0x004B, 0x006B, 0x212A), (0x0053, 0x0073, 0x017F),
    (0x00B5, 0x039C, 0x03BC), (0x00C5, 0x00E5, 0x212B), (0x01C4, 0x01C5, 0x01C6),
    (0x01C7, 0x01C8, 0x01C9), (0x01CA, 0x01CB, 0x01CC), (0x01F1, 0x01F2, 0x01F3),
    (0x0345, 0x0399, 0x03B9, 0x1FBE), (0x0392, 0x03B2, 0x03D0), (0x0395, 0x03B5, 0x03F5),
    (0x0398, 0x03B8, 0x03D1, 0x03F4), (0x039A, 0x03BA, 0x03F0), (0x03A0, 0x03C0, 0x03D6),
    (0x03A1, 0x03C1, 0x03F1), (0x03A3, 0x03C2, 0x03C3), (0x03A6, 0x03C6, 0x03D5),
    (0x03A9, 0x03C9, 0x2126), (0x0412, 0x0432, 0x1C80), (0x0414, 0x0434, 0x1C81),
    (0x041E, 0x043E, 0x1C82), (0x0421, 0x0441, 0x1C83), (0x0422, 0x0442, 0x1C84, 0x1C85),
    (0x042A, 0x044A, 0x1C86), (0x0462, 0x0463, 0x1C87), (0x1C88, 0xA64A, 0xA64B),
    (0x1E60, 0x1E61, 0x1E9B),
]


def case_classes(data, ages):
    """Returns {code: sorted tuple of its class} for every code point in a
    class of two or more members."""
    parent = {}

    def find(c):
        parent.setdefault(c, c)
        while parent[c] != c:
            parent[c] = parent[parent[c]]
            c = parent[c]
        return c

    def old(c):
        return c in ages and ages[c] <= MINMAX_AGE

    for c, maps in data.items():
        for m in maps:
            if m is not None and m != c and old(c) and old(m):
                parent[find(c)] = find(m)
    members = {}
    for c in parent:
        members.setdefault(find(c), []).append(c)
    classes = {}
    for group in members.values():
        group = tuple(sorted(group))
        if len(group) < 2:
            continue
        if (group[0] < BMP) != (group[-1] < BMP):
            fail("a case class crosses U+FFFF: " + fmt(group))
        for c in group:
            classes[c] = group
    return classes


def minmax_mappings(classes):
    lo = [classes[c][0] if c in classes else c for c in range(BMP)]
    hi = [classes[c][-1] if c in classes else c for c in range(BMP)]
    expect("class of U+00DF", classes.get(0xDF), (0x00DF, 0x1E9E))
    hi[0xDF] = 0xDF  # the sharp s keeps itself as its maximum
    sizes = {len(g) for g in classes.values() if g[0] < BMP}
    expect("class sizes", sorted(sizes), [2, 3, 4])
    large = sorted({g for g in classes.values() if len(g) > 2 and g[0] < BMP})
    expect("classes of more than two members", large, LARGE_CLASSES)
    expect("characters changed by the minimum", sum(m != c for c, m in enumerate(lo)), 1134)
    expect("characters changed by the maximum", sum(m != c for c, m in enumerate(hi)), 1133)
    return lo, hi


def wide_tables(mapping, want_pages, name):
    pages = [p for p in range(PAGES)
             if any(mapping[c] != c for c in range(p * PAGE, (p + 1) * PAGE))]
    expect(name + " pages with blocks", [p * PAGE for p in pages], want_pages)
    meta = [-1] * PAGES
    shift = []
    for b, p in enumerate(pages):
        meta[p] = b * PAGE
        shift.extend(mapping[c] - c for c in range(p * PAGE, (p + 1) * PAGE))
    return meta, shift


# ---- output ----------------------------------------------------------------

HEADER = ("// Generated by tables/gen_case_tables.py from UnicodeData.txt and DerivedAge.txt;"
          " do not edit by hand.\n")


def c_array(decl, values, per_line, width, page_comment=None):
    lines = [decl + " = {"]
    for i in range(0, len(values), per_line):
        chunk = values[i:i + per_line]
        text = "    " + " ".join(("%d," % v).rjust(width) for v in chunk)
        if page_comment and i % PAGE == 0:
            text += "  // " + page_comment(i // PAGE)
        lines.append(text.rstrip())
    lines.append("};")
    return "\n".join(lines) + "\n"


def aux_array(decl, pairs):
    lines = [decl + " = {"]
    for k, v in pairs:
        lines.append("    0x%04X, 0x%04X," % (k, v))
    lines.append("    0,")
    lines.append("};")
    return "\n".join(lines) + "\n"


def write_case(out, meta, up, down, upaux, downaux, pages):
    block_page = lambda b: "block %d: U+%04X" % (b, pages[b])
    text = HEADER + """//
// Case conversion tables: per 128-character page, the byte offset of its
// block in both shift tables (-1: nothing on the page changes); per
// character, mapped - character, or -128 when the pair stands in the
// auxiliary list.  The auxiliary lists end with a single zero word.
#include "tkyrdif.h"

"""
    text += c_array("const int16_t skz_metatable[512]", meta, 16, 5) + "\n"
    text += c_array("const int8_t skz_upshift[19 * 128]", up, 16, 5, block_page) + "\n"
    text += c_array("const int8_t skz_downshift[19 * 128]", down, 16, 5, block_page) + "\n"
    text += aux_array("const uint32_t skz_upaux[41]", upaux) + "\n"
    text += aux_array("const uint32_t skz_downaux[39]", downaux)
    with open(os.path.join(out, "case_tables.cpp"), "w") as f:
        f.write(text)


def write_minmax(out, min_meta, min_shift, max_meta, max_shift):
    text = HEADER + """//
// Case-class minimum and maximum tables: per 128-character page, the element
// index of its block (-1: nothing on the page changes); per character,
// minimum - character (never positive) or maximum - character (never
// negative).
#include "strkernel/minmax_tables.h"

"""
    page_of = lambda meta: [p for p in range(PAGES) if meta[p] >= 0]
    mp, xp = page_of(min_meta), page_of(max_meta)
    text += c_array("const int32_t skz_min_meta[512]", min_meta, 16, 6) + "\n"
    text += c_array("const int32_t skz_minshift[%d * 128]" % len(mp), min_shift, 8, 8,
                    lambda b: "block %d: U+%04X" % (b, mp[b] * PAGE)) + "\n"
    text += c_array("const int32_t skz_max_meta[512]", max_meta, 16, 6) + "\n"
    text += c_array("const int32_t skz_maxshift[%d * 128]" % len(xp), max_shift, 8, 8,
                    lambda b: "block %d: U+%04X" % (b, xp[b] * PAGE))
    with open(os.path.join(out, "minmax_tables.cpp"), "w") as f:
        f.write(text)


def write_mappings(out, upper, lower, lo, hi):
    lines = ["# Generated by tables/gen_case_tables.py; do not edit by hand.",
             "# Every character U+0000..U+FFFF that a mapping changes:",
             "# character upper lower minimum maximum (hex); all others map to themselves."]
    for c in range(BMP):
        if upper[c] != c or lower[c] != c or lo[c] != c or hi[c] != c:
            lines.append("%04X %04X %04X %04X %04X" % (c, upper[c], lower[c], lo[c], hi[c]))
    with open(os.path.join(out, "case_mappings.txt"), "w") as f:
        f.write("\n".join(lines) + "\n")


def main():
    ap = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    ap.add_argument("--ucd", default="/usr/share/unicode")
    ap.add_argument("--out", default=os.path.dirname(os.path.abspath(__file__)))
    args = ap.parse_args()
    try:
        data = read_unicode_data(os.path.join(args.ucd, "UnicodeData.txt"))
        ages = read_ages(os.path.join(args.ucd, "DerivedAge.txt"))
    except OSError as e:
        fail("cannot read the Unicode Character Database: %s" % e)

    upper, lower = case_mappings(data, ages)
    meta, up, down, upaux, downaux = shift_tables(upper, lower)
    lo, hi = minmax_mappings(case_classes(data, ages))
    min_meta, min_shift = wide_tables(lo, MIN_PAGES, "minimum")
    max_meta, max_shift = wide_tables(hi, MAX_PAGES, "maximum")
    expect("smallest minimum shift", min(min_shift), -42319)
    expect("largest maximum shift", max(max_shift), 42319)

    os.makedirs(args.out, exist_ok=True)
    write_case(args.out, meta, up, down, upaux, downaux, CASE_PAGES)
    write_minmax(args.out, min_meta, min_shift, max_meta, max_shift)
    write_mappings(args.out, upper, lower, lo, hi)


if __name__ == "__main__":
    main()
