#!/usr/bin/env bash
# Guard for the README's commands in any order on one clone: only tools/build.sh configures a
# build tree, every script that builds goes through it, the install takes the tree the demo and
# the tests build, and a tree made with another generator is configured afresh instead of
# stopping the next command.   Usage: build_trees_test.sh SOURCE_DIR
set -uo pipefail
cd "$1" || exit 1
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

for f in tools/*.sh tools/orvex-picture .ci/* tests/*/*.sh debian/rules README.md; do
  [ -f "$f" ] && [ "$f" != tools/build.sh ] || continue
  # (a tree of another source, such as an older commit's for a reference build, is its own)
  grep -nE 'cmake( [^|;&]*)? -(S|B|G)( |$)' "$f" | grep -vE -- '-S +[^. ]' | sed "s|^|configures a tree itself: $f:|" |
    while read -r line; do echo "FAIL: $line"; done | grep . && failures=$((failures + 1))
  if grep -q 'cmake --build' "$f" && ! grep -q 'tools/build.sh' "$f"; then
    fail "$f builds without tools/build.sh"
  fi
done
grep -qx '    bash tools/build.sh && sudo cmake --install build' README.md ||
  fail "the README's install line does not build and install the shared tree build/"

# A tree left by a plain cmake run with the default generator: the stale cache goes, the tree is
# configured with the shared generator and options (cmake itself stubbed: no real configure).
scratch=$(mktemp -d "${TMPDIR:-/tmp}/build-trees-test.XXXXXX")
trap 'rm -rf "$scratch"' EXIT
mkdir -p "$scratch/bin" "$scratch/tree/CMakeFiles"
printf '#!/bin/sh\necho "$@" > %s/args\n' "$scratch" > "$scratch/bin/cmake"
chmod +x "$scratch/bin/cmake"
echo 'CMAKE_GENERATOR:INTERNAL=Unix Makefiles' > "$scratch/tree/CMakeCache.txt"
(PATH="$scratch/bin:$PATH"; source tools/build.sh; orvex_configure build "$scratch/tree") 2>/dev/null
[ ! -e "$scratch/tree/CMakeCache.txt" ] || fail "a cache of another generator is kept"
[ "$(cat "$scratch/args" 2>/dev/null)" = "-S . -B $scratch/tree -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo" ] ||
  fail "configured with [$(cat "$scratch/args" 2>/dev/null)]"

[ $failures -eq 0 ] && echo "build trees agree"
exit $((failures > 0))
