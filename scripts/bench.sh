#!/usr/bin/env bash
# Builds a release build of its own (build-bench/), runs every benchmark of
# benchmarks/ (under Xvfb when there is no display: several need an OpenGL
# window) and prints one table of the figures they measure: metric, this
# build, reference, ratio, goal. The reference figures and the goals come from
# benchmarks/reference.tsv; metrics it does not name are listed without them.
#
# Usage: scripts/bench.sh [benchmark name ...]   (default: all of them)
# Each benchmark's whole output is kept in build-bench/bench-logs/.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
build="$root/build-bench"
reference="$root/benchmarks/reference.tsv"

./scripts/install-deps.sh
launcher=()
command -v ccache >/dev/null 2>&1 && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release -DHALVENOR_BUILD_TESTS=OFF -DHALVENOR_BUILD_BENCHMARKS=ON \
  "${launcher[@]}" >/dev/null
cmake --build "$build" -j"$(nproc)" >/dev/null

if [ $# -gt 0 ]; then
  names=("$@")
else
  names=()
  for source in benchmarks/*.cpp; do
    names+=("$(basename "$source" .cpp)")
  done
fi

# The sample show, for the benchmarks that play it.
show=$(mktemp -d /tmp/halvenor-bench-show-XXXXXX)
trap 'rm -rf "$show"' EXIT
"$build/MakeSampleAssets" "$show" >/dev/null
cp shows/sample/preconfig.txt shows/sample/guion.txt "$show/"

run=()
if [ -z "${DISPLAY:-}" ]; then
  run=(xvfb-run -a -s "-screen 0 1280x1024x24")
fi

logs="$build/bench-logs"
mkdir -p "$logs"
metrics="$logs/metrics.txt"
: >"$metrics"
for name in "${names[@]}"; do
  binary="$build/$name"
  if [ ! -x "$binary" ]; then
    echo "bench: no benchmark $name" >&2
    continue
  fi
  args=()
  case "$name" in
    BlurBenchmark) args=("$show") ;;
  esac
  echo "bench: running $name" >&2
  if ! (cd "$logs" && "${run[@]}" "$binary" "${args[@]}") >"$logs/$name.txt" 2>"$logs/$name.err"; then
    echo "bench: $name failed (see $logs/$name.err)" >&2
  fi
  grep '^metric: ' "$logs/$name.txt" | sed 's/^metric: //' >>"$metrics" || true
done

# The editing player's whole-show reloads, measured apart from its script reloads.
if [ -x "$build/AuthorReloadMemory" ] && printf '%s\n' "${names[@]}" | grep -qx AuthorReloadMemory; then
  echo "bench: running AuthorReloadMemory 300 --whole" >&2
  if ! (cd "$logs" && "${run[@]}" "$build/AuthorReloadMemory" 300 --whole) >"$logs/AuthorReloadMemoryWhole.txt" \
    2>"$logs/AuthorReloadMemoryWhole.err"; then
    echo "bench: AuthorReloadMemory --whole failed (see $logs/AuthorReloadMemoryWhole.err)" >&2
  fi
  grep '^metric: ' "$logs/AuthorReloadMemoryWhole.txt" | sed 's/^metric: //' >>"$metrics" || true
fi

# reference.tsv: metric <tab> reference value <tab> unit <tab> goal, where the
# goal is a comparison of this build's figure ("<= 0.4", ">= 100").
awk -F'\t' -v OFS='\t' '
  FNR == NR {
    if ($0 ~ /^#/ || NF < 4) next
    ref[$1] = $2; unit[$1] = $3; goal[$1] = $4; order[++n] = $1
    next
  }
  { value[$1] = $2; vunit[$1] = $3; seen[++m] = $1 }
  function met(v, g,   op, bound) {
    split(g, part, " "); op = part[1]; bound = part[2] + 0
    if (op == "<=") return v <= bound
    if (op == ">=") return v >= bound
    if (op == "<") return v < bound
    if (op == ">") return v > bound
    return 0
  }
  END {
    printf "%-44s %14s %14s %8s  %s\n", "metric", "this build", "reference", "ratio", "goal"
    for (i = 1; i <= n; ++i) {
      k = order[i]
      if (!(k in value)) { printf "%-44s %14s %14s %8s  %s\n", k, "(not run)", ref[k] " " unit[k], "-", goal[k]; continue }
      ratio = (ref[k] + 0 != 0) ? sprintf("%.2f", value[k] / ref[k]) : "-"
      printf "%-44s %14s %14s %8s  %s %s\n", k, value[k] " " vunit[k], ref[k] " " unit[k], ratio, goal[k],
             goal[k] == "-" ? "" : (met(value[k], goal[k]) ? "(met)" : "(MISSED)")
      done[k] = 1
    }
    for (j = 1; j <= m; ++j) {
      k = seen[j]
      if (k in done) continue
      printf "%-44s %14s %14s %8s  %s\n", k, value[k] " " vunit[k], "-", "-", "-"
      done[k] = 1
    }
  }
' "$reference" <(tr ' ' '\t' <"$metrics")
