#!/usr/bin/env bash
# Installs every Debian package that building, running the demo and testing need.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config
  qt6-base-dev qt6-base-dev-tools libgl-dev
  libcurl4-openssl-dev libzip-dev zlib1g-dev libsodium-dev minisign
  libgtest-dev googletest
  clang libclang-rt-14-dev clang-format clang-tidy
  binutils-mingw-w64-x86-64 gcc-mingw-w64-x86-64
  zip unzip
  xvfb xauth x11-utils xdotool imagemagick twm xfonts-base
  xdg-utils libglib2.0-bin wine wine64
  libfuse3-dev fuse3
  fonts-dejavu-core fonts-dejavu-extra fonts-wine
  python3
  tinyproxy # a real proxy for the transfer tests
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

SUDO=""
[ "$(id -u)" -eq 0 ] || SUDO="sudo"
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
