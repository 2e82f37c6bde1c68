#!/usr/bin/env bash
# Checks the AppStream description, builds the program alone and makes the Debian package
# build/tallowmere_<version>_<architecture>.deb (stripped, installs under /usr).
set -euo pipefail
cd "$(dirname "$0")/.."
tools/install-deps.sh dpkg-dev appstream
appstreamcli validate --no-net resources/tallowmere.metainfo.xml >/dev/null
build_dir=${BUILD_DIR:-build}
tools/build.sh tallowmere
cd "$build_dir"
cpack -G DEB >cpack.log 2>&1 || { cat cpack.log >&2; exit 1; }
ls -1 "$PWD"/tallowmere_*.deb
