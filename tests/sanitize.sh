#!/usr/bin/env bash
# Builds the unit tests (the stress test among them) with a sanitizer and runs
# them; any report fails the run. Usage: bash tests/sanitize.sh thread|address
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
cd "$root"

mode="${1:?thread or address}"
case "$mode" in
    thread)  flags="thread" ;;
    address) flags="address,undefined" ;;
    *) echo "unknown sanitizer: $mode" >&2; exit 2 ;;
esac

bash .ci/deps

# The address build also carries the fuzzers' coverage hooks, so one build serves both.
fuzz=OFF
targets=(zo_tests zo_exit_while_playing)
if [ "$mode" = address ]; then
    fuzz=ON
    targets+=(zo_StateFuzzer zo_TableFuzzer zo_write_state_seeds)
fi

build="build/sanitize-$mode"
CC=clang CXX=clang++ cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DZO_SANITIZE="$flags" -DZO_BUILD_FUZZERS="$fuzz" -DZO_BUILD_HOST_TESTS=OFF -DZO_BUILD_TESTS=ON
cmake --build "$build" --target "${targets[@]}" --parallel "$(nproc)"

export TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1"
export ASAN_OPTIONS="halt_on_error=1 detect_leaks=1 detect_stack_use_after_return=1"
export UBSAN_OPTIONS="halt_on_error=1 print_stacktrace=1"
export LSAN_OPTIONS="suppressions=$root/tests/lsan.supp print_suppressions=0"
# Mesa's software rasteriser hands its work to threads of its own, which
# synchronise in code the race detector cannot see; here it draws on the
# OpenGL renderer's thread, so every report is about code we can see.
export LP_NUM_THREADS=0
xvfb-run -a ctest --test-dir "$build" --output-on-failure --timeout 600 -j 2

if [ "$fuzz" = ON ]; then
    runs="${ZO_FUZZ_RUNS:-200000}"
    corpus="$build/fuzz-corpus"
    rm -rf "$corpus"
    mkdir -p "$corpus/state" "$corpus/state-large" "$corpus/table"
    "$build/tests/zo_write_state_seeds" "$corpus/state" "$corpus/state-large"

    # A crash, a leak or any sanitizer report ends the fuzzer with a non-zero status.
    "$build/tests/zo_StateFuzzer" -artifact_prefix="$build/" -runs="$runs" -max_len=8192 -timeout=10 -print_final_stats=1 "$corpus/state"
    # States as long as damage can leave them in a project: tens of thousands of
    # attributes, a megabyte of name. Fewer runs, each reads up to a megabyte.
    "$build/tests/zo_StateFuzzer" -artifact_prefix="$build/" -runs="${ZO_FUZZ_LARGE_RUNS:-2000}" -max_len=1048576 -timeout=10 -print_final_stats=1 "$corpus/state-large"
    "$build/tests/zo_TableFuzzer" -artifact_prefix="$build/" -runs="$runs" -max_len=512 -timeout=10 -print_final_stats=1 "$corpus/table"
    echo "fuzzing: $runs runs per target, no crash, leak or report"
fi
