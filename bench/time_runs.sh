#!/usr/bin/env bash
# Wall time, CPU time and peak resident memory of complete runs: the largest model the store
# holds and a 16 x 16 mesh. Usage: bench/time_runs.sh [runs]
# Builds the Release program and the timing driver in build-bench; each run is a fresh process
# answering the prompt from a pipe, in a folder that keeps its ZLIXO and report between runs.
set -euo pipefail
cd "$(dirname "$0")/.."
runs=${1:-40}
cmake -S . -B build-bench -DCMAKE_BUILD_TYPE=Release -DLAJEFEM_BENCHMARKS=ON >/dev/null
cmake --build build-bench -j2 --target lajefem time_runs >/dev/null
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
python3 bench/make_models.py "$work"
build-bench/bench/time_runs build-bench/lajefem "$work" "$runs" maior malha16
