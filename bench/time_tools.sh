#!/usr/bin/env bash
# Wall time of each lajefem-tools command that writes data files, on the largest models the
# program holds: generate a 16 x 16 plate with 4 load cases of 80 loads, import the gmsh plate
# with a hole (288 nodes) with 4 load cases of 80 loads, renumber the largest model (300 nodes,
# 400 elements, 4 x 80 loads). Usage: bench/time_tools.sh [runs]
# Each run is a fresh process; --version gives the cost of starting the program alone.
set -euo pipefail
cd "$(dirname "$0")/.."
runs=${1:-40}
source bench/tools_setup.sh

# Four load cases of 80 point loads each, on the nodes of a 1 m grid inside both plates.
loads=()
for c in 1 2 3 4; do
  [ "$c" -gt 1 ] && loads+=(--case)
  for k in $(seq 0 79); do
    loads+=(--point $((k % 10)) $((k / 20 + 1)) -$c)
  done
done

# Wall time (mean, fastest, slowest) and CPU time (user + system, mean) of a command, in ms.
time_command() {
  local name=$1
  shift
  local times=$work/times.$name
  local TIMEFORMAT='%3R %3U %3S'
  for _ in $(seq "$runs"); do
    { time "$@" >/dev/null 2>&1; } 2>>"$times"
  done
  awk -v name="$name" '
    { wall = $1 * 1000; cpu += ($2 + $3) * 1000; sum += wall; n++
      if (n == 1 || wall < fastest) fastest = wall
      if (wall > slowest) slowest = wall }
    END { printf "%-9s wall mean %6.1f ms, fastest %6.1f, slowest %6.1f; CPU mean %5.1f ms (%d runs)\n",
                 name, sum / n, fastest, slowest, cpu / n, n }' "$times"
}

time_command version "$tools" --version
time_command generate "$tools" generate -o "$work/gerada" --size 16 16 --mesh 16 16 \
  --edges SFSF --material 30 0.2 0.2 "${loads[@]}"
time_command import "$tools" import examples/plate_hole.msh -o "$work/furo" \
  --material 30 0.2 0.2 --support supported=S "${loads[@]}"
time_command renumber "$tools" renumber "$work/maior" -o "$work/maior2" --map "$work/map.csv"
