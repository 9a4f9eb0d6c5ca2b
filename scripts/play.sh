#!/usr/bin/env bash
# Builds everything, generates the sample show's assets and plays the show in
# shows/sample/ (or the show directory given as argument, relative to where
# the script is run; shows/tracker gets its generated assets too). The show is checked first with halvenor-check; its
# findings are printed and the show plays anyway. Without a display it plays
# headless under Xvfb with SDL's dummy audio driver, in real time.
set -euo pipefail
if [ $# -gt 1 ] || [ "${1:-}" = "--help" ] || [ "${1:-}" = "-h" ]; then
  echo "usage: scripts/play.sh [SHOW_DIRECTORY]   (default: shows/sample)"
  [ $# -gt 1 ] && exit 2 || exit 0
fi
if [ $# -eq 1 ]; then
  [ -d "$1" ] || { echo "play.sh: no show directory '$1'" >&2; exit 2; }
  show=$(cd "$1" && pwd)
fi
cd "$(dirname "$0")/.."
root=$(pwd)
./scripts/build.sh
sample="$root/shows/sample"
show=${show:-$sample}
if [ "$show" = "$sample" ]; then
  build/MakeSampleAssets shows/sample >/dev/null
elif [ "$show" = "$root/shows/tracker" ]; then
  build/MakeSampleAssets --tracker shows/tracker >/dev/null
fi
"$root/build/halvenor-check" --quiet "$show" || true
cd "$show"
status=0
if [ -n "${DISPLAY:-}" ]; then
  "$root/build/halvenor" || status=$?
else
  SDL_AUDIODRIVER=${SDL_AUDIODRIVER:-dummy} xvfb-run -a -s "-screen 0 1280x1024x24" "$root/build/halvenor" || status=$?
fi
echo "halvenor: exit code $status (log: $show/error_log.txt)"
exit $status
