#!/usr/bin/env bash
# Times the file list: a folder scan of 100,000 files in 5,000 folders against
# find on the same tree, pruning half of a 100,000-row list, and Clear.
# Run by hand. The tree (100,000 empty files) is kept in
# $BENCH_TREE between runs unless BENCH_KEEP=0.
#   BUILD_DIR=build BENCH_TREE=bench-tree BENCH_KEEP=1 bench/filelist/run.sh
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
build=$(cd "$root" && mkdir -p "${BUILD_DIR:-build}" && cd "${BUILD_DIR:-build}" && pwd)
tree=${BENCH_TREE:-$root/bench-tree}
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" -j2 --target bench_filelist >/dev/null
cleanup() { [ "${BENCH_KEEP:-1}" = 1 ] || rm -rf "$tree"; }
trap cleanup EXIT
QT_QPA_PLATFORM=offscreen "$build/bench/filelist/bench_filelist" "$tree"
