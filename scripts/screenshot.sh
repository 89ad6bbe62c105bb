#!/usr/bin/env bash
# Takes a screenshot of TYPA.EXE's main window on a virtual X screen (Xvfb, 1024x768x24).
#   scripts/screenshot.sh OUT.png [seconds to wait once the window is ready, default 1]
# Runs build/bin/TYPA.EXE (TYPA_EXE overrides) in the display prefix build/wineprefix-display,
# whose font folder is the demo folder. Prints the PNG's path.
# Ready: the main window is shown with both lists filled, no dialog over it (the folder scan's
# progress dialog) and everything painted, as TypaReady.exe beside the program tells; another
# program (TYPA_EXE) is ready once its window is mapped. TYPA_READY_TIMEOUT (seconds, 300)
# bounds the wait; the script fails with what was missing when it passes.
# TYPA_SHOT_FONTS, when set, names another font folder (a Linux path) than the demo folder.
# TYPA_SHOT_ACTIONS, when set, is a bash snippet run after the wait and before the picture is taken
# (xdotool clicks and keys on $DISPLAY, e.g. to open a menu or a dialog first).
set -euo pipefail
here=$(dirname "${BASH_SOURCE[0]}")
source "$here/wine-prefix.sh"

if [[ $# -lt 1 ]]; then
  echo "usage: $0 OUT.png [seconds]" >&2
  exit 2
fi
out=$(readlink -m "$1")
settle=${2:-1}
exe=$(readlink -m "${TYPA_EXE:-$TYPA_ROOT/build/bin/TYPA.EXE}")
prefix=${TYPA_DISPLAY_PREFIX:-$TYPA_ROOT/build/wineprefix-display}
title=${TYPA_WINDOW_TITLE:-Typarium}
window_timeout=${TYPA_WINDOW_TIMEOUT:-300}
ready_timeout=${TYPA_READY_TIMEOUT:-300}
ready_tool=$(dirname "$exe")/TypaReady.exe

[[ -f $exe ]] || { echo "screenshot: no program at $exe (build first)" >&2; exit 1; }
mkdir -p "$(dirname "$out")"

fonts=${TYPA_SHOT_FONTS:-$(bash "$here/demo-fonts.sh")}
typa_wine_prefix "$prefix" display
typa_set_font_path "$prefix" "$fonts"

work=$(mktemp -d /tmp/typa-shot.XXXXXX)
xvfb_pid='' wine_pid=''
cleanup() {
  # Every process of the prefix ends with its wineserver; then the X server.
  WINEPREFIX=$WINEPREFIX wineserver -k 2>/dev/null || true
  [[ -n $wine_pid ]] && wait "$wine_pid" 2>/dev/null || true
  if [[ -n $xvfb_pid ]]; then
    kill "$xvfb_pid" 2>/dev/null || true
    wait "$xvfb_pid" 2>/dev/null || true
  fi
  rm -rf "$work"
}
trap cleanup EXIT

# Xvfb picks a free display number itself and writes it to fd 3.
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$work/display" >"$work/xvfb.log" 2>&1 &
xvfb_pid=$!
for _ in $(seq 100); do
  [[ -s $work/display ]] && break
  kill -0 "$xvfb_pid" 2>/dev/null || { cat "$work/xvfb.log" >&2; exit 1; }
  sleep 0.1
done
[[ -s $work/display ]] || { echo "screenshot: Xvfb did not start" >&2; exit 1; }
export DISPLAY=:$(head -n1 "$work/display")

(cd "$(dirname "$exe")" && exec wine "$exe") >"$work/wine.log" 2>&1 &
wine_pid=$!

# Wait until the main window is mapped.
if ! timeout "$window_timeout" xdotool search --sync --onlyvisible --name "^$title" >/dev/null 2>&1; then
  echo "screenshot: no window titled \"$title\" within ${window_timeout}s" >&2
  tail -n 20 "$work/wine.log" >&2
  exit 1
fi
if [[ $(basename "$exe") == TYPA.EXE ]]; then
  [[ -f $ready_tool ]] || { echo "screenshot: $ready_tool is missing (build the tests too)" >&2; exit 1; }
  if ! wine "$ready_tool" "$ready_timeout" </dev/null >"$work/ready.log" 2>&1; then
    echo "screenshot: TYPA.EXE was not ready within ${ready_timeout}s:" \
      "$(grep -m1 '^TypaReady:' "$work/ready.log" | sed 's/^TypaReady: //' || true)" >&2
    exit 1
  fi
fi
sleep "$settle"    # let the screen catch up
if [[ -n ${TYPA_SHOT_ACTIONS:-} ]]; then
  eval "$TYPA_SHOT_ACTIONS"
fi
import -display "$DISPLAY" -window root "$out"
echo "$out"
