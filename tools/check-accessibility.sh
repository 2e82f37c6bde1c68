#!/usr/bin/env bash
# Starts the program under a private X server and session bus with the
# accessibility bus on, prints its AT-SPI tree and fails when a control that
# takes the focus has no name. Needs xvfb, dbus, at-spi2-core and python3-dbus.
set -euo pipefail
cd "$(dirname "$0")/.."
build_dir=${BUILD_DIR:-build}
program=$(readlink -f "$build_dir/program/tallowmere")
export QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 QT_ACCESSIBILITY=1 NO_AT_BRIDGE=0
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
xvfb-run -a -s "-screen 0 1280x800x24" dbus-run-session -- bash -c '
  export HOME="$1" XDG_CONFIG_HOME="$1/config"
  gdbus call --session --dest org.a11y.Bus --object-path /org/a11y/bus \
        --method org.freedesktop.DBus.Properties.Set org.a11y.Status IsEnabled "<true>" >/dev/null
  "$2" & app=$!
  sleep 2
  status=0
  /usr/bin/python3 tools/atspi-tree.py || status=$?
  kill $app
  exit $status' bash "$scratch" "$program"
