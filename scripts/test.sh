#!/usr/bin/env bash
# Builds everything and runs the whole test suite under Wine in a new test prefix.
set -uo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$root"
source scripts/wine-prefix.sh

bash scripts/setup.sh || exit 1
# The print tests print on CUPS queues that write PDFs.
bash scripts/printers.sh || exit 1
cmake --preset win32 || exit 1
cmake --build --preset win32 || exit 1
# End-to-end tests read fonts from the demo folder.
bash scripts/demo-fonts.sh || exit 1

# A new prefix for every run: nothing a previous run left in the registry, the fonts folder
# or the trash can change the outcome.
prefix=$root/build/wineprefix
if [[ -d $prefix ]]; then
  WINEPREFIX=$prefix wineserver -k 2>/dev/null || true
  rm -rf "$prefix"
fi
typa_wine_prefix "$prefix" || exit 1

# Wine's own services (explorer, services, winedevice...) take seconds to start, many more
# where i386 code is emulated. A server that never times out keeps them running from one test
# program to the next; everything of the prefix ends with it at the end of the run.
trap 'WINEPREFIX=$prefix wineserver -k 2>/dev/null || true' EXIT
wineserver -p || exit 1
# Start them now, away from CTest's output pipes.
wine cmd /c exit 0 </dev/null >/dev/null 2>&1 || true

status=0
ctest --preset win32 "$@" || status=$?
exit "$status"
