#!/usr/bin/env bash
# Builds the Debian package of Orvex from this clone and checks it with lintian.
#   tools/package.sh      leaves orvex_<version>_<arch>.deb in build-deb/
# Install it with `sudo apt-get install ./build-deb/orvex_*.deb`, remove it with
# `sudo apt-get remove orvex`.
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/setup.sh dpkg-dev debhelper devscripts lintian fakeroot

# The tests run in tools/test.sh (the GL and end-to-end ones need an X server), so the package
# build skips them; no separate debug-symbol package either.
export DEB_BUILD_OPTIONS="nocheck noautodbgsym${DEB_BUILD_OPTIONS:+ $DEB_BUILD_OPTIONS}"
dpkg-buildpackage -b -us -uc -Pnocheck --post-clean

# dpkg-buildpackage writes next to the clone; the .changes file lists everything it wrote.
changes=orvex_$(dpkg-parsechangelog -S Version)_$(dpkg-architecture -qDEB_HOST_ARCH).changes
out=build-deb
mkdir -p "$out"
for file in $(awk '/^Files:/ { on = 1; next } on && /^ / { print $NF; next } { on = 0 }' "../$changes"); do
  mv "../$file" "$out/"
done
mv "../$changes" "$out/"

echo "== lintian"
lintian "$out/$changes" && echo "lintian: no errors"
echo
ls "$out"/*.deb
