#!/usr/bin/env bash
# Times "Start Replacing" on an offscreen main window against the engine alone
# on the same generated files (2000 CSV files of 256 KiB, one pair, in place, as
# in bench/run.sh) and prints the ratio window / engine for both modes; the
# window's share of the work (yields, row reads, size checks) should stay
# within 1.2 of the engine alone. Then sd and sed -i on fresh copies of the
# same files, each after sync, and the ratios peer / window.
#   BUILD_DIR=build BENCH_DATA=bench-data BENCH_FILES=2000 BENCH_FILE_SIZE=262144 BENCH_ROUNDS=4 bench/batchrun/run.sh
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
build=$(cd "$root" && mkdir -p "${BUILD_DIR:-build}" && cd "${BUILD_DIR:-build}" && pwd)
data=${BENCH_DATA:-$root/bench-data}/batchrun
file_count=${BENCH_FILES:-2000}
file_size=${BENCH_FILE_SIZE:-262144}
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" -j2 --target bench_batchrun bench_generate >/dev/null

cleanup() { [ "${BENCH_KEEP:-0}" = 1 ] || rm -rf "$data"; }
trap cleanup EXIT
src=$data/files
if [ ! -d "$src" ]; then
  mkdir -p "$src"
  for i in $(seq -w 1 "$file_count"); do "$build/bench/bench_generate" "$src/f$i.csv" "$file_size" "$i"; done
fi
printf 'Berlin\tHamburg\n' >"$data/pairs.tsv"
QT_QPA_PLATFORM=offscreen "$build/bench/batchrun/bench_batchrun" --rounds "${BENCH_ROUNDS:-4}" "$data/pairs.tsv" "$src"/*.csv \
  | tee "$data/window.out"
window=$(awk '/^  sets/ { print $(NF-4) }' "$data/window.out")
peer() { # label command...: best of the rounds, fresh copies and sync before each
  local label=$1 best=
  shift
  for _ in $(seq "${BENCH_ROUNDS:-4}"); do
    rm -rf "$data/peer"; cp -r "$src" "$data/peer"; sync
    local start end
    start=$(date +%s.%N)
    "$@" "$data"/peer/*.csv
    end=$(date +%s.%N)
    best=$(awk -v b="$best" -v s="$start" -v e="$end" 'BEGIN { t = e - s; print (b == "" || t < b) ? t : b }')
  done
  rm -rf "$data/peer"
  printf '  %-34s %10.3f s   peer / window (sets) %.2f\n' "$label" "$best" \
    "$(awk -v p="$best" -v w="$window" 'BEGIN { print (w > 0 ? p / w : 0) }')"
}
command -v sd >/dev/null 2>&1 && peer "sd -s Berlin Hamburg" sd -s Berlin Hamburg
peer "sed -i s/Berlin/Hamburg/g" sed -i s/Berlin/Hamburg/g
