#!/usr/bin/env bash
# Builds TYPA.EXE and shows it with a demo font folder: on $DISPLAY when there is one,
# otherwise as a screenshot taken on a virtual screen.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$root"
source scripts/wine-prefix.sh

bash scripts/setup.sh
cmake --preset win32
cmake --build --preset win32

fonts=$(bash scripts/demo-fonts.sh)
prefix=$root/build/wineprefix-display
typa_wine_prefix "$prefix" display
typa_set_font_path "$prefix" "$fonts"
echo "Font folder: $fonts ($(typa_winpath "$fonts"))"

if [[ -n ${DISPLAY:-} ]]; then
  echo "Starting TYPA.EXE on $DISPLAY"
  cd build/bin
  status=0
  wine TYPA.EXE || status=$?
  wineserver -w
  exit "$status"
fi

shot=$(TYPA_DISPLAY_PREFIX=$prefix bash scripts/screenshot.sh "$root/build/screenshot-main.png")
echo "No display: screenshot of the main window in $shot"
