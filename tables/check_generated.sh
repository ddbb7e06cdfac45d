#!/usr/bin/env bash
# Regenerates the case tables into a scratch folder and fails on any
# difference from the committed ones.
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
out="$(mktemp -d)"
trap 'rm -rf "$out"' EXIT
python3 "$here/gen_case_tables.py" --out "$out"
status=0
for f in case_tables.cpp minmax_tables.cpp case_mappings.txt; do
  if ! diff -u "$here/$f" "$out/$f" >"$out/$f.diff"; then
    echo "tables/$f differs from what the generator writes now:" >&2
    head -n 40 "$out/$f.diff" >&2
    status=1
  fi
done
[ $status -eq 0 ] && echo "generated tables are current"
exit $status
