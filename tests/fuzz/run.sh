#!/usr/bin/env bash
# Builds the fuzz target natively, writes the seed corpus, fuzzes the TrueType reader and then
# replays the whole corpus through the regression runner.
#   tests/fuzz/run.sh [RUNS] [extra libFuzzer flags...]
# RUNS defaults to 10000000 executions, shared by JOBS workers (default 1). Everything lands
# in build/fuzz/ (corpus/, crashes/, fuzz-N.log). Needs tests/fuzz/setup.sh once.
set -euo pipefail
ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
OUT=$ROOT/build/fuzz
RUNS=${1:-10000000}
shift || true

mkdir -p "$OUT/corpus" "$OUT/seeds" "$OUT/crashes"
CC=clang CXX=clang++ cmake -S "$ROOT/tests/fuzz" -B "$OUT/cmake" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$OUT/cmake" -j2 >/dev/null

# Seeds: the crafted fonts and every real .ttf the machine has, cut down to what the reader reads.
mapfile -t fonts < <(find /usr/share/fonts /usr/share/wine/fonts -iname '*.ttf' 2>/dev/null | sort)
"$OUT/cmake/ttf_seeds" "$OUT/seeds" "${fonts[@]}"

export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
# JOBS workers share the corpus folder and the executions between them.
JOBS=${JOBS:-1}
start=$(date +%s)
pids=()
for ((j = 1; j <= JOBS; j++)); do
  "$OUT/cmake/ttf_fuzz" "$OUT/corpus" "$OUT/seeds" -runs=$((RUNS / JOBS)) -max_len=4096 -timeout=10 \
    -rss_limit_mb=2048 -artifact_prefix="$OUT/crashes/" -print_final_stats=1 "$@" >"$OUT/fuzz-$j.log" 2>&1 &
  pids+=($!)
done
status=0
for pid in "${pids[@]}"; do wait "$pid" || status=$?; done
end=$(date +%s)
for ((j = 1; j <= JOBS; j++)); do
  grep -aE '^Done|ERROR|SUMMARY|stat::number_of_executed_units|stat::peak_rss' "$OUT/fuzz-$j.log" | sed "s/^/worker $j: /"
done
runs=$(cat "$OUT"/fuzz-*.log | grep -a 'stat::number_of_executed_units' | awk '{s += $2} END {print s + 0}')
echo "fuzz: exit $status after $((end - start)) s; $runs executions; corpus $(ls "$OUT/corpus" | wc -l) files," \
     "$(du -sk "$OUT/corpus" | cut -f1) KB; crashes: $(ls "$OUT/crashes" | wc -l)"

"$OUT/cmake/ttf_regressions" "$OUT/corpus"
"$OUT/cmake/ttf_regressions" "$OUT/seeds"
"$OUT/cmake/ttf_regressions" "$OUT/crashes"
exit "$status"
