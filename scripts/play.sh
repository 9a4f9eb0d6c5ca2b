#!/usr/bin/env bash
# Builds everything, generates the sample show's assets and plays the show in
# shows/sample/ (or the show directory given as argument). Without a display
# it plays headless under Xvfb with SDL's dummy audio driver, in real time.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
./scripts/build.sh
show=${1:-shows/sample}
if [ "$show" = "shows/sample" ]; then
  build/MakeSampleAssets shows/sample
fi
cd "$show"
status=0
if [ -n "${DISPLAY:-}" ]; then
  "$root/build/halvenor" || status=$?
else
  SDL_AUDIODRIVER=${SDL_AUDIODRIVER:-dummy} xvfb-run -a -s "-screen 0 1280x1024x24" "$root/build/halvenor" || status=$?
fi
echo "halvenor: exit code $status (log: $show/error_log.txt)"
exit $status
