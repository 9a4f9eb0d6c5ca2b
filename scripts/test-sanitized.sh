#!/usr/bin/env bash
# Builds the test suite a second time, under AddressSanitizer and
# UndefinedBehaviorSanitizer, into build-asan/, and runs it (under Xvfb when
# there is no display). Any sanitizer report fails the test that caused it.
#
# Leaks are checked: the OpenGL driver (Mesa), X and SDL keep memory of their
# own that LeakSanitizer would report at every exit, so leaks allocated inside
# those libraries (and inside the sound decoders) are suppressed by
# scripts/lsan-suppressions.txt; a leak our own code allocates is still caught.
# The player runs of the end-to-end tests are the exception: SDL unloads the
# driver before the leak check, so its leaks can no longer be told from ours,
# and the player (whose resources stay reachable from its registry anyway) runs
# without leak checking; every other sanitizer check still applies to it.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
./scripts/install-deps.sh
cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=RelWithDebInfo -DHALVENOR_SANITIZE=ON -DHALVENOR_BUILD_BENCHMARKS=OFF >/dev/null
cmake --build build-asan -j"$(nproc)"
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=0:detect_stack_use_after_return=0}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
export HALVENOR_PLAYER_ASAN_OPTIONS=${HALVENOR_PLAYER_ASAN_OPTIONS:-$ASAN_OPTIONS:detect_leaks=0}
export LSAN_OPTIONS=${LSAN_OPTIONS:-suppressions=$root/scripts/lsan-suppressions.txt:print_suppressions=0}
cd build-asan
if [ -n "${DISPLAY:-}" ]; then
  ctest --output-on-failure -j2 "$@"
else
  xvfb-run -a -s "-screen 0 1280x1024x24" ctest --output-on-failure -j2 "$@"
fi
