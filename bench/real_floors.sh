#!/bin/sh
# Two floors at about 0.1 m elements, beyond lajefem's limits, through generate/import --large,
# check and export, each step timed (wall time and peak memory). The maps come out as SVG.
#   bench/real_floors.sh [TOOLS] [OUTDIR]
set -eu
tools=${1:-build/src/tools/lajefem-tools}
out=${2:-/tmp/real_floors}
here=$(cd "$(dirname "$0")/.." && pwd)
mkdir -p "$out"
timed() { /usr/bin/time -f "  time: %e s %M KB" "$@"; }

echo "== flat slab, 3 x 3 bays of 6 m on 16 columns"
columns=""
for x in 0 6 12 18; do for y in 0 6 12 18; do columns="$columns --column $x $y"; done; done
# shellcheck disable=SC2086
timed "$tools" generate -o "$out/flat.dat" --large --size 18 18 --mesh 180 180 --edges FFFF \
  --material 30 0.2 0.25 --uniform -12 $columns
timed "$tools" check "$out/flat.dat"
timed "$tools" export "$out/flat.dat" -o "$out/flat-vtu" --only vtu
timed "$tools" export "$out/flat.dat" -o "$out/flat" --only vtu,svg --section x=6 --section x=9

echo "== 8 m x 6 m slab with an opening and an interior wall, meshed by gmsh"
timed gmsh "$here/examples/floor_opening_wall.geo" -2 -format msh41 -o "$out/floor.msh" >/dev/null
timed "$tools" import "$out/floor.msh" --large -o "$out/floor.dat" --material 30 0.2 0.2 \
  --support edges=H --support wall=S --uniform -10
timed "$tools" check "$out/floor.dat"
timed "$tools" export "$out/floor.dat" -o "$out/floor-vtu" --only vtu
timed "$tools" export "$out/floor.dat" -o "$out/floor" --only vtu,svg
