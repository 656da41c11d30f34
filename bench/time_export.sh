#!/usr/bin/env bash
# Wall and CPU time of `lajefem-tools export` on the largest model the program holds (300 nodes,
# 400 elements, 4 load cases): the analysis, 4 VTU files and the PVD, 40 SVG maps, both CSV
# tables and the summary. Usage: bench/time_export.sh [runs [export options...]], e.g.
#   bench/time_export.sh 20 --combination A=1.35*1+1.5*2 --combination B=1*1+1*2+1*3 \
#     --combination C=1.35*1+1.5?2+1.5?3+1.5?4 --combination D=1*1+1*4 --envelope
# Builds the Release companion in build-bench; each run is a fresh process writing into the same
# folder, so files are replaced as they would be on a second export.
set -euo pipefail
cd "$(dirname "$0")/.."
runs=${1:-20}
shift || true
source bench/tools_setup.sh
TIMEFORMAT='%R %U %S'
for _ in $(seq "$runs"); do
  { time "$tools" export "$work/maior" -o "$work/out" "$@" >/dev/null; } 2>>"$work/times"
done
files=$(find "$work/out" -type f | wc -l)
awk -v files="$files" '
  function median(list, n,   i, j, t) {
    for (i = 2; i <= n; ++i) for (j = i; j > 1 && list[j - 1] > list[j]; --j) {
      t = list[j]; list[j] = list[j - 1]; list[j - 1] = t
    }
    return list[int((n + 1) / 2)]
  }
  { wall[NR] = $1 * 1000; cpu[NR] = ($2 + $3) * 1000; if (NR == 1 || $1 * 1000 > slowest) slowest = $1 * 1000 }
  END { printf "export of maior (%d files), %d runs: wall median %.0f ms, slowest %.0f ms; CPU (user + system) median %.0f ms\n",
               files, NR, median(wall, NR), slowest, median(cpu, NR) }' "$work/times"
