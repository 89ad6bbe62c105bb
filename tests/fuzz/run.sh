#!/usr/bin/env bash
# Builds the fuzz targets natively, writes the seed corpus, fuzzes one TrueType reader and then
# replays the whole corpus through the regression runner, which runs the checks of both.
#   tests/fuzz/run.sh [RUNS] [extra libFuzzer flags...]
#   TARGET=details tests/fuzz/run.sh [RUNS] ...
# TARGET names the reader: `names` (the default) is the folder scan's ReadFontFaces and
# ReadFontNames, every face of a file against a plain step-by-step reading (ttf_fuzz);
# `details` is the font sheet's ReadFontDetails of the face the input's last byte chooses
# (ttf_details_fuzz), whose seeds keep cmap too.
# Seeds: crafted fonts and collections, and the real fonts and collections found in
# /usr/share/fonts, Wine's fonts, build/demo-fonts-cache and build/demo-fonts (made by
# scripts/demo-fonts.sh, which unpacks the test-font packages without installing them), cut
# down to the fuzzer's longest input: 4096 bytes for names, 16384 for details.
# RUNS defaults to 10000000 executions, shared by JOBS workers (default 1). Everything lands
# in build/fuzz/: corpus/, seeds/, crashes/, fuzz-N.log for names; the same names with
# -details for details. Needs tests/fuzz/setup.sh once.
set -euo pipefail
ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
OUT=$ROOT/build/fuzz
RUNS=${1:-10000000}
shift || true

TARGET=${TARGET:-names}
case $TARGET in
  names)   FUZZER=ttf_fuzz SUFFIX= SEED_MODE=() MAX_LEN=4096 ;;
  # A real cmap is larger than the names the scan reads.
  details) FUZZER=ttf_details_fuzz SUFFIX=-details SEED_MODE=(--details) MAX_LEN=16384 ;;
  *) echo "fuzz: TARGET must be names or details" >&2; exit 2 ;;
esac
CORPUS=$OUT/corpus$SUFFIX SEEDS=$OUT/seeds$SUFFIX CRASHES=$OUT/crashes$SUFFIX LOG=$OUT/fuzz$SUFFIX

mkdir -p "$CORPUS" "$SEEDS" "$CRASHES"
CC=clang CXX=clang++ cmake -S "$ROOT/tests/fuzz" -B "$OUT/cmake" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$OUT/cmake" -j2 >/dev/null

# Seeds: the crafted fonts and every real font the machine has, cut down to what the reader reads.
# The demo folder adds only its collection made from two of the cache's files.
mapfile -t fonts < <( (find /usr/share/fonts /usr/share/wine/fonts "$ROOT/build/demo-fonts-cache" \
                        -iname '*.ttf' -o -iname '*.otf' -o -iname '*.ttc' -o -iname '*.otc'
                       find "$ROOT/build/demo-fonts" -iname '*.ttc' -o -iname '*.otc') 2>/dev/null | sort)
"$OUT/cmake/ttf_seeds" "${SEED_MODE[@]}" "$SEEDS" "${fonts[@]}"

export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
# JOBS workers share the corpus folder and the executions between them.
JOBS=${JOBS:-1}
start=$(date +%s)
pids=()
for ((j = 1; j <= JOBS; j++)); do
  "$OUT/cmake/$FUZZER" "$CORPUS" "$SEEDS" -runs=$((RUNS / JOBS)) -max_len=$MAX_LEN -timeout=10 \
    -rss_limit_mb=2048 -artifact_prefix="$CRASHES/" -print_final_stats=1 "$@" >"$LOG-$j.log" 2>&1 &
  pids+=($!)
done
status=0
for pid in "${pids[@]}"; do wait "$pid" || status=$?; done
end=$(date +%s)
for ((j = 1; j <= JOBS; j++)); do
  grep -aE '^Done|ERROR|SUMMARY|stat::number_of_executed_units|stat::peak_rss' "$LOG-$j.log" | sed "s/^/worker $j: /"
done
runs=$(cat "$LOG"-[0-9]*.log | grep -a 'stat::number_of_executed_units' | awk '{s += $2} END {print s + 0}')
echo "fuzz $TARGET: exit $status after $((end - start)) s; $runs executions; corpus $(ls "$CORPUS" | wc -l) files," \
     "$(du -sk "$CORPUS" | cut -f1) KB; crashes: $(ls "$CRASHES" | wc -l)"

"$OUT/cmake/ttf_regressions" "$CORPUS"
"$OUT/cmake/ttf_regressions" "$SEEDS"
"$OUT/cmake/ttf_regressions" "$CRASHES"
exit "$status"
