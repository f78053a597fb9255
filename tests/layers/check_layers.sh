#!/usr/bin/env bash
# Checks the module graph of src/: a file includes only its own folder and folders on a lower
# layer, the headers of platform/ and model/ include no GL header, and only the system halves of
# platform/ (name_posix.cpp, name_x11.cpp, name_windows.cpp, name_web.cpp) include the system's own
# headers (emscripten's for the web halves); the browser's layers in web/ include nothing of src/.
# With --graph it prints the folder graph made from the includes instead (one "from -> to" line
# per pair of folders).
set -euo pipefail
src=${1:-$(dirname "$0")/../../src}
mode=check
if [[ ${1:-} == --graph ]]; then mode=graph; src=${2:-$(dirname "$0")/../../src}; fi

# Layer of each folder, bottom first. Folders on the same layer may not include each other.
declare -A layer=([platform]=1 [model]=2 [image]=3 [screen]=3 [stroke]=4 [texts]=4 [latlon]=4
                  [globe]=5 [places]=5 [input]=6 [frame]=7 [startup]=8)

failures=0
declare -A edges=()
while IFS= read -r hit; do
    file=${hit%%:*}
    target=${hit#*\"}; target=${target%%/*}
    folder=${file#"$src"/}; folder=${folder%%/*}
    [[ $folder == main.cpp ]] && folder=main
    [[ $folder == "$target" ]] && continue
    edges["$folder -> $target"]=1
    [[ $mode == graph || $folder == main ]] && continue
    if [[ -z ${layer[$folder]:-} || -z ${layer[$target]:-} ]]; then
        echo "unknown folder: $hit"; failures=$((failures + 1))
    elif (( layer[$target] >= layer[$folder] )); then
        echo "include upward or sideways: $hit"; failures=$((failures + 1))
    fi
done < <(grep -rHo '#include "[a-z]*/[^"]*"' "$src")

if [[ $mode == graph ]]; then
    printf '%s\n' "${!edges[@]}" | sort
    exit 0
fi

while IFS= read -r hit; do
    echo "GL header in a pure header: $hit"; failures=$((failures + 1))
done < <(grep -Hn '#include <GL/' "$src"/platform/*.hpp "$src"/model/*.hpp || true)

while IFS= read -r hit; do
    echo "system header outside a platform half: $hit"; failures=$((failures + 1))
done < <(grep -rHnE '#include <(windows\.h|unistd\.h|fcntl\.h|malloc\.h|sys/|X11/|GL/glx|emscripten/)' "$src" |
         grep -vE '^[^:]*/platform/[a-z]+_(posix|x11|windows|web)\.cpp:' || true)

# The picture helper (picture/, beside src/) links only the GL-free library: it may include the
# viewer's platform/ and model/ headers, the BMP decoder and the Orvex.Txt reader, nothing else.
picture=$(dirname "$src")/picture
if [[ -d $picture ]]; then
    while IFS= read -r hit; do
        echo "picture helper includes beyond the GL-free library: $hit"; failures=$((failures + 1))
    done < <(grep -rHo '#include "[a-z]*/[^"]*"' "$picture" |
             grep -vE '"(platform/|model/|image/bmpdecode\.hpp|startup/config\.hpp)' || true)
fi

# The browser's layers (web/, beside src/) stand below the viewer as Mesa, GLU and freeglut do on
# the desktop: they include nothing of src/.
web=$(dirname "$src")/web
if [[ -d $web ]]; then
    while IFS= read -r hit; do
        echo "browser layer includes the viewer: $hit"; failures=$((failures + 1))
    done < <(grep -rHnE '#include "(platform|model|image|screen|stroke|texts|latlon|globe|places|input|frame|startup)/' "$web" || true)
fi

if (( failures > 0 )); then
    echo "$failures include(s) break the layering; see docs/ARCHITECTURE.md"
    exit 1
fi
echo "module graph: no upward include, no cycle"
