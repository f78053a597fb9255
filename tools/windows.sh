#!/usr/bin/env bash
# The Windows build: orvex.exe and the picture helper orvex-picture.exe cross-compiled with
# MinGW-w64 and linked statically, so they need no DLL beside them, and the zip a user unpacks.
# freeglut comes from Debian's source package of the version the Linux build uses, built once into
# build-win/deps (never part of the repository); GLU, OpenGL and the Windows Imaging Component are
# Windows' own.
#   bash tools/windows.sh     installs what is missing, writes build-win/orvex.exe,
#                             build-win/orvex-picture.exe and build-win/orvex-<version>-win64.zip
set -euo pipefail
cd "$(dirname "$0")/.."
source tools/build.sh

bash tools/setup.sh g++-mingw-w64-x86-64 wine64 wine zip dpkg-dev

deps=$PWD/build-win/deps
freeglut=$deps/freeglut      # the installed static library and headers
mkdir -p "$deps"

# --- freeglut for Windows -----------------------------------------------------------------------
version=$(dpkg-query -W -f='${source:Version}' freeglut3-dev)
if [ "$(cat "$freeglut/version" 2>/dev/null)" != "$version" ]; then
  source_dir=$(bash tools/freeglut_source.sh "$deps")
  rm -rf "$deps/freeglut-build" "$freeglut"
  cmake -S "$source_dir" -B "$deps/freeglut-build" -G Ninja \
    -DCMAKE_TOOLCHAIN_FILE="$PWD/cmake/mingw-w64-x86_64.cmake" -DCMAKE_BUILD_TYPE=Release \
    -DFREEGLUT_BUILD_SHARED_LIBS=OFF -DFREEGLUT_BUILD_STATIC_LIBS=ON -DFREEGLUT_BUILD_DEMOS=OFF \
    -DFREEGLUT_REPLACE_GLUT=OFF -DCMAKE_INSTALL_PREFIX="$freeglut" >/dev/null
  cmake --build "$deps/freeglut-build" -j2 >/dev/null
  cmake --install "$deps/freeglut-build" >/dev/null
  echo "$version" > "$freeglut/version"
fi

# --- orvex.exe, orvex-picture.exe ---------------------------------------------------------------
orvex_configure build-win
cmake --build build-win -j2

# --- the zip: one folder a user unpacks and double-clicks in -------------------------------------
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' build-win/CMakeCache.txt)
name=orvex-$version-win64
stage=build-win/zip
rm -rf "$stage" "build-win/$name.zip"
mkdir -p "$stage/$name"
for program in orvex orvex-picture; do
  x86_64-w64-mingw32-strip -o "$stage/$name/$program.exe" "build-win/$program.exe"
done
bash tools/demo_maps.sh "$stage/$name" --crlf >/dev/null
sed 's/$/\r/' tools/windows/README-windows.txt > "$stage/$name/README-windows.txt"
(cd "$stage" && zip -q -X -r "../$name.zip" "$name")
echo "build-win/$name.zip: $(stat -c %s "build-win/$name.zip") bytes"
