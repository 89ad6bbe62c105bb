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
# files instead: standard output is followed as it grows, standard error comes at the end.
out=$(mktemp "$WINEPREFIX/.run-out.XXXXXX")   # in the prefix: swept away with it
err=$(mktemp "$WINEPREFIX/.run-err.XXXXXX")
trap 'rm -f "$out" "$err"' EXIT
wine "$program" "$@" >"$out" 2>"$err" </dev/null &
pid=$!
tail -n +1 -s 0.2 -f --pid="$pid" "$out" &
follower=$!
status=0
wait "$pid" || status=$?
wait "$follower"
cat "$err" >&2
exit "$status"
