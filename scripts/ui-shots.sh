#!/usr/bin/env bash
# Pictures of the main window and of three dialogs, for comparing what the user sees before and
# after a change of the code: main.png, print.png (Ctrl+P), options.png ("Affichage" >
# "Options..."), confirm.png (Del on an installed font). Each is taken by scripts/screenshot.sh
# on a fresh virtual screen once the window is ready.
#   scripts/ui-shots.sh OUTDIR
# Compare two sets with:  compare -metric AE BEFORE/main.png AFTER/main.png null:
# (the status bar's free disk space may differ by a few pixels from one run to the next).
set -euo pipefail
here=$(dirname "${BASH_SOURCE[0]}")
out=$(readlink -m "${1:?usage: ui-shots.sh OUTDIR}")
mkdir -p "$out"
shot() { # name, actions
  TYPA_SHOT_ACTIONS=$2 bash "$here/screenshot.sh" "$out/$1.png" 1 >/dev/null
  echo "$out/$1.png"
}
shot main ''
shot print 'xdotool key ctrl+p; sleep 3'
shot options 'xdotool key alt+a; sleep 1; xdotool key o; sleep 3'
# The first row of the installed list: a click at its top left, then Del.
shot confirm 'xdotool mousemove 640 380 click 1; sleep 1; xdotool key Delete; sleep 3'
