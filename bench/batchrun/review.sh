#!/usr/bin/env bash
# Times a review against "Count Matches Only" on the same generated files (2000
# CSV files of 256 KiB, one pair, as in bench/batchrun/run.sh), the disk synced
# before each timing, and prints the ratio review / count for both modes. Then
# the peak memory of each on one big file with a change on every line.
#   BUILD_DIR=build BENCH_DATA=bench-data BENCH_FILES=2000 BENCH_FILE_SIZE=262144 BENCH_ROUNDS=5 \
#   BENCH_BIG_SIZE=1073741824 bench/batchrun/review.sh
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
build=$(cd "$root" && mkdir -p "${BUILD_DIR:-build}" && cd "${BUILD_DIR:-build}" && pwd)
data=${BENCH_DATA:-$root/bench-data}/review
file_count=${BENCH_FILES:-2000}
file_size=${BENCH_FILE_SIZE:-262144}
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" -j2 --target bench_review bench_generate >/dev/null

cleanup() { [ "${BENCH_KEEP:-0}" = 1 ] || rm -rf "$data"; }
trap cleanup EXIT
src=$data/files
if [ ! -d "$src" ]; then
  mkdir -p "$src"
  for i in $(seq -w 1 "$file_count"); do "$build/bench/bench_generate" "$src/f$i.csv" "$file_size" "$i"; done
fi
printf 'Berlin\tHamburg\n' >"$data/pairs.tsv"
"$build/bench/batchrun/bench_review" --rounds "${BENCH_ROUNDS:-5}" "$data/pairs.tsv" "$src"/*.csv

# Peak memory on one big file: the review keeps at most 1,000 lines of it.
big=$data/big.csv
"$build/bench/bench_generate" "$big" "${BENCH_BIG_SIZE:-1073741824}" 1
printf ',\t;\n' >"$data/every-line.tsv"
peak() { /usr/bin/time -f %M "$build/bench/batchrun/bench_review" --only "$1" "$data/every-line.tsv" "$big" 2>&1 >/dev/null | tail -1; }
sync; count_kib=$(peak count)
sync; review_kib=$(peak review)
printf '  one file of %d MiB, a change on every line: peak count %d MiB, review %d MiB, review - count %d MiB\n' \
  "$(( ${BENCH_BIG_SIZE:-1073741824} / 1048576 ))" "$(( count_kib / 1024 ))" "$(( review_kib / 1024 ))" \
  "$(( (review_kib - count_kib) / 1024 ))"
