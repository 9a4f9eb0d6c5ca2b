#!/usr/bin/env bash
# Frame time of the sample show, the Windows build under Wine beside the Linux
# build, on this machine (both drawing with Mesa's llvmpipe on one virtual
# display). Each build captures the same stretch of the show twice, a short
# and a long way past the same start; the difference of the two runs is the
# time of the extra frames alone, without start-up, loading and the run-up to
# the start. Prints wall and processor milliseconds a frame for both, and the
# ratio Wine / Linux. The runs alternate between the builds, so that a busy
# machine stretches both alike; the figures are medians of RUNS rounds.
# Processor time counts the program's own process (for Wine: the Windows
# program, not the wineserver it talks to).
#
# A benchmark, not a test: it passes or fails nothing.
# Usage: scripts/windows/frame-time.sh [FPS [START [SECONDS [RUNS]]]]
#        (defaults: 30 frames a second, from 4 s, 3 s of show, 3 rounds)
# The programs are found as scripts/test-windows.sh finds them (see
# tests/windows/README.md).
set -euo pipefail
cd "$(dirname "$0")/../.."
if [ "${1:-}" = "--help" ] || [ "${1:-}" = "-h" ]; then
  sed -n '2,/^set -euo/p' "$0" | sed '$d; s/^# \{0,1\}//'
  exit 0
fi
fps=${1:-30}
start=${2:-4}
seconds=${3:-3}
runs=${4:-3}
if [ -z "${HALVENOR_WIN_XVFB:-}" ]; then
  HALVENOR_WIN_XVFB=1 exec xvfb-run -a -s "-screen 0 1280x1024x24" "$0" "$@"
fi
HALVENOR_WIN_WORK=${HALVENOR_WIN_WORK:-$(pwd)/build-windows-test/frame-time}
. tests/windows/wine-session.sh
win_session_start

# The short stretch: a few frames, so that both runs pay the same start.
short=$(awk -v r="$fps" 'BEGIN { printf "%.4f", 3 / r }')
long=$(awk -v s="$short" -v d="$seconds" 'BEGIN { printf "%.4f", s + d }')
extra_frames=$(awk -v d="$seconds" -v r="$fps" 'BEGIN { printf "%d", d * r + 0.5 }')

# Prints "wall cpu" seconds of one capture of DURATION by the given program.
capture_seconds() {
  local dir=$1 duration=$2 times
  shift 2
  rm -rf "$dir/frames"
  times=$(
    cd "$dir"
    TIMEFORMAT='%R %U %S'
    { time timeout 900 "$@" -r "$fps" -s "$start" -t "$duration" -o frames >/dev/null 2>>capture.err; } 2>&1
  ) || {
    echo "frame-time: a capture failed in $dir (see capture.err there)" >&2
    exit 1
  }
  awk '{ printf "%.3f %.3f\n", $1, $2 + $3 }' <<<"$times"
}

# Milliseconds a frame ("wall cpu") from the two captures' times.
per_frame() {
  awk -v a="$1" -v b="$2" -v n="$extra_frames" 'BEGIN {
    split(a, s, " "); split(b, l, " ")
    printf "%.1f %.1f\n", (l[1] - s[1]) * 1000 / n, (l[2] - s[2]) * 1000 / n }'
}

median() { sort -g | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

linux_dir=$work/linux
windows_dir=$work/windows
copy_sample "$linux_dir"
copy_sample "$windows_dir"
: >"$work/linux.txt"
: >"$work/windows.txt"
for round in $(seq 1 "$runs"); do
  linux_short=$(capture_seconds "$linux_dir" "$short" "$linux_build/halvenor-capture")
  windows_short=$(capture_seconds "$windows_dir" "$short" wine "$win_bin/halvenor-capture.exe")
  linux_long=$(capture_seconds "$linux_dir" "$long" "$linux_build/halvenor-capture")
  windows_long=$(capture_seconds "$windows_dir" "$long" wine "$win_bin/halvenor-capture.exe")
  per_frame "$linux_short" "$linux_long" >>"$work/linux.txt"
  per_frame "$windows_short" "$windows_long" >>"$work/windows.txt"
  echo "round $round: Linux $(tail -1 "$work/linux.txt"), Wine $(tail -1 "$work/windows.txt") (wall, cpu ms a frame)"
done

linux_wall=$(cut -d' ' -f1 "$work/linux.txt" | median)
linux_cpu=$(cut -d' ' -f2 "$work/linux.txt" | median)
windows_wall=$(cut -d' ' -f1 "$work/windows.txt" | median)
windows_cpu=$(cut -d' ' -f2 "$work/windows.txt" | median)
echo
echo "The sample's frame time: $extra_frames frames at $fps a second from $start s (captures; median of $runs rounds)"
printf '%-22s %14s %14s\n' "" "wall ms/frame" "cpu ms/frame"
printf '%-22s %14.1f %14.1f\n' "Linux (build)" "$linux_wall" "$linux_cpu"
printf '%-22s %14.1f %14.1f\n' "Windows under Wine" "$windows_wall" "$windows_cpu"
awk -v lw="$linux_wall" -v lc="$linux_cpu" -v ww="$windows_wall" -v wc="$windows_cpu" 'BEGIN {
  printf "%-22s %13.2fx %13.2fx\n", "Wine / Linux", (lw > 0 ? ww / lw : 0), (lc > 0 ? wc / lc : 0) }'
