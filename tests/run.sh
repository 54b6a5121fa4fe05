#!/usr/bin/env bash
# Builds everything and runs every test. Usage: bash tests/run.sh
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
cd "$root"

bash .ci/deps

build="${ZO_TEST_BUILD_DIR:-build/tests}"
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DZO_WERROR=ON -DZO_BUILD_TESTS=ON
cmake --build "$build" --parallel "$(nproc)"
# The controls need keyboard focus, so a display.
xvfb-run -a ctest --test-dir "$build" --output-on-failure --timeout 300 -j "$(nproc)"
