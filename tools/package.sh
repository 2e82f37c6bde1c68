#!/usr/bin/env bash
# Checks the AppStream description, builds the program alone in build/deb/ with
# the distribution's flags (dpkg-buildflags, every hardening feature on) and
# makes the Debian package build/tallowmere_<version>_<architecture>.deb
# (stripped, installs under /usr). Prints the package's path.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/install-deps.sh dpkg-dev appstream
appstreamcli validate --no-net resources/tallowmere.metainfo.xml >/dev/null
build_dir=${BUILD_DIR:-build}
# A folder of its own: the flags differ from those of the tests' build, and
# switching one folder between them would rebuild everything each time.
deb_dir=$build_dir/deb
export DEB_BUILD_MAINT_OPTIONS=hardening=+all
mkdir -p "$deb_dir"
cmake -S . -B "$deb_dir" -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF -DTALLOWMERE_BENCH=OFF \
      -DCMAKE_CXX_FLAGS="$(dpkg-buildflags --get CPPFLAGS) $(dpkg-buildflags --get CXXFLAGS)" \
      -DCMAKE_EXE_LINKER_FLAGS="$(dpkg-buildflags --get LDFLAGS)" >"$deb_dir/configure.log" 2>&1 ||
  { cat "$deb_dir/configure.log" >&2; exit 1; }
BUILD_DIR=$deb_dir tools/build.sh tallowmere
cd "$deb_dir"
rm -f tallowmere_*.deb
cpack -G DEB >cpack.log 2>&1 || { cat cpack.log >&2; exit 1; }
package=$(ls tallowmere_*.deb)
cp "$package" ..
echo "$(cd .. && pwd)/$package"
