#!/usr/bin/env bash
# The browser build: the viewer compiled with emscripten onto its own GL 1.1 subset, GLU sphere
# and GLUT (web/), the page around it, and the demo's maps of the Earth, as static files in
# build-web/ that any web host can serve. freeglut's bitmap fonts come from Debian's source
# package, unpacked once into build-web/deps (never part of the repository).
#   bash tools/web.sh                   installs what is missing, builds build-web/
#   bash tools/web.sh --serve [PORT]    serves build-web/ on 127.0.0.1 (port 8093 unless given)
set -euo pipefail
cd "$(dirname "$0")/.."
source tools/build.sh

if [ "${1:-}" = --serve ]; then
  port=${2:-8093}
  [ -f build-web/index.html ] || { echo "web: build-web/ is not built; run bash tools/web.sh" >&2; exit 1; }
  echo "Orvex in a browser: http://127.0.0.1:$port/"
  exec python3 -m http.server --bind 127.0.0.1 --directory build-web "$port"
fi

bash tools/setup.sh emscripten dpkg-dev python3
bash tools/freeglut_source.sh build-web/deps >/dev/null

# Linking at -O2 runs emscripten's JavaScript optimiser, which needs Debian's node modules.
export NODE_PATH=/usr/share/nodejs
orvex_configure build-web
cmake --build build-web -j2 --target orvex picture

# The page, the viewer's module and the demo maps with the list of their names.
cp web/page/*.html web/page/*.css web/page/*.js build-web/
bash tools/demo_maps.sh build-web/demo >/dev/null
(cd build-web/demo && printf '%s\n' Orvex.Txt *.bmp |
   python3 -c 'import json, sys; print(json.dumps([l.strip() for l in sys.stdin if l.strip()]))' > files.json)
echo "build-web/: $(cd build-web && du -ch orvex.js orvex.wasm | tail -n 1 | cut -f1) of viewer," \
     "$(du -sh build-web/demo | cut -f1) of demo maps; serve it with: bash tools/web.sh --serve"
