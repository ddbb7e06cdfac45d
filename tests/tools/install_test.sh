#!/usr/bin/env bash
# Installs a build folder into a fresh prefix and uses what was installed
# as an outsider would: the command (finding its module relative to
# itself) on the README's examples, the man page, pkg-config, and a CMake
# project that finds the package and links the module.
#   install_test.sh BUILD_DIR SOURCE_DIR
set -euo pipefail
build="$1" src="$2"
prefix="$(mktemp -d)"
trap 'rm -rf "$prefix"' EXIT
cmake --install "$build" --prefix "$prefix" >/dev/null
fail() { echo "install test: $*" >&2; exit 1; }
expect() { # expected output, then the command
  local want="$1" got
  shift
  got="$(env -u TKYRDIF_MODULE "$@")" || fail "$* exited $?"
  [ "$got" = "$want" ] || fail "$*: got '$got', want '$want'"
}
yrdif="$prefix/bin/yrdif"
expect "1.4958904109589042" "$yrdif" 2000-01-01 2001-07-01 ACT/ACT
expect "1 731" "$yrdif" --days 2000-02-29 2001-02-28 AGE
expect "1.4986301369863013" "$yrdif" 14610 15157 act/365
"$yrdif" --version | grep -q "^module $prefix/.*tkyrdif.so:" || fail "--version names no installed module"
"$yrdif" --module /nonexistent.so 0 1 2>/dev/null && fail "--module does not override"
[ -f "$prefix/share/man/man1/yrdif.1" ] || ! command -v help2man >/dev/null || fail "no man page"
pc="$(find "$prefix" -name tkyrdif.pc)"
cflags="$(PKG_CONFIG_PATH="$(dirname "$pc")" pkg-config --cflags tkyrdif | xargs)"
[ -f "${cflags#-I}/tkyrdif.h" ] || fail "pkg-config's $cflags does not lead to tkyrdif.h"
cmake -S "$src/tests/tools/consumer" -B "$prefix/consumer" -DCMAKE_PREFIX_PATH="$prefix" >/dev/null
cmake --build "$prefix/consumer" >/dev/null
expect "1960001" "$prefix/consumer/consumer"
echo "install test: passed"
