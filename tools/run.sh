#!/usr/bin/env bash
# Installs what is missing, builds the program alone, and starts it.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/install-deps.sh
build_dir=${BUILD_DIR:-build}
if [ ! -x "$build_dir/program/tallowmere" ]; then
  echo "Building Tallowmere: the first build takes about 3 to 4 minutes on 2 cores; later starts take seconds."
fi
tools/build.sh tallowmere
exec "$build_dir/program/tallowmere" "$@"
