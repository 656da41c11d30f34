#!/bin/bash
# The calibration sweep of the element's spurious-pattern measures (src/checking/soft_patterns.hpp):
# prints, for each model, the check's measure (the energy that smooth deformation with the
# element patterns of the deflection under a uniform pressure would need, over the energy that
# deflection stores) and the largest solution measure over its load cases. The models: the
# examples, the imported example mesh, generated plates of every edge kind and several column
# layouts, the slabs of bench/spurious_models.py (faulty and sound), and the completed runs of
# the reference corpus when it is present (GOLDEN, default ../shared/golden).
#   bash bench/soft_pattern_sweep.sh [BUILD]      (BUILD: a configured build folder, default build)
set -euo pipefail
build=${1:-build}
golden=${GOLDEN:-$(dirname "$0")/../../shared/golden}
cmake --build "$build" -j2 --target lajefem-tools soft_pattern_sweep >/dev/null
tools=$build/src/tools/lajefem-tools
sweep=$build/tests/checking/soft_pattern_sweep
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

for edges in SSSS HHHH CCCC SFSF CFFF CSCS HSFC FCFS SSHH; do
  "$tools" generate -o "$work/g-$edges.dat" --size 6 4 --mesh 8 6 --edges "$edges" \
    --material 30 0.2 0.2 --uniform -10 --point 2 2 -20 >/dev/null
done
generate_columns() {
  local name=$1
  shift
  "$tools" generate -o "$work/c-$name.dat" --material 30 0.2 0.2 --uniform -10 "$@" >/dev/null
}
generate_columns corners --size 6 6 --mesh 6 6 --edges FFFF --column 0 0 --column 6 0 \
  --column 0 6 --column 6 6
generate_columns grid3 --size 18 18 --mesh 14 14 --edges FFFF $(for x in 0 6 12 18; do
  for y in 0 6 12 18; do echo --column $x $y; done
done)
generate_columns inner --size 12 8 --mesh 10 8 --edges SFFF --column 6 4 --column 12 8
# The interior column at (3.5, 5) shares no line with the others: with odd counts everywhere the
# pattern is soft (measure 2e4, a checkerboard of 0.7 m); the generator then makes the counts from
# the bottom edge to that column and from it to the top edge even, which brings it to 93.
generate_columns uneven --size 15 10 --mesh 12 8 --edges FFFF --column 0 0 --column 7 0 \
  --column 15 0 --column 0 10 --column 7 10 --column 15 10 --column 3.5 5
generate_columns edge --size 10 6 --mesh 9 5 --edges FSFF --column 0 0 --column 0 6 --column 5 3
"$tools" import examples/plate_hole.msh -o "$work/i-plate_hole.dat" --material 30 0.2 0.2 \
  --support supported=S --uniform -10 >/dev/null 2>&1 || echo "import of plate_hole.msh failed"
python3 bench/spurious_models.py "$work/s"

"$sweep" examples/apoiada examples/d01 examples/distorcida examples/encastrada examples/faixa \
  examples/pilares examples/placa1 "$work"/*.dat "$work"/s/*.dat
if [ -d "$golden/corpus" ]; then
  for run in "$golden"/corpus/r*/; do
    name=$(basename "$run")
    if [ "$(cat "$run/exit_status.txt")" = 0 ]; then
      "$sweep" "$run/$name.dat"
    fi
  done
else
  echo "no reference corpus at $golden/corpus: its runs were not measured"
fi
