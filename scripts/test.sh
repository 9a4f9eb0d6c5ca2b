#!/usr/bin/env bash
# Builds everything and runs the whole test suite (under Xvfb when there is no
# display: the drawing tests need a real OpenGL context).
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/build.sh
cd build
if [ -n "${DISPLAY:-}" ]; then
  ctest --output-on-failure -j2 "$@"
else
  xvfb-run -a -s "-screen 0 1280x1024x24" ctest --output-on-failure -j2 "$@"
fi
