#!/usr/bin/env bash
# Wall time and peak resident memory of complete runs: the largest model the store holds and a
# 16 x 16 mesh. Usage: bench/time_runs.sh [runs]   (builds the Release binary in build-bench)
set -euo pipefail
cd "$(dirname "$0")/.."
runs=${1:-20}
cmake -S . -B build-bench -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build-bench -j2 --target lajefem >/dev/null
program=$PWD/build-bench/lajefem
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
python3 bench/make_models.py "$work"
cd "$work"
for model in maior malha16; do
  start=$(date +%s%N)
  for _ in $(seq "$runs"); do
    printf '%s\n\n' "$model" | "$program" >/dev/null || true
  done
  end=$(date +%s%N)
  peak=$(printf '%s\n\n' "$model" | /usr/bin/time -f '%M' "$program" 2>&1 >/dev/null | tail -n 1)
  if printf '%s\n\n' "$model" | "$program" >/dev/null; then outcome=complete; else outcome=stopped; fi
  echo "$model: $(((end - start) / runs / 1000)) us wall per run (mean of $runs), peak RSS ${peak} kB, $outcome"
done
