#!/usr/bin/env bash
# The browser build: the viewer compiled with emscripten onto its own GL 1.1 subset, GLU sphere
# and GLUT (web/), the page around it, and the demo's maps of the Earth. The build tree is
# build-web/ (CMake's cache, the libraries, freeglut's source unpacked once into build-web/deps,
# never part of the repository); the site, the static files any web host can serve, is
# build-web/site/, apart from it.
#   bash tools/web.sh                   installs what is missing, builds build-web/site/
#   bash tools/web.sh --serve [PORT]    serves build-web/site/ on 127.0.0.1 (port 8093 unless given)
set -euo pipefail
cd "$(dirname "$0")/.."
source tools/build.sh
site=build-web/site

if [ "${1:-}" = --serve ]; then
  port=${2:-8093}
  [ -f $site/index.html ] || { echo "web: $site/ is not built; run bash tools/web.sh" >&2; exit 1; }
  echo "Orvex in a browser: http://127.0.0.1:$port/"
  exec python3 -m http.server --bind 127.0.0.1 --directory $site "$port"
fi

bash tools/setup.sh emscripten dpkg-dev python3
bash tools/freeglut_source.sh build-web/deps >/dev/null

# Linking at -O2 runs emscripten's JavaScript optimiser, which needs Debian's node modules.
export NODE_PATH=/usr/share/nodejs
orvex_configure build-web
cmake --build build-web -j2 --target orvex picture

# The site: the page, the viewer's and the picture helper's modules, the demo maps with the list
# of their names. Files of an older build that are no longer made go.
mkdir -p $site
rm -f $site/*.html $site/*.css $site/*.js $site/*.wasm $site/*.webmanifest $site/*.png $site/*.ico
cp web/page/*.html web/page/*.css web/page/*.js web/page/*.webmanifest build-web/orvex.js build-web/orvex.wasm \
   build-web/picture.js build-web/picture.wasm $site/
bash tools/demo_maps.sh $site/demo >/dev/null
(cd $site/demo && printf '%s\n' Orvex.Txt *.bmp |
   python3 -c 'import json, sys; print(json.dumps([l.strip() for l in sys.stdin if l.strip()]))' > files.json)
# The icons of the web app manifest and the favicon, rendered from the day map once (again when
# their script changes).
icons=build-web/icons
[ $icons/favicon.ico -nt tools/web_icons.sh ] || bash tools/web_icons.sh $site/demo/earth.bmp $icons
cp $icons/*.png $icons/favicon.ico $site/
# The build's name, a hash of the site's files, stamped into the page and into the service worker
# with the list of the files it keeps (a new name is a new build for the browsers that keep the site).
# The benchmark's floor page, which bench/web puts beside the site, is not part of it.
(cd $site && find . -type f ! -name sw.js ! -path './bench/*' | sed 's|^\./||' | LC_ALL=C sort | python3 -c '
import hashlib, json, sys
files = [line.rstrip("\n") for line in sys.stdin]
digest = hashlib.sha256()
for name in files:
    digest.update(name.encode() + b"\0" + hashlib.sha256(open(name, "rb").read()).digest())
build = digest.hexdigest()[:12]
for name, stamps in (("index.html", {"@BUILD@": build}),
                     ("sw.js", {"@BUILD@": build, "/*@FILES@*/[]": json.dumps(files)})):
    text = open(name, encoding="utf-8").read()
    for placeholder, value in stamps.items():
        text = text.replace(placeholder, value)
    open(name, "w", encoding="utf-8").write(text)
print(build)') > build-web/build.txt
# The site of builds from before it had a folder of its own.
rm -rf build-web/index.html build-web/orvex.css build-web/page.js build-web/maps.js build-web/demo
echo "$site/ (build $(cat build-web/build.txt)): $(cd $site && du -ch orvex.js orvex.wasm | tail -n 1 | cut -f1) of viewer," \
     "$(du -sh $site/demo | cut -f1) of demo maps; publish that folder, or serve it with: bash tools/web.sh --serve"
