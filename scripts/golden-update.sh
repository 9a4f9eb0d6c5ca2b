#!/usr/bin/env bash
# Writes the expectations of the golden corpus (tests/golden/shows/*/expected)
# from what the player and the capture do now: every show, or the shows
# named. Builds what the runs need first (into build/, or the directory in
# HALVENOR_BUILD_DIR), under Xvfb when there is no display.
#
#   scripts/golden-update.sh                     # every show
#   scripts/golden-update.sh blur missing-music  # those two
#
# Look at what changed (git diff --stat tests/golden; the pictures too) and
# commit it on its own, saying why the expectations changed
# (tests/golden/README.md).
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
build=${HALVENOR_BUILD_DIR:-build}
if [ ! -f "$build/CMakeCache.txt" ]; then
  cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release >/dev/null
fi
cmake --build "$build" -j2 --target test_golden_GoldenTest halvenor halvenor-capture
for show in "$@"; do
  if [ ! -d "tests/golden/shows/$show" ]; then
    echo "golden-update: no show tests/golden/shows/$show" >&2
    exit 2
  fi
done
export HALVENOR_GOLDEN_UPDATE=1
export HALVENOR_GOLDEN_SHOWS="$*"
cd "$build"
if [ -n "${DISPLAY:-}" ]; then
  ./test_golden_GoldenTest
else
  xvfb-run -a -s "-screen 0 1280x1024x24" ./test_golden_GoldenTest
fi
echo "golden-update: expectations written; see git status $root/tests/golden"
