#!/usr/bin/env bash
# Builds the libFuzzer harnesses of fuzz/ with clang, under AddressSanitizer and
# UndefinedBehaviorSanitizer, into build-fuzz/, and runs each of them for
# SECONDS (default 60) on its seed corpus (fuzz/corpus/NAME/, with what earlier
# runs found in build-fuzz/corpus/NAME/) and its dictionary (fuzz/dict/NAME.dict).
#
#   scripts/fuzz.sh [SECONDS] [NAME...]     e.g. scripts/fuzz.sh 600, scripts/fuzz.sh 60 AseReaderFuzzer
#
# Every input is at most FUZZ_MAX_LEN bytes (default 65536). No input may make
# its reader hold more than 64 MB plus 48 bytes per byte of input: each harness
# checks its own peak, and one allocation beyond that bound (-malloc_limit_mb)
# or a process beyond it plus what the sanitizer and libFuzzer themselves take
# (-rss_limit_mb) is a finding too, as is a crash, a sanitizer report, a leak or
# an input that takes more than 30 s. Findings land in build-fuzz/findings/;
# the script prints the end of the harness's report and exits 1. FUZZ_JOBS=2
# runs two harnesses at a time.
#
# By default every run starts from a new random seed, which is what a search
# for new faults wants. CI wants the same verdict for the same code: with
# FUZZ_SEED=N and FUZZ_RUNS=K each harness tries the same inputs in the same
# order, K of them or as many as SECONDS allow, so a CI run repeats (a prefix
# of) a run that passed here.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
seconds=${1:-60}
shift || true
maxLen=${FUZZ_MAX_LEN:-65536}
jobs=${FUZZ_JOBS:-1}
repeatable=()
[ -n "${FUZZ_SEED:-}" ] && repeatable+=(-seed="$FUZZ_SEED")
[ -n "${FUZZ_RUNS:-}" ] && repeatable+=(-runs="$FUZZ_RUNS")

./scripts/install-deps.sh
CXX=clang++ cmake -S . -B build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo -DHALVENOR_BUILD_FUZZERS=ON \
  -DHALVENOR_BUILD_TESTS=OFF -DHALVENOR_BUILD_BENCHMARKS=OFF >/dev/null
cmake --build build-fuzz -j"$(nproc)" --target fuzzers >/dev/null

if [ $# -gt 0 ]; then
  names=("$@")
else
  names=()
  for source in fuzz/*Fuzzer.cpp; do
    names+=("$(basename "$source" .cpp)")
  done
fi

# The memory bound for the largest input, in MB; the process may add the
# sanitizer's shadow and quarantine and libFuzzer's own corpus on top of it.
budgetMb=$(( 64 + (48 * maxLen + 1048575) / 1048576 ))
overheadMb=256
export ASAN_OPTIONS=${ASAN_OPTIONS:-quarantine_size_mb=32:detect_leaks=1:allocator_may_return_null=0}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
# Leaks inside the sound decoders on broken files are theirs, not ours.
export LSAN_OPTIONS=${LSAN_OPTIONS:-suppressions=$root/scripts/lsan-suppressions.txt}
mkdir -p build-fuzz/findings build-fuzz/logs build-fuzz/tmp

run_one() {
  local name=$1
  local corpus="$root/build-fuzz/corpus/$name"
  local dict=()
  mkdir -p "$corpus"
  [ -f "fuzz/dict/$name.dict" ] && dict=(-dict="$root/fuzz/dict/$name.dict")
  # Each harness works in a directory of its own under build-fuzz/tmp.
  TMPDIR="$root/build-fuzz/tmp" nice "build-fuzz/$name" "$corpus" "$root/fuzz/corpus/$name" "${dict[@]}" \
    -max_total_time="$seconds" -max_len="$maxLen" -timeout=30 "${repeatable[@]}" \
    -malloc_limit_mb="$budgetMb" -rss_limit_mb=$((budgetMb + overheadMb)) \
    -artifact_prefix="$root/build-fuzz/findings/$name-" -print_final_stats=1 -close_fd_mask=3 \
    > "build-fuzz/logs/$name.log" 2>&1
}

report() {
  local name=$1 status=$2
  local log="build-fuzz/logs/$name.log"
  local runs cov features
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
  cov=$(grep -o 'cov: [0-9]*' "$log" | tail -1 | cut -d' ' -f2 || true)
  features=$(grep -o 'ft: [0-9]*' "$log" | tail -1 | cut -d' ' -f2 || true)
  printf '%-26s %s  executions %-10s coverage %-6s features %-6s %s\n' "$name" \
    "$([ "$status" -eq 0 ] && echo ok || echo FINDING)" "${runs:-?}" "${cov:-?}" "${features:-?}" \
    "$([ "$status" -eq 0 ] || echo "(see $log)")"
}

failed=0
pids=()
for name in "${names[@]}"; do
  if [ ! -x "build-fuzz/$name" ]; then
    echo "fuzz: no harness $name" >&2
    exit 2
  fi
done
echo "fuzz: ${#names[@]} harnesses, ${seconds} s each, inputs up to $maxLen bytes, memory bound ${budgetMb} MB"
index=0
while [ $index -lt ${#names[@]} ]; do
  batch=()
  for ((j = 0; j < jobs && index < ${#names[@]}; j++, index++)); do
    run_one "${names[$index]}" &
    pids+=($!)
    batch+=("${names[$index]}")
  done
  for name in "${batch[@]}"; do
    status=0
    wait "${pids[0]}" || status=$?
    pids=("${pids[@]:1}")
    report "$name" "$status"
    if [ "$status" -ne 0 ]; then
      failed=1
      # What the harness found, where the CI log shows it.
      { grep -m1 '^INFO: Seed' "build-fuzz/logs/$name.log" || true
        sed -n '/^==[0-9]*==\|ERROR: \|ALARM: \|Deadly signal\|out-of-memory/,$p' "build-fuzz/logs/$name.log" |
          grep -v '^#[0-9]\|^"\|^###' || true; } | head -n 80 | sed "s/^/  $name: /"
    fi
  done
done
rm -rf build-fuzz/tmp
exit $failed
