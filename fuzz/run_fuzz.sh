#!/usr/bin/env bash
# Builds the fuzz targets with clang and runs each for a bounded time on a seed corpus made from
# the examples. Installs clang and its fuzzer runtime first when they are missing.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${LAJEFEM_FUZZ_SECONDS:-30}

probe=$(mktemp -d)
trap 'rm -rf "$probe"' EXIT
printf '#include <cstddef>\n#include <cstdint>\nextern "C" int LLVMFuzzerTestOneInput(const uint8_t*, size_t) { return 0; }\n' >"$probe/probe.cpp"
if ! clang++ -fsanitize=fuzzer "$probe/probe.cpp" -o "$probe/probe" 2>/dev/null; then
  apt-get update -qq && apt-get install -y -qq clang libclang-rt-dev >/dev/null
fi

cmake -S . -B build-fuzz -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo -DLAJEFEM_FUZZ=ON
cmake --build build-fuzz -j2 --target fuzz_reader fuzz_run

for target in fuzz_reader fuzz_run; do
  corpus=build-fuzz/corpus-$target
  mkdir -p "$corpus"
  cp examples/* "$corpus"/
  cp fuzz/regressions/* "$corpus"/ 2>/dev/null || true
  ./build-fuzz/fuzz/$target "$corpus" -max_total_time="$seconds" -max_len=65536 -rss_limit_mb=2048 \
    -print_final_stats=1 -artifact_prefix=build-fuzz/$target- 2>&1 | tail -n 15
done
