#!/usr/bin/env bash
# Builds the Debian package (tools/package.sh) and checks it as the
# distribution would: lintian at its default level, the desktop entry and the
# AppStream description. Fails on any error or warning. Run by hand (it builds
# the program a second time, with other flags); it needs no network.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/install-deps.sh lintian desktop-file-utils appstream dpkg-dev
package=$(tools/package.sh | tail -1)
failed=0
echo "lintian $package"
lintian --fail-on error,warning --display-level '>=warning' "$package" || failed=1
echo "desktop-file-validate resources/tallowmere.desktop"
desktop-file-validate resources/tallowmere.desktop || failed=1
echo "appstreamcli validate --no-net resources/tallowmere.metainfo.xml"
appstreamcli validate --no-net resources/tallowmere.metainfo.xml || failed=1
# The packaged copies, as installed, must pass too.
unpacked=$(mktemp -d)
trap 'rm -rf "$unpacked"' EXIT
dpkg-deb -x "$package" "$unpacked"
desktop-file-validate "$unpacked"/usr/share/applications/tallowmere.desktop || failed=1
appstreamcli validate --no-net "$unpacked"/usr/share/metainfo/*.metainfo.xml || failed=1
if [ "$failed" -ne 0 ]; then
  echo "The package check failed." >&2
  exit 1
fi
echo "The package passes lintian and the validators."
