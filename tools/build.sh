#!/usr/bin/env bash
# Configures and builds into build/ (or $BUILD_DIR): the given targets, or all.
# The compiler's output goes to build.log and is shown only when the build fails.
set -euo pipefail
cd "$(dirname "$0")/.."
build_dir=${BUILD_DIR:-build}
mkdir -p "$build_dir"
log="$build_dir/build.log"
targets=()
for t in "$@"; do targets+=(--target "$t"); done
# CMAKE_ARGS: more settings, such as -DTALLOWMERE_WERROR=ON or -DTALLOWMERE_SANITIZE="address;undefined".
if ! { cmake -S . -B "$build_dir" -DCMAKE_BUILD_TYPE="${BUILD_TYPE:-Release}" ${CMAKE_ARGS:-} &&
       cmake --build "$build_dir" -j"$(nproc)" "${targets[@]}"; } >"$log" 2>&1; then
  grep -E -B2 -A6 'error|Error' "$log" | head -60 >&2 || tail -40 "$log" >&2
  echo "The build failed; the whole output is in $log" >&2
  exit 1
fi
