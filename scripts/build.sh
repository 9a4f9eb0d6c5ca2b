#!/usr/bin/env bash
# Installs what is missing and builds the engine, the player, the tools, the
# benchmarks and the tests into build/.
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/install-deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build -j"$(nproc)"
