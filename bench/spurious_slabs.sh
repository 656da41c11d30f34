#!/usr/bin/env bash
# The flat slab of 3 x 3 bays of 6 m on 16 point columns, meshed in gmsh, through the real
# commands: a new user's path from a .geo file to results. It shows that a mesh whose point
# supports leave the element's checkerboard soft (an even number of elements between
# neighbouring columns, in the mirrored mesh too for symmetry lines) is refused by import,
# is an error in check (mechanism-soft-spurious) and stops export, while lajefem itself runs
# to the end and prints the checkerboard-laden deflections; and that the sound 5 + 5 + 5 mesh
# goes through cleanly.
#
# Cases (E 30 GPa, nu 0.2, t 0.2 m, 10 kN/m2 downwards; columns 'S', springs 1E6 GN/m):
#   full 5+4+5   bench/flat_slab_3x3.geo, NMID 4: 14 x 14 elements, the middle bay even
#   full 5+5+5   NMID 5: every bay odd, the sound reference
#   full 5+6+5   NMID 6: the mirror of the quarter 5+3
#   quarter 5+2  bench/flat_slab_quarter.geo, NHALF 2: the quarter of 5+4+5, cut at the
#                middle of the middle bay, θx held on the cut x = 9 m and θy on y = 9 m
#   quarter 5+3  NHALF 3: the quarter of 5+6+5 (a cut at mid-bay always mirrors to an even bay)
#
# Columns of the table: the exit status of import and, where it refused, of import
# --allow-spurious; of check, with the codes of its errors; of export (",none": it left no
# folder) and, where it refused, of export --allow-spurious; the warnings that this last one
# gave (sum: in the summary, err: on standard error, N/M: maps of the M that carry the banner)
# and the largest |w| of its summary, mm; the exit status of lajefem, with the largest |w| and
# the largest upward w of its report, mm (with +w up, an upward w under gravity is the
# checkerboard showing).
#
#   bash bench/spurious_slabs.sh [BUILD [KEEP]]
# BUILD: a configured build folder (default build); the programs are built there.
# KEEP: a folder to keep the meshes, models and exported files in (default: a temporary one).
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=$(cd "${1:-$here/../build}" && pwd)
command -v gmsh >/dev/null || { echo "gmsh is needed to mesh the slabs" >&2; exit 2; }
cmake --build "$build" -j2 --target lajefem lajefem-tools >/dev/null
tools=$build/src/tools/lajefem-tools
lajefem=$build/lajefem
if [ $# -ge 2 ]; then
  mkdir -p "$2"
  work=$(cd "$2" && pwd)
else
  work=$(mktemp -d)
  trap 'rm -rf "$work"' EXIT
fi

# The largest |w| (with its sign) and the largest w of the nodal displacement table of a
# lajefem report, mm.
report_w() {
  iconv -f latin1 "$1" | awk '
    /DESLOCAMENTOS NODAIS GLOBAIS/ { table = 1; next }
    table && NF == 5 && $1 ~ /^[0-9]+$/ {
      w = $3 + 0; a = w < 0 ? -w : w
      if (a > amax) { amax = a; wmax = $3 }
      if (w > up) up = w
      seen = 1; next
    }
    table && seen && NF == 0 { table = 0 }
    END { printf "%s %.3f", wmax, up }'
}

# status COMMAND...: runs it with its output to the case's log, echoes its exit status.
status() {
  local rc=0
  "$@" >>"$log" 2>&1 || rc=$?
  echo "$rc"
}

# status_in DIR NAME PROGRAM: runs lajefem in DIR on the data file NAME (its answers to the
# prompts: the file's name, then Enter), its console to DIR/run.txt; echoes its exit status.
status_in() {
  local rc=0
  (cd "$1" && "$3" >run.txt 2>&1 <<<"$2"$'\n') || rc=$?
  echo "$rc"
}

printf '%-11s %6s %7s %-5s %-23s %-7s %7s %-14s %-10s %3s %-9s %s\n' case import --allow \
  check "check's errors" export --allow warnings "|w| mm" run "run |w|" "run up w"
row() {
  local name=$1 geo=$2 param=$3 count=$4
  shift 4
  local dir=$work/$name
  rm -rf "$dir"
  mkdir -p "$dir"
  log=$dir/log.txt
  : >"$log"
  gmsh "$here/$geo" -2 -format msh41 -setnumber "$param" "$count" -o "$dir/$name.msh" >>"$log" 2>&1
  local import=(import "$dir/$name.msh" -o "$dir/$name" --material 30 0.2 0.2 "$@" --uniform -10 \
    --results slab.res)
  local imp allow=- chk codes exp expallow=- wmax
  imp=$(status "$tools" "${import[@]}")
  [ "$imp" = 0 ] || allow=$(status "$tools" "${import[@]}" --allow-spurious)
  chk=$(status "$tools" check "$dir/$name")
  codes=$({ "$tools" check "$dir/$name" || true; } | sed -n 's/.*: error: .*\[\([a-z-]*\)\]$/\1/p' |
    sort -u | paste -sd, -)
  exp=$(status "$tools" export "$dir/$name" -o "$dir/out")
  [ -e "$dir/out" ] || exp="$exp,none"
  local summary=$dir/summary.txt errors=$dir/warnings.txt
  rm -rf "$dir/out"
  expallow=$("$tools" export "$dir/$name" -o "$dir/out" --allow-spurious >"$summary" \
    2>"$errors" && echo 0 || echo $?)
  [ "${exp%%,*}" != 0 ] || expallow=-
  wmax=$(sed -n 's/^  largest |w| *\([-0-9.]*\) mm.*/\1/p' "$summary")
  local maps=("$dir"/out/*.svg) warned=""
  grep -q '^WARNING: ' "$summary" && warned+="sum,"
  grep -q ': warning: ' "$errors" && warned+="err,"
  warned+="$({ grep -l "WARNING: spurious checkerboard" "${maps[@]}" || true; } | wc -l)/${#maps[@]}"
  local run run_w
  run=$(status_in "$dir" "$name" "$lajefem")
  run_w=$(report_w "$dir/slab.res")
  printf '%-11s %6s %7s %-5s %-23s %-7s %7s %-14s %-10s %3s %-9s %s\n' "$name" "$imp" \
    "$allow" "$chk" "${codes:-none}" "$exp" "$expallow" "$warned" "$wmax" "$run" $run_w
}

columns=(--support columns=S)
symmetry=(--support columns=S --support cut_x=0,1E6,0 --support cut_y=0,0,1E6)
row full5+4+5 flat_slab_3x3.geo NMID 4 "${columns[@]}"
row full5+5+5 flat_slab_3x3.geo NMID 5 "${columns[@]}"
row full5+6+5 flat_slab_3x3.geo NMID 6 "${columns[@]}"
row quarter5+2 flat_slab_quarter.geo NHALF 2 "${symmetry[@]}"
row quarter5+3 flat_slab_quarter.geo NHALF 3 "${symmetry[@]}"
