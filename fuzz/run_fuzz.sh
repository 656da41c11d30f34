#!/usr/bin/env bash
# Builds the fuzz targets with clang and runs each for a bounded time (LAJEFEM_FUZZ_SECONDS per
# target, 20 s by default: four targets, under two minutes of fuzzing in all) on a seed corpus
# made from the examples and the inputs kept under fuzz/regressions: data files for the reader,
# the whole run and the check, gmsh mesh files for the mesh reader.
# Installs clang and its fuzzer runtime first when they are missing; skips fuzzing, without
# failing, when they cannot be had. A crash, a hang or a sanitizer report fails the script.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${LAJEFEM_FUZZ_SECONDS:-20}

probe=$(mktemp -d)
trap 'rm -rf "$probe"' EXIT
printf '#include <cstddef>\n#include <cstdint>\nextern "C" int LLVMFuzzerTestOneInput(const uint8_t*, size_t) { return 0; }\n' >"$probe/probe.cpp"
fuzzer_works() {
  clang++ -fsanitize=fuzzer,address,undefined "$probe/probe.cpp" -o "$probe/probe" 2>/dev/null
}
if ! fuzzer_works; then
  as_root=()
  if [ "$(id -u)" -ne 0 ] && command -v sudo >/dev/null; then
    as_root=(sudo)
  fi
  "${as_root[@]}" apt-get update -qq || true
  "${as_root[@]}" apt-get install -y -qq clang libclang-rt-14-dev >/dev/null || true
fi
if ! fuzzer_works; then
  echo "fuzz: clang++ -fsanitize=fuzzer is not available; fuzzing skipped"
  exit 0
fi

cmake -S . -B build-fuzz -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O2 -g" -DLAJEFEM_FUZZ=ON  # index asserts stay on
cmake --build build-fuzz -j2 --target fuzz_reader fuzz_run fuzz_check fuzz_gmsh

# The seeds of a target: the examples of its input kind (below a size, when given) and the inputs
# kept for that kind.
seed_corpus() {
  local corpus=$1 kind=$2 below=${3:-}
  mkdir -p "$corpus"
  if [ "$kind" = gmsh ]; then
    cp examples/*.msh "$corpus"/
  else
    find examples -maxdepth 1 -type f ! -name '*.msh' ! -name '*.geo' ${below:+-size -$below} \
      -exec cp {} "$corpus"/ \;
  fi
  cp fuzz/regressions/"$kind"/* "$corpus"/
}

# Every target runs, a fault in one not hiding those of the others; any fault fails the script.
failed=0
for target in fuzz_reader fuzz_run fuzz_check fuzz_gmsh; do
  corpus=build-fuzz/corpus-$target
  case $target in
    fuzz_gmsh) seed_corpus "$corpus" gmsh ;;
    # The null space of the largest example takes seconds under the sanitizers: the check starts
    # from the smaller ones, to try more inputs in its time.
    fuzz_check) seed_corpus "$corpus" data 8k ;;
    *) seed_corpus "$corpus" data ;;
  esac
  echo "fuzz: $target for $seconds s"
  status=0
  ./build-fuzz/fuzz/$target "$corpus" -max_total_time="$seconds" -max_len=65536 -timeout=10 \
    -rss_limit_mb=2048 -print_final_stats=1 -artifact_prefix=build-fuzz/$target- \
    >build-fuzz/$target.log 2>&1 || status=$?
  grep -E '^(stat::number_of_executed_units|stat::peak_rss_mb|Done [0-9]+ runs)' build-fuzz/$target.log || true
  if [ "$status" -ne 0 ]; then
    tail -n 60 build-fuzz/$target.log
    echo "fuzz: $target found a fault (input kept under build-fuzz/$target-*)"
    failed=$status
  fi
done
exit "$failed"
