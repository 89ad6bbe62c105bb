#!/usr/bin/env bash
# Builds everything and runs the whole test suite under Wine in a new test prefix.
set -uo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$root"
source scripts/wine-prefix.sh

bash scripts/setup.sh || exit 1
cmake --preset win32 || exit 1
cmake --build --preset win32 || exit 1

# A new prefix for every run: nothing a previous run left in the registry, the fonts folder
# or the trash can change the outcome.
prefix=$root/build/wineprefix
if [[ -d $prefix ]]; then
  WINEPREFIX=$prefix wineserver -k 2>/dev/null || true
  rm -rf "$prefix"
fi
typa_wine_prefix "$prefix" || exit 1

status=0
ctest --preset win32 "$@" || status=$?

WINEPREFIX=$prefix wineserver -k 2>/dev/null || true
exit "$status"
