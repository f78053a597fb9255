#!/usr/bin/env bash
# Unpacks Debian's source package of the freeglut the Linux build uses into FOLDER/src, once per
# version, and prints the unpacked folder. The Windows build compiles it; the web build takes its
# bitmap fonts from it. Nothing of it ever enters the repository.
#   bash tools/freeglut_source.sh FOLDER
set -euo pipefail
folder=${1:?usage: freeglut_source.sh FOLDER}
mkdir -p "$folder"
folder=$(cd "$folder" && pwd)

version=$(dpkg-query -W -f='${source:Version}' freeglut3-dev)
if [ "$(cat "$folder/src/version" 2>/dev/null)" != "$version" ]; then
  # apt-get source needs a deb-src entry for the suite the system installs from.
  if [ -z "$(apt-cache showsrc freeglut 2>/dev/null)" ]; then
    SUDO=""
    [ "$(id -u)" -ne 0 ] && SUDO="sudo"
    if [ -f /etc/apt/sources.list.d/debian.sources ]; then
      sed 's/^Types: deb$/Types: deb-src/' /etc/apt/sources.list.d/debian.sources |
        $SUDO tee /etc/apt/sources.list.d/orvex-deb-src.sources >/dev/null
    else
      grep '^deb ' /etc/apt/sources.list | sed 's/^deb /deb-src /' |
        $SUDO tee /etc/apt/sources.list.d/orvex-deb-src.list >/dev/null
    fi
    $SUDO apt-get update -qq
  fi
  rm -rf "$folder/src"
  mkdir -p "$folder/src"
  (cd "$folder/src" && apt-get source -qq "freeglut=$version" >/dev/null 2>&1) ||
    { echo "apt-get source freeglut=$version failed" >&2; exit 1; }
  echo "$version" > "$folder/src/version"
fi
find "$folder/src" -mindepth 1 -maxdepth 1 -type d -name 'freeglut-*' | head -n 1
