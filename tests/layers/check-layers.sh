#!/usr/bin/env bash
# The program's folders include each other only downwards:
#   platform/               the Windows API and the standard library only (and platform/ itself)
#   fonts/ groups/ ops/     no user interface (ui/) and no main window (app/fTYPA*.h)
#   everything but app/     no main window
# Run by CTest from scripts/test.sh; prints every include that breaks a rule.
#   tests/layers/check-layers.sh [source root]
set -uo pipefail
root=$(readlink -m "${1:-$(dirname "${BASH_SOURCE[0]}")/../..}")
cd "$root" || exit 2

status=0
complain() { echo "check-layers: $1: includes $2 ($3)" >&2; status=1; }

for file in $(find platform fonts groups ops ui print tray app -name '*.cpp' -o -name '*.h' | sort); do
  folder=${file%%/*}
  while IFS= read -r include; do
    case $folder in
      platform)
        [[ $include == platform/* ]] || complain "$file" "\"$include\"" "platform/ uses only the Windows API and the standard library" ;;
      fonts|groups|ops)
        [[ $include == ui/* ]] && complain "$file" "\"$include\"" "$folder/ knows no user interface"
        [[ $include == app/fTYPA* ]] && complain "$file" "\"$include\"" "$folder/ knows no main window" ;;
    esac
    if [[ $folder != app && $include == app/fTYPA* ]]; then
      complain "$file" "\"$include\"" "only app/ knows the main window"
    fi
  done < <(sed -n 's/^[[:space:]]*#[[:space:]]*include[[:space:]]*"\([^"]*\)".*/\1/p' "$file")
done
(( status == 0 )) && echo "check-layers: every include goes downwards"
exit $status
