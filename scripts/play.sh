#!/usr/bin/env bash
# Builds what it runs (the player, the checker and the sample maker), generates
# the sample show's assets and plays the show in
# shows/sample/ (or the show directory given as argument, relative to where
# the script is run; shows/tracker gets its generated assets too; `--edit …` after
# it plays in the authoring player). The show is checked first with halvenor-check; its
# findings are printed and the show plays anyway. Without a display it plays
# headless under Xvfb with SDL's dummy audio driver, in real time.
set -euo pipefail
# With --edit and its options after the show, it plays in the authoring player.
usage="usage: scripts/play.sh [SHOW_DIRECTORY] [--edit [--at TIME] [--pause] [--loop A B] [--speed X]]   (default: shows/sample)"
if [ "${1:-}" = "--help" ] || [ "${1:-}" = "-h" ]; then
  echo "$usage"
  exit 0
fi
if [ $# -ge 1 ] && [ "${1#--}" = "$1" ]; then
  [ -d "$1" ] || { echo "play.sh: no show directory '$1'" >&2; exit 2; }
  show=$(cd "$1" && pwd)
  shift
fi
player_args=("$@")
if [ $# -gt 0 ] && [ "$1" != "--edit" ]; then
  echo "$usage" >&2
  exit 2
fi
cd "$(dirname "$0")/.."
root=$(pwd)
./scripts/build.sh halvenor halvenor-check MakeSampleAssets
sample="$root/shows/sample"
show=${show:-$sample}
if [ "$show" = "$sample" ]; then
  build/MakeSampleAssets shows/sample >/dev/null
elif [ "$show" = "$root/shows/tracker" ]; then
  build/MakeSampleAssets --tracker shows/tracker >/dev/null
fi
# The checker compiles the show's shaders with the OpenGL driver: without a display, under Xvfb.
if [ -n "${DISPLAY:-}" ]; then
  "$root/build/halvenor-check" --quiet "$show" || true
else
  xvfb-run -a "$root/build/halvenor-check" --quiet "$show" || true
fi
cd "$show"
status=0
if [ -n "${DISPLAY:-}" ]; then
  "$root/build/halvenor" "${player_args[@]}" || status=$?
else
  SDL_AUDIODRIVER=${SDL_AUDIODRIVER:-dummy} xvfb-run -a -s "-screen 0 1280x1024x24" "$root/build/halvenor" "${player_args[@]}" || status=$?
fi
echo "halvenor: exit code $status (log: $show/error_log.txt)"
exit $status
