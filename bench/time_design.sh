#!/usr/bin/env bash
# Wall and CPU time of `lajefem-tools export` with the design outputs on the largest model the
# program holds (300 nodes, 400 elements, 4 load cases): four combinations, the envelope, the
# reinforcement areas and the report page, besides every file of a plain export.
# Usage: bench/time_design.sh [runs]
# Builds the Release companion in build-bench; each run is a fresh process writing into the same
# folder, so files are replaced as they would be on a second export.
set -euo pipefail
cd "$(dirname "$0")/.."
runs=${1:-20}
source bench/tools_setup.sh
design=(--reinforcement fck=30,fyk=500,cover=0.03 --html)
if "$tools" export --help | grep -q -- --combination; then
  design+=(--combination ULS1=1.35*1+1.5*2 --combination ULS2=1.35*1+1.5*3
           --combination ULS3=1.35*1+1.5*4 --combination SLS=1*1+1*2+1*3+1*4 --envelope)
else
  echo "(this build has no --combination: load cases alone)"
fi
TIMEFORMAT='%R %U %S'
for _ in $(seq "$runs"); do
  { time "$tools" export "$work/maior" -o "$work/out" "${design[@]}" >/dev/null; } 2>>"$work/times"
done
files=$(find "$work/out" -type f | wc -l)
page=$(du -k "$work/out/maior.html" | cut -f1)
awk -v files="$files" -v page="$page" '
  function median(list, n,   i, j, t) {
    for (i = 2; i <= n; ++i) for (j = i; j > 1 && list[j - 1] > list[j]; --j) {
      t = list[j]; list[j] = list[j - 1]; list[j - 1] = t
    }
    return list[int((n + 1) / 2)]
  }
  { wall[NR] = $1 * 1000; cpu[NR] = ($2 + $3) * 1000; if (NR == 1 || $1 * 1000 > slowest) slowest = $1 * 1000 }
  END { printf "design export of maior (%d files, page %d kB), %d runs: wall median %.0f ms, slowest %.0f ms; CPU (user + system) median %.0f ms\n",
               files, page, NR, median(wall, NR), slowest, median(cpu, NR) }' "$work/times"
