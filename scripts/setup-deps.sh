#!/bin/sh
# Installs the Debian 12 packages Tessoly needs to build, run, test and package.
# Uses sudo only when not already root. Safe to run again: apt skips what is there.
set -eu

packages="
  build-essential cmake ninja-build pkg-config git
  qt6-base-dev qt6-base-dev-tools qt6-svg-dev libgl-dev
  libfreeimage-dev libfreetype-dev libfontconfig-dev
  libcurl4-openssl-dev libemf2svg-dev zlib1g-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  fonts-liberation fonts-dejavu-core fonts-dejavu-extra
  xvfb xauth x11-apps
  librsvg2-bin dpkg-dev file desktop-file-utils appstream
"

missing=""
for p in $packages; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing="$missing $p"
done
[ -z "$missing" ] && exit 0

if [ "$(id -u)" -eq 0 ]; then sudo=""; else sudo="sudo"; fi
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
# shellcheck disable=SC2086
$sudo apt-get install -y -qq --no-install-recommends $missing
