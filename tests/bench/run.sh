#!/usr/bin/env bash
# The TrueType reader benchmark: every .ttf of the benchmark's font packages read natively (time
# and callgrind instructions, reader beside its floor), under Wine through ReadTrueTypeInfo
# (time, reader beside its Win32 floor), and the names compared with fc-query's.
#   tests/bench/run.sh          (needs tests/bench/setup.sh, and scripts/setup.sh for Wine)
# Prints figures only; it fails only when it cannot run.
set -euo pipefail
ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
OUT=$ROOT/build/bench
mkdir -p "$OUT"
cd "$ROOT"

PACKAGES=(fonts-noto-core fonts-noto-extra fonts-noto-ui-core fonts-noto-ui-extra fonts-dejavu-core
          fonts-liberation2 fonts-freefont-ttf fonts-crosextra-carlito fonts-crosextra-caladea)
dpkg -L "${PACKAGES[@]}" 2>/dev/null | grep -i '\.ttf$' | sort -u | while read -r f; do
  [[ -f $f ]] && printf '%s\n' "$f"
done > "$OUT/fonts.txt"
sed 's|/|\\|g; s|^|Z:|' "$OUT/fonts.txt" > "$OUT/fonts-win.txt"
echo "== $(wc -l < "$OUT/fonts.txt") .ttf files from: ${PACKAGES[*]}"

# ---- native ---------------------------------------------------------------------------------
g++ -O2 -std=c++20 -I"$ROOT" tests/bench/NativeBench.cpp fonts/TrueTypeReader.cpp -o "$OUT/bench_native"
echo "== native (g++ -O2)"
"$OUT/bench_native" --repeat 7 "$OUT/fonts.txt"

echo "== native under callgrind (instructions)"
rm -f "$OUT"/callgrind.out.*
valgrind --tool=callgrind --instr-atstart=no --callgrind-out-file="$OUT/callgrind.out.%p" \
  "$OUT/bench_native" --callgrind "$OUT/fonts.txt" >/dev/null 2>"$OUT/callgrind.log"
files=$(wc -l < "$OUT/fonts.txt")
reader=$(grep -h -A0 '^totals:' $(grep -l 'Client Request: reader' "$OUT"/callgrind.out.*.[0-9]*) | awk '{print $2}' | head -1)
floor=$(grep -h -A0 '^totals:' $(grep -l 'Client Request: floor' "$OUT"/callgrind.out.*.[0-9]*) | awk '{print $2}' | head -1)
awk -v r="$reader" -v f="$floor" -v n="$files" 'BEGIN {
  printf "reader: %.0f instructions/file   floor: %.0f instructions/file   ratio %.2f\n", r / n, f / n, r / f }'
echo "(user-space instructions only: the floor's open, pread and close run in the kernel)"

echo "== for comparison: fc-scan on the same files"
t0=$(date +%s%N)
xargs -a "$OUT/fonts.txt" -d '\n' fc-scan --format '' >/dev/null 2>&1 || true
t1=$(date +%s%N)
awk -v t=$(( (t1 - t0) / 1000 )) -v n="$files" 'BEGIN { printf "fc-scan: %.1f us/file\n", t / n }'

# ---- under Wine -----------------------------------------------------------------------------
echo "== under Wine (ReadTrueTypeInfo, TYPA.EXE's code)"
cmake --preset win32 >/dev/null
cmake --build --preset win32 --target typa_core >/dev/null
i686-w64-mingw32-g++ -O2 -std=c++20 -finput-charset=UTF-8 -fexec-charset=CP1252 \
  -D_WIN32_WINNT=0x0601 -DWINVER=0x0601 -DNOMINMAX -DSTRICT -I"$ROOT" \
  tests/bench/WineBench.cpp build/libtypa_core.a -static -static-libgcc -static-libstdc++ \
  -lcomctl32 -lgdi32 -luser32 -lkernel32 -ladvapi32 -lshell32 -lcomdlg32 -lwinspool -lversion -lole32 -luuid \
  -o "$OUT/WineBench.exe"
winlist="Z:$(readlink -f "$OUT/fonts-win.txt" | sed 's|/|\\|g')"
scripts/wine-run.sh "$OUT/WineBench.exe" --repeat 5 "$winlist"

# ---- names against fc-query -----------------------------------------------------------------
echo "== names against fc-query"
"$OUT/bench_native" --names "$OUT/fonts.txt" > "$OUT/names.tsv"
python3 tests/bench/check-names.py "$OUT/names.tsv"
