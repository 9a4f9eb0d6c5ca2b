#!/usr/bin/env bash
# Installs what is missing and builds the engine, the player, the tools, the
# benchmarks and the tests into build/; with target names (scripts/build.sh
# halvenor halvenor-check), only those and what they need, which spares
# checking every other target when a script needs just a few programs.
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/install-deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release >/dev/null
if [ $# -gt 0 ]; then
  cmake --build build -j"$(nproc)" --target "$@"
else
  cmake --build build -j"$(nproc)"
fi
