#!/usr/bin/env bash
# Installs what building, running and testing Orvex needs on a Debian machine, and the packages
# named as arguments. Idempotent: when every package is present it installs nothing and prints
# nothing.
#   tools/setup.sh [package ...]
set -euo pipefail

packages=(
  g++ cmake ninja-build pkg-config
  libgtest-dev
  freeglut3-dev libglu1-mesa-dev libgl1-mesa-dri libx11-dev libxi-dev libxtst-dev
  xvfb xauth xdotool x11-apps x11-utils openbox
  imagemagick xplanet-images mandoc
  libvips-dev libvips-tools
  clang libclang-rt-14-dev valgrind libstb-dev bc gnuplot-nox
  "$@"
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

SUDO=""
[ "$(id -u)" -ne 0 ] && SUDO="sudo"
echo "Installing: ${missing[*]}"
$SUDO apt-get update -qq
DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
