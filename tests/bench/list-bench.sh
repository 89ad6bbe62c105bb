#!/usr/bin/env bash
# The installed-list benchmark (ListBench.exe) in a throw-away prefix, since it installs its fonts:
# time to fill the list, to draw one screenful and to scroll a page, 50 refreshes and the GDI
# objects held before and after them. Prints figures only.
#   tests/bench/list-bench.sh [number of fonts, 2000 by default]
# Needs a build with its tests (scripts/test.sh makes one in build/; TYPA_BUILD names another).
set -euo pipefail
ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
BENCH=${TYPA_BUILD:-$ROOT/build}/bin/ListBench.exe
[[ -f $BENCH ]] || { echo "list-bench: $BENCH is missing: build the tests first" >&2; exit 2; }
PREFIX=$(mktemp -d /tmp/typa-listbench.XXXXXX)
cleanup() { WINEPREFIX=$PREFIX wineserver -k 2>/dev/null || true; rm -rf "$PREFIX" "$PREFIX.lock"; }
trap cleanup EXIT
rmdir "$PREFIX"
TYPA_WINEPREFIX=$PREFIX TYPA_BENCH_FONTS=${1:-2000} "$ROOT/scripts/wine-run.sh" "$BENCH" | grep -v -e '^\[doctest\]' -e '^====='
