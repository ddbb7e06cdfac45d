#!/usr/bin/env python3
"""Appends the metadata footer DuckDB reads from the end of an extension
file before it loads it: a custom WebAssembly-style section named
"duckdb_signature" holding eight fields of 32 bytes, NUL-padded, stored last
to first, then 256 bytes where a signature would go (none: the extension is
loaded under allow_unsigned_extensions).

    footer.py LIBRARY OUT --platform linux_amd64 [--version 1.0.0]

The fields, first to last: the footer's format ("4"), the platform, the
version of the C API the extension needs ("v1.2.0"), the extension's own
version, its ABI ("C_STRUCT"), and three left empty.
"""
import argparse
import shutil

C_API_VERSION = "v1.2.0"


def field(text):
    data = text.encode()
    if len(data) > 32:
        raise SystemExit(f"footer.py: {text!r} is longer than a field's 32 bytes")
    return data.ljust(32, b"\0")


def leb128(n):
    out = bytearray()
    while True:
        byte, n = n & 0x7F, n >> 7
        out.append(byte | (0x80 if n else 0))
        if not n:
            return bytes(out)


def footer(platform, version):
    fields = ["4", platform, C_API_VERSION, version, "C_STRUCT", "", "", ""]
    name = b"duckdb_signature"
    body = b"".join(field(f) for f in reversed(fields))
    signature = b"\0" * 256
    # A custom section (id 0): its length, the name's length and the name,
    # then the fields' length and the fields, then the signature's room.
    content = leb128(len(name)) + name + leb128(len(body)) + body + signature
    return b"\0" + leb128(len(content)) + content


def main():
    ap = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    ap.add_argument("library")
    ap.add_argument("out")
    ap.add_argument("--platform", required=True)
    ap.add_argument("--version", default="1.0.0")
    args = ap.parse_args()
    shutil.copyfile(args.library, args.out)
    with open(args.out, "ab") as f:
        f.write(footer(args.platform, args.version))


if __name__ == "__main__":
    main()
