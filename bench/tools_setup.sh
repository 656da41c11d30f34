# Sourced by the companion's timing scripts: builds the Release lajefem-tools in build-bench and
# makes a scratch folder, removed on exit, holding the timing models of bench/make_models.py.
# Sets `tools` (the program) and `work` (the folder).
cmake -S . -B build-bench -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build-bench -j2 --target lajefem-tools >/dev/null
tools=build-bench/src/tools/lajefem-tools
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
python3 bench/make_models.py "$work"
