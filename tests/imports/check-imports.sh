#!/usr/bin/env bash
# TYPA.EXE loads on the oldest system it claims, Windows XP: every function in its import table
# is one that Windows XP exports (tests/imports/windows-xp.txt), and its PE header asks for no
# later system. Run by CTest; prints what does not fit.
#   tests/imports/check-imports.sh path/to/TYPA.EXE
set -euo pipefail
exe=${1:?usage: check-imports.sh TYPA.EXE}
here=$(dirname "${BASH_SOURCE[0]}")
objdump=${OBJDUMP:-i686-w64-mingw32-objdump}

# Its messages follow the locale; the fields are read by their English names.
dump=$(LC_ALL=C "$objdump" -p "$exe")
imports=$(awk '/DLL Name/ { dll = toupper($3); next }
               /^[[:space:]]*$/ { dll = "" }
               dll && $1 ~ /^[0-9a-f]+$/ && NF >= 3 { print dll "!" $3 }' <<<"$dump" | sort -u)
[[ -n $imports ]] || { echo "check-imports: no import table read from $exe" >&2; exit 1; }
allowed=$(grep -v '^#' "$here/windows-xp.txt" | sed '/^$/d' | sort -u)

status=0
unknown=$(comm -23 <(printf '%s\n' "$imports") <(printf '%s\n' "$allowed"))
if [[ -n $unknown ]]; then
  echo "check-imports: imported, but not known to be in Windows XP:" >&2
  printf '  %s\n' $unknown >&2
  status=1
fi

# The loader refuses an image that asks for a newer system than its own: 5.1 is Windows XP.
for field in MajorOSystemVersion MinorOSystemVersion MajorSubsystemVersion MinorSubsystemVersion; do
  value=$(awk -v f="$field" '$1 == f { print $2 }' <<<"$dump")
  case $field in Major*) want=5 ;; Minor*) want=1 ;; esac
  if [[ $value != "$want" ]]; then
    echo "check-imports: $field is $value, not $want (Windows XP)" >&2
    status=1
  fi
done
(( status == 0 )) && echo "check-imports: $(wc -l <<<"$imports") imports, all in Windows XP; PE header asks for 5.1"
exit $status
