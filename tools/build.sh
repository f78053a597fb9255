#!/usr/bin/env bash
# Every build tree of the project and the one way each is configured. The other scripts source
# this file and configure only through orvex_configure, so no two of them can configure one tree
# two ways: the demo, the test command, the valgrind check and the README's install all share
# build/, and they run in any order on one clone. (The Debian package builds in obj-*/, through
# debhelper.)
#   bash tools/build.sh [target ...]     configures build/ and builds the targets (default: all)

orvex_generator=Ninja

# Configure options of each tree, by its default folder name.
declare -A orvex_tree_options=(
  [build]="-DCMAKE_BUILD_TYPE=RelWithDebInfo"
  [build-asan]="-DCMAKE_BUILD_TYPE=RelWithDebInfo -DORVEX_SANITIZE=ON"
  [build-bench]="-DCMAKE_BUILD_TYPE=Release -DORVEX_BENCH=ON -DBUILD_TESTING=OFF"
  [build-win]="--no-warn-unused-cli -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF"
  [build-fuzz]="-DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo -DORVEX_FUZZ=ON -DBUILD_TESTING=OFF"
  [build-web]="-DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF"
)

# The command each tree is configured with (default: cmake); the browser's goes through emcmake,
# which brings emscripten's toolchain.
declare -A orvex_tree_cmake=(
  [build-web]="emcmake cmake"
)

# orvex_configure TREE [FOLDER]: configures FOLDER (default TREE) with TREE's options, quietly.
# Run from the top of the source tree.
orvex_configure() {
  local tree=$1 folder=${2:-$1}
  local options=${orvex_tree_options[$tree]:?"orvex_configure: no build tree named $tree"}
  # CMake refuses to reuse a tree made with another generator (an older script, a plain cmake
  # run): the tree holds nothing but build products, so its cache is dropped and it starts afresh.
  local cache=$folder/CMakeCache.txt
  if [ -f "$cache" ] && ! grep -qx "CMAKE_GENERATOR:INTERNAL=$orvex_generator" "$cache"; then
    echo "$folder was configured with another generator; configuring it afresh" >&2
    rm -rf "$cache" "$folder/CMakeFiles"
  fi
  # shellcheck disable=SC2086  # the options and the command are separate words
  ${orvex_tree_cmake[$tree]:-cmake} -S . -B "$folder" -G "$orvex_generator" $options >/dev/null
}

if [ "${BASH_SOURCE[0]}" = "$0" ]; then
  set -euo pipefail
  cd "$(dirname "$0")/.."
  build=${ORVEX_BUILD_DIR:-build}
  orvex_configure build "$build"
  if [ $# -gt 0 ]; then cmake --build "$build" --target "$@"; else cmake --build "$build"; fi
fi
