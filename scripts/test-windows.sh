#!/usr/bin/env bash
# Runs the Windows build's programs under Wine on a virtual display and checks
# that they do what the Linux build does with the same show files (the Linux
# build in build/ is the reference; run scripts/test.sh first):
#   play      halvenor.exe plays the sample to its end: exit 0 and the same
#             error_log.txt, no message box, and the music's clock in real time
#   pictures  halvenor-capture.exe's frames at several times against the Linux
#             capture's, within the reference pictures' tolerance
#   boxes     failing shows (a missing or broken scene, missing music, no
#             sound output): each message box (recorded and closed by a
#             watchdog) says what the Linux build's stderr says, same exit code
#   check     halvenor-check.exe prints what the Linux checker prints
#   edit      halvenor.exe --edit --listen answers halvenor-ctl (both builds'),
#             and a save of the script reloads the show
# Each check prints PASS or FAIL with its details; the exit status is 1 when
# any failed, 2 when the programs are missing.
#
# Usage: scripts/test-windows.sh [CHECK...]   (default: every check)
# It builds the Windows release first (scripts/build-windows.sh, quick when
# nothing changed) and tests its folder, unless HALVENOR_WIN_BIN names a
# folder of Windows programs to test as they are. Other settings: see
# tests/windows/README.md (HALVENOR_LINUX_BUILD, HALVENOR_WINEPREFIX,
# HALVENOR_WIN_WORK). Every run's files stay in build-windows-test/ for a
# look after a failure.
set -euo pipefail
cd "$(dirname "$0")/.."
all_checks="play pictures boxes check edit"
if [ "${1:-}" = "--help" ] || [ "${1:-}" = "-h" ]; then
  sed -n '2,/^set -euo/p' "$0" | sed '$d; s/^# \{0,1\}//'
  exit 0
fi
for name in "$@"; do
  case " $all_checks " in *" $name "*) ;; *) echo "test-windows.sh: no check '$name' ($all_checks)" >&2; exit 2 ;; esac
done
# Debian's Wine runs the programs; Xvfb and libpng (the frame comparer) come
# with the Linux build's packages.
if [ -z "${HALVENOR_WIN_XVFB:-}" ]; then
  missing=()
  for p in wine wine64 xvfb xauth libpng-dev; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
  done
  if [ ${#missing[@]} -gt 0 ]; then
    sudo=""
    [ "$(id -u)" -eq 0 ] || sudo="sudo"
    export DEBIAN_FRONTEND=noninteractive
    $sudo apt-get update -qq
    $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
  fi
fi
if [ -z "${HALVENOR_WIN_BIN:-}" ] && [ -z "${HALVENOR_WIN_XVFB:-}" ]; then
  ./scripts/build-windows.sh
fi
# Everything, Linux and Windows programs alike, draws on one virtual display,
# which ends with the script.
if [ -z "${HALVENOR_WIN_XVFB:-}" ]; then
  HALVENOR_WIN_XVFB=1 exec xvfb-run -a -s "-screen 0 1280x1024x24" "$0" "$@"
fi
. tests/windows/wine-session.sh
win_session_start
checks=${*:-$all_checks}
failures=0

pass() { echo "PASS $1: $2"; }
fail() {
  echo "FAIL $1: $2"
  failures=$((failures + 1))
}
# Indented lines of detail under a result (at most 20).
detail() { sed -n '1,20s/^/    /p'; }

# Two texts equal as bytes: "same"; equal once Windows' CR LF line ends are
# read as LF: "crlf"; otherwise "differ".
compare_texts() {
  if cmp -s "$1" "$2"; then
    echo same
  elif cmp -s <(tr -d '\r' <"$1") <(tr -d '\r' <"$2"); then
    echo crlf
  else
    echo differ
  fi
}
line_ends_note() {
  if [ "$1" = crlf ]; then
    echo " (Windows writes CR LF line ends; compared without the CR)"
  fi
}

# The music time of the script's DEMO ... FX_STOP event.
stop_time() { awk '$2 == "DEMO" && $4 == "FX_STOP" { print $1; exit }' "$1/guion.txt"; }

check_play() {
  local linux=$work/play-linux windows=$work/play-windows before end lines result failed=$failures
  copy_sample "$linux"
  copy_sample "$windows"
  end=$(stop_time "$windows")
  run_in "$linux" 180 "$work/play-linux" env SDL_AUDIODRIVER=dummy "$linux_build/halvenor"
  local linux_status=$run_status linux_seconds=$run_seconds
  before=$(box_count)
  run_in "$windows" 180 "$work/play-windows" wine "$win_bin/halvenor.exe"
  boxes_since "$before" >"$work/play-windows.boxes"
  if [ "$linux_status" -ne 0 ]; then
    fail play "the Linux player itself ended with $linux_status (see $work/play-linux.err)"
    return
  fi
  if [ "$run_status" -ne 0 ]; then
    fail play "halvenor.exe ended with $run_status after $run_seconds s (124: still playing at the time limit)"
    detail <"$work/play-windows.err"
  fi
  if [ -s "$work/play-windows.boxes" ]; then
    fail play "halvenor.exe showed message boxes that the Linux player does not:"
    detail <"$work/play-windows.boxes"
  fi
  # The show may not end before its music has played: with a sound device the
  # music's clock is what the device has consumed, so this proves the device
  # runs at its rate rather than not at all (a hang) or without limit.
  if awk -v s="$run_seconds" -v e="$end" 'BEGIN { exit !(s + 0 < e + 0) }'; then
    fail play "halvenor.exe ended after $run_seconds s, before its script's stop at $end s: the music's clock ran fast"
  fi
  if [ ! -f "$windows/error_log.txt" ]; then
    fail play "halvenor.exe wrote no error_log.txt"
    return
  fi
  result=$(compare_texts "$linux/error_log.txt" "$windows/error_log.txt")
  lines=$(wc -l <"$linux/error_log.txt")
  if [ "$result" = differ ]; then
    fail play "error_log.txt differs from the Linux player's (< Linux, > Windows):"
    diff <(tr -d '\r' <"$linux/error_log.txt") <(tr -d '\r' <"$windows/error_log.txt") | detail || true
  elif [ "$failures" -eq "$failed" ]; then
    pass play "exit 0 after $run_seconds s (script stops at $end s; Linux: $linux_seconds s), no box, error_log.txt's $lines lines as Linux's$(line_ends_note "$result")"
  fi
}

# Times of the sample worth comparing, on the capture's 2 frames a second:
# the board fading in with the first sparks, the board fading out, blur with
# saturation over both particle systems, the pixel-buffer layer as its
# background fades in, the pixel-buffer layer blurred and saturated, the
# music-driven shader fading in.
picture_times=(1.0 3.0 7.0 10.5 14.0 18.5)
picture_fps=2

check_pictures() {
  local linux=$work/pictures-linux windows=$work/pictures-windows tolerance time frame line blocks worst=0 bad=0
  tolerance=$(sed -n 's/^constexpr int kTolerance = \([0-9][0-9]*\);.*/\1/p' tests/capture/SamplePicturesTest.cpp)
  tolerance=${tolerance:-12}
  copy_sample "$linux"
  copy_sample "$windows"
  local last duration
  last=$(printf '%s\n' "${picture_times[@]}" | sort -g | tail -1)
  duration=$(awk -v l="$last" -v r="$picture_fps" 'BEGIN { printf "%.3f", l + 1 / r }')
  run_in "$linux" 600 "$work/pictures-linux" "$linux_build/halvenor-capture" -r "$picture_fps" -t "$duration" -o frames
  if [ "$run_status" -ne 0 ]; then
    fail pictures "the Linux capture ended with $run_status (see $work/pictures-linux.err)"
    return
  fi
  run_in "$windows" 600 "$work/pictures-windows" wine "$win_bin/halvenor-capture.exe" -r "$picture_fps" -t "$duration" -o frames
  if [ "$run_status" -ne 0 ]; then
    fail pictures "halvenor-capture.exe ended with $run_status after $run_seconds s"
    detail <"$work/pictures-windows.err"
    return
  fi
  : >"$work/pictures.txt"
  for time in "${picture_times[@]}"; do
    frame=$(awk -v t="$time" -v r="$picture_fps" 'BEGIN { printf "%06d.png", t * r + 0.5 }')
    if ! line=$("$tools/PngDiff" "$linux/frames/$frame" "$windows/frames/$frame" 4 2>&1); then
      echo "$time s ($frame): $line" >>"$work/pictures.txt"
      bad=$((bad + 1))
      continue
    fi
    blocks=${line#*blocks=}
    [ "$blocks" -gt "$worst" ] && worst=$blocks
    [ "$blocks" -gt "$tolerance" ] && bad=$((bad + 1))
    echo "$time s ($frame): largest channel difference $blocks in 4 x 4 means, ${line%% *} pixel by pixel" >>"$work/pictures.txt"
  done
  if [ "$bad" -eq 0 ]; then
    pass pictures "${#picture_times[@]} frames within $tolerance levels (largest $worst); capture $run_seconds s under Wine"
  else
    fail pictures "$bad of ${#picture_times[@]} frames differ by more than $tolerance levels or are missing (frames in $work/pictures-*/frames):"
  fi
  detail <"$work/pictures.txt"
}

# Shows that fail while loading, each made from the sample by a few edits.
make_failing_show() {
  local dir=$1 kind=$2
  copy_sample "$dir"
  case $kind in
    missing-scene)
      sed -i 's/^LOAD ESCENA_BIN escena.bin Sala/LOAD ESCENA_BIN falta.bin Sala/' "$dir/preconfig.txt" ;;
    broken-scene)
      # A vertex before the mesh's vertex count: the scene container's box,
      # then the reader ends the process.
      printf '*3DSMAX_ASCIIEXPORT\t200\n*GEOMOBJECT {\n\t*MESH {\n\t\t*MESH_VERTEX_LIST {\n\t\t\t*MESH_VERTEX 0\t1.0\t2.0\t3.0\n\t\t}\n\t}\n}\n' >"$dir/rota.ase"
      sed -i 's/^LOAD ESCENA_BIN escena.bin Sala/LOAD ESCENA_ASE rota.ase Sala/' "$dir/preconfig.txt" ;;
    missing-music)
      # The music's box, then the show plays on, silently.
      sed -i 's/^LOAD SOUND musica.flac/LOAD SOUND falta.flac/' "$dir/preconfig.txt"
      echo "1.0 DEMO Sala FX_STOP" >"$dir/guion.txt" ;;
    no-sound)
      # Run with no sound output at all: the sound system's box, then the
      # show plays on the clock alone.
      echo "1.0 DEMO Sala FX_STOP" >"$dir/guion.txt" ;;
  esac
}

# Linux's stderr lines against what the Windows program said: a "[caption]
# text" line is a box and must be one there, in the same order; the player's
# own lines ("halvenor: ...") must be on the Windows program's stderr too, and
# when the show could not play (Linux ended with a failure) the line that says
# why must also be a box captioned "halvenor", since a program without a
# console has nowhere else to say it. Other lines (a library's complaints) are
# not the engine's and are left out.
compare_boxes() {
  local linux_err=$1 windows_err=$2 windows_boxes=$3 linux_status=$4 line expected=() seen=() i
  while IFS= read -r line; do
    case $line in
      "["*"] "*) expected+=("$line") ;;
      "halvenor: "*)
        if grep -qxF -- "$line" <(tr -d '\r' <"$windows_err"); then
          echo "stderr as on Linux: $line"
        else
          echo "stderr differs: Linux '$line' is not on the Windows program's stderr"
        fi
        [ "$linux_status" -eq 0 ] || expected+=("[halvenor] ${line#halvenor: }") ;;
    esac
  done <"$linux_err"
  mapfile -t seen <"$windows_boxes"
  if [ "${#seen[@]}" -ne "${#expected[@]}" ]; then
    echo "${#expected[@]} box(es) expected, ${#seen[@]} shown"
  fi
  for i in "${!expected[@]}"; do
    if [ "${seen[$i]:-}" = "${expected[$i]}" ]; then
      echo "box as on Linux: ${seen[$i]}"
    else
      echo "box differs: Linux '${expected[$i]}', Windows '${seen[$i]:-no box}'"
    fi
  done
  for ((i = ${#expected[@]}; i < ${#seen[@]}; i++)); do
    echo "box not on Linux: ${seen[$i]}"
  done
}

check_boxes() {
  local kind linux windows before report sound
  for kind in missing-scene broken-scene missing-music no-sound; do
    linux=$work/boxes-$kind-linux
    windows=$work/boxes-$kind-windows
    make_failing_show "$linux" "$kind"
    make_failing_show "$windows" "$kind"
    # An audio driver SDL does not have: no output opens, on either system.
    sound=()
    [ "$kind" = no-sound ] && sound=(SDL_AUDIODRIVER=none-here)
    run_in "$linux" 120 "$linux" env SDL_AUDIODRIVER=dummy "${sound[@]}" "$linux_build/halvenor"
    local linux_status=$run_status
    before=$(box_count)
    run_in "$windows" 120 "$windows" env "${sound[@]}" wine "$win_bin/halvenor.exe"
    boxes_since "$before" >"$windows.boxes"
    report=$(compare_boxes "$linux.err" "$windows.err" "$windows.boxes" "$linux_status")
    if [ "$linux_status" -eq "$run_status" ] && ! grep -q "differs\|expected\|not on Linux" <<<"$report"; then
      pass "boxes $kind" "exit $run_status as on Linux"
    else
      fail "boxes $kind" "exit $run_status (Linux: $linux_status)"
    fi
    detail <<<"$report"
  done
}

# A show with mistakes the checker reports, in the preconfiguration and the script.
make_broken_show() {
  copy_sample "$1"
  sed -i 's/^LOAD ESCENA_BIN escena.bin Sala/LOAD ESCENA_BIN falta.bin Sala/; s#^LOAD LAYER2D texturas/tira.jpg#LOAD LAYER2D texturas/nada.jpg#' "$1/preconfig.txt"
  printf '3.0 LAYER Nadie FX_SHOW\nabc SCENE Sala FX_SHOW\n' >>"$1/guion.txt"
}

check_check() {
  local kind linux windows out err linux_status ok
  for kind in sample broken; do
    linux=$work/check-$kind-linux
    windows=$work/check-$kind-windows
    if [ "$kind" = sample ]; then
      copy_sample "$linux"
      copy_sample "$windows"
    else
      make_broken_show "$linux"
      make_broken_show "$windows"
    fi
    run_in "$linux" 120 "$linux" "$linux_build/halvenor-check"
    linux_status=$run_status
    run_in "$windows" 120 "$windows" wine "$win_bin/halvenor-check.exe"
    out=$(compare_texts "$linux.out" "$windows.out")
    err=$(compare_texts "$linux.err" "$windows.err")
    ok=yes
    [ "$run_status" -eq "$linux_status" ] && [ "$out" != differ ] && [ "$err" != differ ] || ok=no
    if [ $ok = yes ]; then
      pass "check $kind" "exit $run_status, stdout's $(wc -l <"$linux.out") lines and stderr's $(wc -l <"$linux.err") lines as Linux's$(line_ends_note "$out")"
    else
      fail "check $kind" "exit $run_status (Linux: $linux_status); stdout $out, stderr $err (< Linux, > Windows):"
      { diff <(tr -d '\r' <"$linux.out") <(tr -d '\r' <"$windows.out") || true
        diff <(tr -d '\r' <"$linux.err") <(tr -d '\r' <"$windows.err") || true; } | detail
    fi
  done
}

# The port a player listens on: one that nothing else here is likely to use.
edit_port=$((20000 + $$ % 20000))

# Asks the Windows player for its status until it answers (it loads first).
ctl_status() {
  local i answer
  for i in $(seq 1 "$1"); do
    if answer=$(timeout 20 wine "$win_bin/halvenor-ctl.exe" --port "$edit_port" status 2>/dev/null); then
      tr -d '\r' <<<"$answer"
      return 0
    fi
    sleep 1
  done
  return 1
}

reload_of() { sed -n 's/.* reload=\([^ ]*\).*/\1/p' <<<"$1"; }

check_edit() {
  local show=$work/edit-windows first linux_answer answer="" i player status=0
  copy_sample "$show"
  (cd "$show" && exec timeout -k 10 180 wine "$win_bin/halvenor.exe" --edit --listen "$edit_port") \
    >"$show.out" 2>"$show.err" &
  player=$!
  if ! first=$(ctl_status 60); then
    fail edit "halvenor-ctl.exe status: no answer from halvenor.exe --edit --listen $edit_port"
    kill "$player" 2>/dev/null || true
    wait "$player" 2>/dev/null || true
    detail <"$show.err"
    return
  fi
  linux_answer=$(timeout 20 "$linux_build/halvenor-ctl" --port "$edit_port" status 2>&1) || true
  # A save of the script: the player sees the file change and reads the show again.
  echo "2.1 LAYER Tira FX_HIDE" >>"$show/guion.txt"
  for i in $(seq 1 20); do
    sleep 1
    answer=$(ctl_status 1) || continue
    [ "$(reload_of "$answer")" = "$(reload_of "$first")" ] || break
  done
  timeout 20 wine "$win_bin/halvenor-ctl.exe" --port "$edit_port" quit >/dev/null 2>&1 || true
  wait "$player" || status=$?
  {
    echo "first status (halvenor-ctl.exe): $first"
    echo "Linux halvenor-ctl:               $linux_answer"
    echo "after the save:                   $answer"
    echo "player's exit after quit:         $status"
  } >"$work/edit.txt"
  if [[ $linux_answer == "ok "* ]] && [ "$(reload_of "$first")" = none ] && [ "$(reload_of "$answer")" = ok ] &&
    [ "$status" -eq 0 ]; then
    pass edit "both halvenor-ctl builds answered; the save reloaded the show (reload=none, then reload=ok); quit ended it with 0"
  else
    fail edit "status, reload or quit not as on Linux (reload=none before the save, reload=ok after, exit 0):"
  fi
  detail <"$work/edit.txt"
}

echo "Windows programs: $win_bin; Linux build: $linux_build; Wine prefix: $WINEPREFIX"
for name in $checks; do
  "check_$name"
done
win_watch_stop
if [ "$watch_status" -ne 0 ]; then
  fail watchdog "BoxWatch.exe ended with $watch_status before the end: boxes after that were neither recorded nor closed"
fi
if grep -q . "$work/wine.err"; then
  echo "note: Wine's own processes wrote to stderr ($work/wine.err):"
  detail <"$work/wine.err"
fi
if [ "$failures" -gt 0 ]; then
  echo "test-windows: $failures failure(s); the runs' files are in $work"
  exit 1
fi
echo "test-windows: every check passed"
