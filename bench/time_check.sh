#!/usr/bin/env bash
# Wall time of `lajefem-tools check` on the largest models the program holds (900 equations):
# the timing model of bench/time_runs.sh and two 300-node plates on corner columns, one sound
# and one with the checkerboard mechanism. Usage: bench/time_check.sh [runs]
# Builds the Release companion in build-bench; prints the best and the median of the runs.
set -euo pipefail
cd "$(dirname "$0")/.."
runs=${1:-10}
source bench/tools_setup.sh
python3 bench/check_models.py "$work"
for model in maior colunas9x29 colunas14x19; do
  times=()
  for _ in $(seq "$runs"); do
    start=$(date +%s%N)
    "$tools" check "$work/$model" >/dev/null || true
    times+=($((($(date +%s%N) - start) / 1000000)))
  done
  sorted=$(printf '%s\n' "${times[@]}" | sort -n)
  printf '%-14s best %d ms  median %d ms  (%d runs; %s)\n' "$model" \
    "$(echo "$sorted" | head -1)" "$(echo "$sorted" | sed -n "$(((runs + 1) / 2))p")" "$runs" \
    "$("$tools" check "$work/$model" | tail -1 | sed 's/.*: //')"
done
