#!/usr/bin/env bash
# Builds the benchmarks in Release and runs them. Usage: bash bench/run.sh [benchmark flags]
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
cd "$root"

bash .ci/deps
build="build/bench"
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DZO_BUILD_BENCH=ON -DZO_BUILD_TESTS=OFF
cmake --build "$build" --target zo_bench --parallel "$(nproc)"
# The window benchmarks build windows, so they need a display; a virtual one does.
if [ -n "${DISPLAY:-}" ]; then
    "$build/bench/zo_bench" "$@"
else
    xvfb-run -a -s "-screen 0 1280x1024x24" "$build/bench/zo_bench" "$@"
fi
