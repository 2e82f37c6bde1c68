#!/usr/bin/env bash
# Times "Start Replacing" on an offscreen main window against the engine alone
# on the same generated files (2000 CSV files of 256 KiB, one pair, in place, as
# in bench/run.sh) and prints the ratio window / engine for both modes (target
# at most 1.1: the window's share of the work, its yields, row reads and size
# checks, costs next to nothing). In the same interleaved rounds, each timing
# after sync, sd, sed -i and perl -pi on fresh copies of the same files; the
# ratios peer / window compare medians.
#   BUILD_DIR=build BENCH_DATA=bench-data BENCH_FILES=2000 BENCH_FILE_SIZE=262144 BENCH_ROUNDS=5 bench/batchrun/run.sh
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
build=$(cd "$root" && mkdir -p "${BUILD_DIR:-build}" && cd "${BUILD_DIR:-build}" && pwd)
data=${BENCH_DATA:-$root/bench-data}/batchrun
file_count=${BENCH_FILES:-2000}
file_size=${BENCH_FILE_SIZE:-262144}
rounds_count=${BENCH_ROUNDS:-5}
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" -j2 --target bench_batchrun bench_generate >/dev/null
# shellcheck source=bench/timing.sh
. "$root/bench/timing.sh"

cleanup() { [ "${BENCH_KEEP:-0}" = 1 ] || rm -rf "$data"; }
trap cleanup EXIT
src=$data/files
if [ ! -d "$src" ]; then
  mkdir -p "$src"
  for i in $(seq -w 1 "$file_count"); do "$build/bench/bench_generate" "$src/f$i.csv" "$file_size" "$i"; done
fi
total=$(du -sb "$src" | cut -f1)
printf 'Berlin\tHamburg\n' >"$data/pairs.tsv"
timings_begin "$data/timings"

prepare() {
  rm -rf "$data/peer"
  [ "$1" = program ] || cp -r "$src" "$data/peer"
}
run() {
  case $1 in
  # Both sides in both tabs, interleaved inside the program, fresh copies and
  # sync before each.
  program)
    QT_QPA_PLATFORM=offscreen "$build/bench/batchrun/bench_batchrun" --rounds 1 "$data/pairs.tsv" "$src"/*.csv \
      >"$data/window.out" 2>"$data/window.err" || { cat "$data/window.err" >&2; exit 1; }
    local tab
    for tab in sets single; do
      record "engine alone, $tab tab" "$(awk -v t="$tab" '$1 == t { print $(NF-5) }' "$data/window.out")" 0
      record "window, $tab tab" "$(awk -v t="$tab" '$1 == t { print $(NF-4) }' "$data/window.out")" 0
    done
    ;;
  sd) timed "sd -s" sd -s Berlin Hamburg "$data"/peer/*.csv ;;
  sed) timed "sed -i" sed -i s/Berlin/Hamburg/g "$data"/peer/*.csv ;;
  perl) timed "perl -pi" perl -pi -e 's/Berlin/Hamburg/g' "$data"/peer/*.csv ;;
  esac
}
peers=(sed perl)
command -v sd >/dev/null 2>&1 && peers=(sd "${peers[@]}")
echo "$file_count files of $((file_size / 1024)) KiB, one pair, in place; medians of $rounds_count interleaved rounds"
rounds "$rounds_count" prepare run program "${peers[@]}"
labels=("engine alone, sets tab" "window, sets tab" "engine alone, single tab" "window, single tab")
command -v sd >/dev/null 2>&1 && labels+=("sd -s")
labels+=("sed -i" "perl -pi")
summary "$total" "window, sets tab" "${labels[@]}"
for tab in sets single; do
  printf '  window / engine alone, %s tab: %.3f (target at most 1.1)\n' "$tab" \
    "$(awk -v w="$(median_of "window, $tab tab")" -v e="$(median_of "engine alone, $tab tab")" 'BEGIN { print (e > 0 ? w / e : 0) }')"
done
rm -rf "$data/peer"
