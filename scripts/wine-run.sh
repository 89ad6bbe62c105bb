#!/usr/bin/env bash
# Runs one Windows program under Wine in the throw-away test prefix (null display driver,
# French user locale) and exits with the program's exit code. CTest's emulator.
#   scripts/wine-run.sh PROGRAM.exe [args...]
# TYPA_WINEPREFIX overrides the prefix (default: build/wineprefix).
set -uo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/wine-prefix.sh"

if [[ $# -lt 1 ]]; then
  echo "usage: $0 PROGRAM.exe [args...]" >&2
  exit 2
fi

program=$1
shift
if [[ ! -f $program ]]; then
  echo "wine-run: no such program: $program" >&2
  exit 127
fi

typa_wine_prefix "${TYPA_WINEPREFIX:-$TYPA_ROOT/build/wineprefix}" || exit 125
# A Linux path works for wine; an absolute one keeps the program's own folder unambiguous.
program=$(readlink -f "$program")

if [[ -t 1 ]]; then
  exec wine "$program" "$@"
fi
# Wine services that the program starts (explorer, winedevice...) inherit its standard output
# and may outlive it; a caller reading a pipe, as CTest does, would wait for them. They get
# files instead, and the output is passed on once the program has ended.
out=$(mktemp /tmp/typa-wine-run.XXXXXX)
err=$(mktemp /tmp/typa-wine-run.XXXXXX)
trap 'rm -f "$out" "$err"' EXIT
status=0
wine "$program" "$@" >"$out" 2>"$err" || status=$?
cat "$out"
cat "$err" >&2
exit "$status"
