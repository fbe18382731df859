#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test: the release build with the GUI
# tests (offscreen), then the GUI-free suites again under address and UB sanitizers.
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/install-deps.sh
jobs=$(nproc)
export QT_QPA_PLATFORM=offscreen
# Each phase says when it ends, so a slow one shows.
phase() { echo "== $1 done at $((SECONDS / 60)) min $((SECONDS % 60)) s"; }

# Warnings are errors here: a build that warns does not pass.
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release -DCODEGEN_WERROR=ON
cmake --build build -j"$jobs"
ctest --test-dir build --output-on-failure -j"$jobs"
phase "release build and tests"

# Only the test programs (not the tool, which no test here runs), and without the long
# stop/resume cases, which the release stage has run (tests/CaseProperties.cmake). Line
# tables are all the sanitizers' reports need (-g1): a third less compile time than -g.
lines_only=(-DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O2 -g1 -DNDEBUG"
            -DCMAKE_C_FLAGS_RELWITHDEBINFO="-O2 -g1 -DNDEBUG")
cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCODEGEN_SANITIZE=ON \
    -DCODEGEN_BUILD_GUI=OFF -DCODEGEN_BUILD_BENCH=OFF -DCODEGEN_WERROR=ON "${lines_only[@]}"
cmake --build build-asan -j"$jobs" --target test_programs
ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
    ctest --test-dir build-asan --output-on-failure -j"$jobs" -LE long
phase "sanitizer build and tests"

# The fuzz targets under fuzz/, built with clang's libFuzzer and the sanitizers: each runs
# over its seeds, then fuzzes briefly (tools/run-fuzzers.sh).
CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCODEGEN_FUZZ=ON -DCODEGEN_BUILD_GUI=OFF -DCODEGEN_BUILD_BENCH=OFF -DCODEGEN_BUILD_TESTS=OFF \
    "${lines_only[@]}"
cmake --build build-fuzz -j"$jobs" --target fuzz_all
# Each target (one per seed folder) is one process on one core: two halves of the targets
# side by side, each target fuzzed as long as alone.
fuzzers=()
for seeds in fuzz/corpus/*/; do fuzzers+=("$(basename "$seeds")"); done
half=$(((${#fuzzers[@]} + 1) / 2))
if [ "$jobs" -ge 2 ]; then
    bash tools/run-fuzzers.sh build-fuzz 15 "${fuzzers[@]:0:half}" &
    first=$!
    bash tools/run-fuzzers.sh build-fuzz 15 "${fuzzers[@]:half}"
    wait "$first"
else
    bash tools/run-fuzzers.sh build-fuzz 15 "${fuzzers[@]}"
fi
phase "fuzzing"
