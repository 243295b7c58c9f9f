#!/usr/bin/env bash
# Installs every Debian package that building, running and testing Postwright needs.
# Safe to run again: apt-get skips what is already there.
set -euo pipefail

packages=(
  build-essential cmake pkg-config
  qt6-base-dev qt6-base-dev-tools qt6-tools-dev qt6-tools-dev-tools
  qt6-webengine-dev qt6-webengine-dev-tools libqt6webenginecore6-bin qt6-declarative-dev
  qt6-image-formats-plugins qt6-svg-dev
  libgl-dev libxkbcommon-dev
  libboost-dev libre2-dev zlib1g-dev
  # libwmf reads no metafile at all unless it finds a font, hence the URW fonts
  libwmf-dev fonts-urw-base35 libemf2svg-dev xdg-utils
  # libwmf's link line names these libraries, whose -dev packages it does not pull in
  libjpeg-dev libexpat1-dev
  libssl-dev ca-certificates
  libbenchmark-dev
  fonts-liberation
  xvfb xauth
  # the package test: cpack's .deb generator needs file to find the program's libraries
  desktop-file-utils x11-utils file
  # the core built for Windows and its tests run under Wine (make test-windows)
  g++-mingw-w64-x86-64-posix wine64
)

if [ "$(id -u)" -eq 0 ]; then SUDO=(); else SUDO=(sudo); fi

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

export DEBIAN_FRONTEND=noninteractive
"${SUDO[@]}" apt-get update -qq
"${SUDO[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}"
