#!/usr/bin/env bash
# Installs the Debian packages the build, the tests and the screenshots need,
# only those that are missing, and any packages named as arguments (the package
# step adds dpkg-dev). Run as root (or with sudo available).
set -euo pipefail
packages=(g++ make cmake qt6-base-dev fonts-liberation xvfb xauth "$@")
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  sudo_cmd=""
  [ "$(id -u)" -eq 0 ] || sudo_cmd="sudo"
  $sudo_cmd apt-get update
  DEBIAN_FRONTEND=noninteractive $sudo_cmd apt-get install -y --no-install-recommends "${missing[@]}"
fi
