# shellcheck shell=bash disable=SC2034  # sets variables its callers read
# Sourced (bash) by scripts/test-windows.sh and scripts/windows/frame-time.sh,
# from the checkout's root: finds the Windows and the Linux programs, prepares
# a Wine prefix that runs them unattended, builds the small helpers, and keeps
# one message-box watchdog running while the caller works.
#
# Settings (environment):
#   HALVENOR_WIN_BIN      folder of the Windows programs (halvenor.exe ...) with
#                         their DLLs beside them (default: the release folder
#                         scripts/build-windows.sh stages,
#                         build-windows/halvenor-VERSION-win64, else the first
#                         of build-win/bin, build-win holding halvenor.exe)
#   HALVENOR_LINUX_BUILD  the Linux build folder (default: build)
#   HALVENOR_WINEPREFIX   the Wine prefix (default: ~/.cache/halvenor/wine-prefix)
#   HALVENOR_WIN_WORK     where the runs leave their files (default:
#                         build-windows-test; emptied at each start)
#   HALVENOR_WIN_SOUND    dummy (default), null or device: see win_sound

win_root=$(pwd)
linux_build=$(cd "${HALVENOR_LINUX_BUILD:-build}" 2>/dev/null && pwd) || {
  echo "no Linux build in ${HALVENOR_LINUX_BUILD:-build}: build it first (scripts/build.sh)" >&2
  exit 2
}
work=${HALVENOR_WIN_WORK:-$win_root/build-windows-test}
cache=${XDG_CACHE_HOME:-$HOME/.cache}/halvenor
export WINEPREFIX=${HALVENOR_WINEPREFIX:-$cache/wine-prefix}
export WINEARCH=win64 WINEDEBUG=-all
# No Mono or Gecko installer dialog on a fresh prefix.
export WINEDLLOVERRIDES="mscoree,mshtml="

win_find_programs() {
  local dir
  if [ -n "${HALVENOR_WIN_BIN:-}" ]; then
    win_bin=$(cd "$HALVENOR_WIN_BIN" && pwd)
  else
    win_bin=
    # The newest staged release first: what a Windows user unpacks.
    for dir in $(ls -dt build-windows/halvenor-*-win64 2>/dev/null) build-win/bin build-win; do
      if [ -f "$dir/halvenor.exe" ]; then
        win_bin=$(cd "$dir" && pwd)
        break
      fi
    done
  fi
  if [ -z "$win_bin" ] || [ ! -f "$win_bin/halvenor.exe" ]; then
    echo "no Windows build (halvenor.exe) found: run scripts/build-windows.sh or set HALVENOR_WIN_BIN" >&2
    exit 2
  fi
}

# Sound without a sound card. SDL's dummy output (the default here, as in the
# Linux tests) consumes the music at its rate, so the music's clock runs as
# with speakers. HALVENOR_WIN_SOUND=null instead gives Wine an ALSA null
# device as its default output: the sound opens, but Wine then feeds the null
# device as fast as it takes the samples, and the music's clock runs several
# times too fast. HALVENOR_WIN_SOUND=device leaves the machine's own.
win_sound() {
  local conf=$cache/wine-asound-null.conf
  case ${HALVENOR_WIN_SOUND:-dummy} in
    dummy) export SDL_AUDIODRIVER=dummy ;;
    null)
      mkdir -p "$cache"
      printf '%s\n' '</usr/share/alsa/alsa.conf>' 'pcm.!default { type null }' >"$conf"
      export ALSA_CONFIG_PATH=$conf ;;
    device) ;;
    *) echo "HALVENOR_WIN_SOUND: dummy, null or device" >&2; exit 2 ;;
  esac
}

# The first start of a prefix creates it (some seconds); later starts reuse it.
win_prepare_prefix() {
  local ready=$WINEPREFIX/.halvenor-ready
  if [ -f "$ready" ]; then
    return 0
  fi
  mkdir -p "$(dirname "$WINEPREFIX")"
  timeout 300 wineboot -i >/dev/null 2>&1 || true
  # A crashing program ends instead of waiting on Wine's crash dialog.
  timeout 60 wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f >/dev/null 2>&1
  timeout 60 wine reg add 'HKCU\Software\Wine\Drivers' /v Audio /t REG_SZ /d alsa /f >/dev/null 2>&1
  timeout 60 wineserver -w || true
  touch "$ready"
}

# Helpers are built once per source change, into the work folder's tools/.
win_build_helpers() {
  tools=$work/tools
  mkdir -p "$tools"
  x86_64-w64-mingw32-g++-posix -std=c++17 -O2 -static -Wall -Wextra \
    tests/windows/BoxWatch.cpp -o "$tools/BoxWatch.exe"
  # The frame comparer is built with the Linux tests, on their picture measure.
  cmake --build "$linux_build" --target PngDiff >/dev/null
  cp "$linux_build/PngDiff" "$tools/PngDiff"
}

# One watchdog for the whole session: every box any program shows is appended
# to $boxes and closed. Programs run one after another, and a box holds its
# program until it is closed, so a program's boxes are the lines added while
# it ran.
win_watch_start() {
  boxes=$work/boxes.txt
  : >"$boxes"
  rm -f "$work/boxwatch.stop"
  # The first Wine program of a session starts Wine's own background
  # processes, which keep its stderr: their complaints go to a file.
  (cd "$work" && exec timeout 3600 wine "$tools/BoxWatch.exe" boxes.txt boxwatch.stop 3600) 2>"$work/wine.err" &
  watch_pid=$!
}

# Sets watch_status: 0 when the watchdog ran until asked to stop.
win_watch_stop() {
  watch_status=0
  if [ -n "${watch_pid:-}" ]; then
    touch "$work/boxwatch.stop"
    wait "$watch_pid" 2>/dev/null || watch_status=$?
    watch_pid=
  fi
}

# Ends the session: the watchdog, then every Wine process of the prefix, before
# the display goes away under them.
win_session_end() {
  win_watch_stop
  timeout 60 wineserver -w 2>/dev/null || timeout 10 wineserver -k 2>/dev/null || true
}

win_session_start() {
  rm -rf "$work"
  mkdir -p "$work"
  win_find_programs
  win_sound
  win_prepare_prefix
  win_build_helpers
  trap win_session_end EXIT
  win_watch_start
}

box_count() { wc -l <"$boxes"; }

# The boxes recorded after the first N lines.
boxes_since() { tail -n +"$(($1 + 1))" "$boxes"; }

# Runs "$@" in folder $1 with at most $2 seconds; stdout and stderr go to
# $3.out and $3.err; sets run_status (124: stopped by the time limit) and
# run_seconds.
run_in() {
  local dir=$1 limit=$2 name=$3 start
  shift 3
  start=$EPOCHREALTIME
  run_status=0
  (cd "$dir" && exec timeout -k 10 "$limit" "$@") >"$name.out" 2>"$name.err" || run_status=$?
  run_seconds=$(awk -v a="$start" -v b="$EPOCHREALTIME" 'BEGIN { printf "%.1f", b - a }')
}

# A copy of the sample show with its generated files, as the Linux build made them.
copy_sample() {
  rm -rf "$1"
  cp -r "$linux_build/shows/sample" "$1"
}
