#!/usr/bin/env bash
# Builds and renders the main window into docs/main-window.png.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/install-deps.sh
tools/build.sh
QT_QPA_PLATFORM=offscreen "${BUILD_DIR:-build}/program/tallowmere_screenshot" docs/main-window.png
