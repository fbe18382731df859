#!/usr/bin/env bash
# Runs each fuzz target of a fuzz build over its seeds in fuzz/corpus/<target>/, then fuzzes
# it for SECONDS seconds (default 15). Any crash, sanitizer report or broken property ends
# the script with a failure; the input that caused it is left in BUILD/fuzz-artifacts/.
# The random seed is fixed (FUZZ_SEED, default 1) so that a run repeats what it found; set
# another to explore further.
#
#   bash tools/run-fuzzers.sh [BUILD [SECONDS [TARGET...]]]
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build-fuzz}
seconds=${2:-15}
shift $(( $# < 2 ? $# : 2 ))
targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=(fuzz_ini fuzz_project_grid fuzz_text_lines fuzz_decode fuzz_export
                                     fuzz_cod_list fuzz_checkpoint fuzz_taps)

# Longest input per target: room for a few codes of 500 chips, small enough to run fast.
declare -A max_len=([fuzz_ini]=4096 [fuzz_project_grid]=4096 [fuzz_text_lines]=4096
                    [fuzz_decode]=1100 [fuzz_export]=4096 [fuzz_cod_list]=4096
                    [fuzz_checkpoint]=4096 [fuzz_taps]=4096)

mkdir -p "$build/fuzz-artifacts"
export ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1
for t in "${targets[@]}"; do
    bin="$build/bin/$t"
    seeds="fuzz/corpus/$t"
    [ -x "$bin" ] || { echo "No fuzz target $bin: configure with -DCODEGEN_FUZZ=ON" >&2; exit 1; }
    # New inputs go to a work folder beside the build; the seeds in the tree stay as they are.
    work="$build/fuzz-work/$t"
    mkdir -p "$work"
    echo "== $t: seeds"
    "$bin" -artifact_prefix="$build/fuzz-artifacts/$t-" "$seeds"/* > "$build/fuzz-work/$t-seeds.log" 2>&1 ||
        { cat "$build/fuzz-work/$t-seeds.log" >&2; exit 1; }
    echo "== $t: fuzzing for ${seconds}s"
    "$bin" -seed="${FUZZ_SEED:-1}" -max_total_time="$seconds" -max_len="${max_len[$t]:-4096}" -timeout=10 \
        -rss_limit_mb=2048 -print_final_stats=1 -artifact_prefix="$build/fuzz-artifacts/$t-" \
        "$work" "$seeds" > "$build/fuzz-work/$t.log" 2>&1 ||
        { tail -n 60 "$build/fuzz-work/$t.log" >&2; exit 1; }
    grep -E "^stat::number_of_executed_units|^#[0-9]+[[:space:]]+DONE" "$build/fuzz-work/$t.log" || true
done
