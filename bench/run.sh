#!/usr/bin/env bash
# Builds the benchmarks in Release and runs them. Usage: bash bench/run.sh [benchmark flags]
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
cd "$root"

bash .ci/deps
build="build/bench"
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DZO_BUILD_BENCH=ON -DZO_BUILD_TESTS=OFF
cmake --build "$build" --target zo_bench --parallel "$(nproc)"
"$build/bench/zo_bench" "$@"
