#!/usr/bin/env bash
# The speed benchmark, in one go and in one throw-away Wine prefix. Prints figures only.
#  1. Folder scan: ScanFloor.exe (find the *.TTF files, open each, read its offset table, table
#     directory, OS/2 head and name records, close it: the least any reader does) and TYPA's own
#     scan (CatalogueBench.exe --scan, progress dialog included, its two-second minimum display
#     left out) on the same folders: 3,000 generated fonts, and the .ttf files of some Debian
#     font packages, downloaded and unpacked but never installed (installed host fonts slow every
#     Wine start). Best of five rounds each, taken in turns, and their ratio.
#  2. Start-up: ListBench.exe with 1,000, 4,000 and 8,000 fonts installed into the prefix, in
#     families of four styles: TYPA.EXE started until its installed list holds every row, beside
#     a minimal window program started the same way (the floor for "a window appears"), the
#     first start with nothing remembered and the others; then filling, drawing, scrolling,
#     50 refreshes with the GDI objects and private bytes held, and how soon the lists show a
#     font another program installed and removed. Then the private bytes with 8,000 installed
#     and 3,000 in the folder.
#   tests/bench/speed-bench.sh [scan|startup]     (both by default)
# Needs a build with its tests (scripts/test.sh or cmake --build --preset win32 makes one in
# build/; TYPA_BUILD names another). Downloads the font packages once into build/.
set -euo pipefail
ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
BIN=${TYPA_BUILD:-$ROOT/build}/bin
PARTS=${1:-all}
source "$ROOT/scripts/wine-prefix.sh"
for exe in ScanFloor.exe CatalogueBench.exe ListBench.exe FloorWindow.exe TYPA.EXE; do
  [[ -f $BIN/$exe ]] || { echo "speed-bench: $BIN/$exe is missing: build the tests first" >&2; exit 2; }
done

# ---- Real fonts: one flat folder, as the scan reads one folder ------------------------------
PACKAGES=(fonts-noto-core fonts-dejavu-core fonts-liberation2 fonts-freefont-ttf fonts-crosextra-carlito
          fonts-crosextra-caladea fonts-lato fonts-open-sans fonts-hack)
REAL=$ROOT/build/bench-real-fonts
real_fonts() {
  local cache=$ROOT/build/bench-fonts-cache manifest pkg deb
  manifest=$(printf '%s\n' "${PACKAGES[@]}")
  [[ -f $REAL/.complete && $(cat "$REAL/.complete") == "$manifest" ]] && return 0
  mkdir -p "$cache"
  rm -rf "$REAL.new"
  mkdir -p "$REAL.new"
  for pkg in "${PACKAGES[@]}"; do
    deb=$(ls "$cache/${pkg}"_*.deb 2>/dev/null | head -n1 || true)
    if [[ -z $deb ]]; then
      if ! (cd "$cache" && apt-get download -q "$pkg" >/dev/null 2>&1); then
        apt-get update -qq </dev/null # no package lists yet, or stale ones
        (cd "$cache" && apt-get download -q "$pkg" >/dev/null)
      fi
      deb=$(ls "$cache/${pkg}"_*.deb | head -n1)
    fi
    [[ -d $cache/$pkg ]] || { dpkg-deb -x "$deb" "$cache/$pkg.tmp" && mv "$cache/$pkg.tmp" "$cache/$pkg"; }
    # The first file of a name is kept; the scan reads *.TTF whatever the case.
    find "$cache/$pkg" -iname '*.ttf' -type f -print0 | while IFS= read -r -d '' f; do
      [[ -e $REAL.new/$(basename "$f") ]] || cp "$f" "$REAL.new/"
    done
  done
  printf '%s\n' "$manifest" > "$REAL.new/.complete"
  rm -rf "$REAL"
  mv "$REAL.new" "$REAL"
}

PREFIX=$(mktemp -d /tmp/typa-speedbench.XXXXXX)
cleanup() { WINEPREFIX=$PREFIX wineserver -k 2>/dev/null || true; rm -rf "$PREFIX" "$PREFIX.lock"; }
trap cleanup EXIT
rmdir "$PREFIX"
typa_wine_prefix "$PREFIX" >/dev/null
export TYPA_WINEPREFIX=$PREFIX
# One server for the whole run, as the test run has: Wine's services are not started again for
# every program, which would weigh on the first figure of each.
wineserver -p
run() { "$ROOT/scripts/wine-run.sh" "$@" | tr -d '\r' | { grep -v -e '^\[doctest\]' -e '^=====' || true; }; }

echo "== speed benchmark, $(date -u '+%Y-%m-%d %H:%M UTC'), $(nproc) cores, $(uname -m)" \
     "$(grep -q qemu /proc/sys/fs/binfmt_misc/* 2>/dev/null && echo '(i386 under qemu)' || echo '(i386 native)')"

best() { sed -n "s/^$1 best: \([0-9]*\) ms$/\1/p" | sort -n | head -n1; }

# Floor and scan take turns, five rounds each, so that a machine that slows down for a while
# weighs on both; the best round of each counts.
scan_part() {
  local label=$1 folder=$2 floor scan r
  echo "-- $label"
  run "$BIN/ScanFloor.exe" "$folder" 1 >/dev/null # the files into the page cache
  : > "$PREFIX/floor" && : > "$PREFIX/scan"
  for r in 1 2 3 4 5; do
    run "$BIN/ScanFloor.exe" "$folder" 1 | tee -a "$PREFIX/floor" | grep -v best
    run "$BIN/CatalogueBench.exe" --scan "$folder" 1 | tee -a "$PREFIX/scan" | grep -v best
  done
  floor=$(best floor < "$PREFIX/floor")
  scan=$(best scan < "$PREFIX/scan")
  LC_ALL=C awk -v l="$label" -v f="$floor" -v s="$scan" \
    'BEGIN { printf "%s: scan %d ms, floor %d ms, ratio %.2f\n", l, s, f, s / f }' | tee -a "$PREFIX/summary"
}

if [[ $PARTS == all || $PARTS == scan ]]; then
  real_fonts
  generated='C:\bench-3000'
  run "$BIN/CatalogueBench.exe" --make "$generated"
  echo "== folder scan"
  scan_part "3,000 generated fonts" "$generated"
  echo "(real fonts from: ${PACKAGES[*]})"
  scan_part "$(find "$REAL" -iname '*.ttf' | wc -l) real fonts" "$(typa_winpath "$REAL")"
fi

if [[ $PARTS == all || $PARTS == startup ]]; then
  # Families of four styles, as libraries are; the prefix gains fonts from one count to the
  # next, and each count starts with nothing remembered of the one before.
  for n in 1000 4000 8000; do
    echo "== start-up and the installed list, $n fonts installed in families of four"
    TYPA_BENCH_FONTS=$n TYPA_BENCH_STYLES=4 run "$BIN/ListBench.exe" | tee "$PREFIX/list-$n"
    # Where a build's catalogue time goes when nothing is remembered, with the same fonts.
    run "$BIN/CatalogueBench.exe" --installed 1
    grep -h '^start-up\|^first start-up\|^refresh\|^lists current' "$PREFIX/list-$n" | sed "s/^/$n fonts: /" >> "$PREFIX/summary"
  done
  # Memory with a folder of 3,000 fonts on the left beside the 8,000 installed.
  generated='C:\bench-3000'
  [[ -d $PREFIX/drive_c/bench-3000 ]] || run "$BIN/CatalogueBench.exe" --make "$generated" >/dev/null
  echo "== private bytes: 8000 fonts installed, 3,000 in the folder"
  TYPA_BENCH_FONTS=8000 TYPA_BENCH_STYLES=4 TYPA_BENCH_STARTS=1 TYPA_BENCH_FOLDER=$generated \
    run "$BIN/ListBench.exe" | tee "$PREFIX/list-memory"
  grep -h '^private bytes' "$PREFIX/list-memory" >> "$PREFIX/summary"
  # Refresh of 8,000 against 1,000: a catalogue that grows linearly keeps this near 8.
  LC_ALL=C awk '/^refresh/ { for (i = 1; i <= NF; ++i) if ($i == "median") { gsub(/[^0-9]/, "", $(i + 1)); r[FILENAME] = $(i + 1) } }
                END { a = r[ARGV[1]]; b = r[ARGV[2]]; if (a > 0) printf "refresh of 8000 against 1000: %.1f times\n", b / a }' \
    "$PREFIX/list-1000" "$PREFIX/list-8000" | tee -a "$PREFIX/summary"
fi

echo "== summary"
cat "$PREFIX/summary"
