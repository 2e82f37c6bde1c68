#!/usr/bin/env bash
# Installs what is missing, builds everything (the tests and benchmarks as well
# as the program), and runs every test headless.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/install-deps.sh
build_dir=${BUILD_DIR:-build}
echo "Building the program and its tests: the first build takes about 8 minutes on 2 cores (4 to 5 after tools/run.sh)."
tools/build.sh
export QT_QPA_PLATFORM=offscreen
cd "$build_dir"
ctest --output-on-failure -j"$(nproc)"
