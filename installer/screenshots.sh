#!/usr/bin/env bash
# Screenshots of the installer's font-folder page and of one help topic, on a virtual X screen
# (Xvfb) with Wine's X11 driver, for the README:
#   installer/screenshots.sh [BIN folder, default build/bin] [OUT folder, default docs]
# Uses the display prefix of scripts/screenshot.sh (TYPA_DISPLAY_PREFIX overrides); the
# installer is started and cancelled, nothing is installed.
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
source "$here/../scripts/wine-prefix.sh"

bin=$(readlink -m "${1:-$TYPA_ROOT/build/bin}")
out=$(readlink -m "${2:-$TYPA_ROOT/docs}")
prefix=${TYPA_DISPLAY_PREFIX:-$TYPA_ROOT/build/wineprefix-display}
for f in typa-setup.exe TYPA.HLP; do
  [[ -f $bin/$f ]] || { echo "screenshots: no $bin/$f (build first)" >&2; exit 1; }
done
mkdir -p "$out"
typa_wine_prefix "$prefix" display

work=$(mktemp -d /tmp/typa-shots.XXXXXX)
xvfb_pid=''
cleanup() {
  WINEPREFIX=$WINEPREFIX wineserver -k 2>/dev/null || true
  if [[ -n $xvfb_pid ]]; then kill "$xvfb_pid" 2>/dev/null || true; wait "$xvfb_pid" 2>/dev/null || true; fi
  rm -rf "$work"
}
trap cleanup EXIT

Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$work/display" >"$work/xvfb.log" 2>&1 &
xvfb_pid=$!
for _ in $(seq 100); do [[ -s $work/display ]] && break; sleep 0.1; done
[[ -s $work/display ]] || { echo "screenshots: Xvfb did not start" >&2; exit 1; }
export DISPLAY=:$(head -n1 "$work/display")

# Saves the window titled like $1 (a regular expression) as $2.
shoot() {
  local wid geometry
  wid=$(timeout 300 xdotool search --sync --onlyvisible --name "$1" | head -n1)
  sleep "${3:-3}"
  eval "$(xdotool getwindowgeometry --shell "$wid")"
  import -display "$DISPLAY" -window root -crop "${WIDTH}x${HEIGHT}+${X}+${Y}" +repage "$2"
  echo "$2"
}

# The installer as on a machine without Typarium, two pages on: welcome, program folder,
# font folder.
wine reg delete 'HKLM\SOFTWARE\Orvane Media\Typarium' /v FontPath /f >/dev/null 2>&1 || true
(cd "$bin" && exec wine typa-setup.exe) >"$work/setup.log" 2>&1 &
wid=$(timeout 300 xdotool search --sync --onlyvisible --name 'Typarium' | head -n1)
sleep 3
for _ in 1 2; do
  xdotool windowactivate --sync "$wid" 2>/dev/null || true
  xdotool key --window "$wid" Return
  sleep 3
done
shoot 'Typarium' "$out/screenshot-setup.png" 2
WINEPREFIX=$WINEPREFIX wineserver -k 2>/dev/null || true
sleep 1

# One topic of the help, as F1 on the menu item "Installer vers" opens it: a small program
# makes the program's own call (the first call may return before the viewer is up).
cat >"$work/openhelp.c" <<'CODE'
#include <windows.h>
#include <stdlib.h>
int main(int argc, char **argv)
{
    return argc == 3 && WinHelpA(NULL, argv[1], HELP_CONTEXT, strtoul(argv[2], NULL, 10)) ? 0 : 1;
}
CODE
i686-w64-mingw32-gcc -O2 -o "$work/openhelp.exe" "$work/openhelp.c"
help=$(typa_winpath "$bin/TYPA.HLP")
wine "$work/openhelp.exe" "$help" 11 >"$work/help.log" 2>&1 ||
  { sleep 5; wine "$work/openhelp.exe" "$help" 11 >>"$work/help.log" 2>&1; }
shoot 'Aide' "$out/screenshot-help.png" 4
