#!/usr/bin/env bash
# The companion at scale on one machine: wall time, peak memory and the factorisation's rate.
#  - dgemm through OpenBLAS on one thread and on every core (the floor's rate);
#  - bench/time_scale: a generated simply supported square of N x N nodes, four load cases,
#    through the sparse engine and the export's writers (vtu; vtu and csv; svg), phase by phase;
#  - lajefem-tools generate --large and export --only vtu end to end, where export takes models
#    beyond lajefem's limits.
# The factorisation's rate is set against the floor: nested dissection on a k x k node grid costs
# about 533 k^3 flop, at the two-core dgemm rate. Usage: bench/time_scale.sh [N...] (default
# 316 1000: 10^5 and 10^6 nodes).
set -euo pipefail
cd "$(dirname "$0")/.."
sizes=("${@:-316 1000}")
read -r -a sizes <<<"${sizes[*]}"
cmake -S . -B build-bench -DCMAKE_BUILD_TYPE=Release -DLAJEFEM_BENCHMARKS=ON >/dev/null
cmake --build build-bench -j2 --target lajefem-tools time_scale dgemm_rate >/dev/null
bench=build-bench/bench
tools=build-bench/src/tools/lajefem-tools
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

echo "load average: $(cut -d' ' -f1-3 /proc/loadavg)"
dgemm=$("$bench/dgemm_rate" 3000)
echo "$dgemm"
two_core=$(sed -E 's/.*, ([0-9.]+) GFLOP\/s on [0-9]+ threads/\1/' <<<"$dgemm")

# Runs a command under /usr/bin/time -v; prints its output, then wall time and peak memory.
measured() {
  local label=$1
  shift
  /usr/bin/time -v "$@" >"$work/out" 2>"$work/time" || {
    echo "$label: failed"
    tail -3 "$work/time"
    return 0
  }
  cat "$work/out"
  awk -v label="$label" '
    /Elapsed \(wall clock\)/ { n = split($NF, t, ":"); wall = t[n] + (n > 1 ? t[n-1] * 60 : 0) }
    /Maximum resident set size/ { peak = $NF / 1024 }
    END { printf "%s: wall %.2f s, peak %.0f MiB\n", label, wall, peak }' "$work/time"
}

for n in "${sizes[@]}"; do
  echo "== $n x $n nodes"
  for kinds in vtu vtu,csv svg; do
    [ "$n" -gt 400 ] && [ "$kinds" != vtu ] && continue
    rm -rf "$work/files"
    measured "time_scale $n $kinds" "$bench/time_scale" "$n" "$kinds" "$work/files"
  done
  line=$(grep -o 'factorisation [0-9.]* s ([0-9.e+]* flop, [0-9.]* GFLOP/s)' "$work/out" || true)
  if [ -n "$line" ]; then
    read -r seconds flop rate <<<"$(sed -E 's/factorisation ([0-9.]+) s \(([0-9.e+]+) flop, ([0-9.]+) GFLOP\/s\)/\1 \2 \3/' <<<"$line")"
    awk -v s="$seconds" -v fl="$flop" -v r="$rate" -v k="$n" -v d="$two_core" 'BEGIN {
      floor = 533 * k * k * k / (d * 1e9)
      printf "factorisation %.3g flop (533 k^3 = %.3g), %.1f GFLOP/s; floor %.2f s at %.1f GFLOP/s: %.1f x the floor\n",
             fl, 533 * k * k * k, r, floor, d, s / floor }'
  fi
  rm -f "$work/plate.dat"
  measured "generate --large $n" "$tools" generate -o "$work/plate.dat" --large \
    --size 10 10 --mesh $((n - 1)) $((n - 1)) --edges SSSS --material 30 0.2 0.2 \
    --uniform -1 --case --uniform -5 --case --point 5 5 -10 --case --uniform -2 --point 2.5 2.5 -20
  rm -rf "$work/export"
  measured "export --only vtu $n" "$tools" export "$work/plate.dat" -o "$work/export" --only vtu
done
