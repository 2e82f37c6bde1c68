#!/usr/bin/env bash
# Builds and renders the main window after a run over the sample files into
# docs/main-window.png. The samples are copied to /home/user/Documents, in a
# private /home of this command alone when it may have one (root), so that the
# rows show a user's paths; otherwise to a temporary folder.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/install-deps.sh
build_dir=${BUILD_DIR:-build}
tools/build.sh tallowmere_screenshot
render() {
  QT_QPA_PLATFORM=offscreen "$build_dir/program/tallowmere_screenshot" docs/main-window.png "$1"
}
export -f render
export build_dir
if [ "$(id -u)" -eq 0 ] && unshare -m true 2>/dev/null; then
  unshare -m bash -c 'mount -t tmpfs tmpfs /home && mkdir -p /home/user/Documents &&
                      HOME=/home/user render /home/user/Documents'
else
  scratch=$(mktemp -d)
  trap 'rm -rf "$scratch"' EXIT
  mkdir -p "$scratch/user/Documents"
  HOME="$scratch/user" render "$scratch/user/Documents"
fi
echo "docs/main-window.png"
