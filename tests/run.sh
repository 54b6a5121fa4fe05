#!/usr/bin/env bash
# Builds everything and runs every test. Usage: bash tests/run.sh
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
cd "$root"

bash .ci/deps

build="${ZO_TEST_BUILD_DIR:-build/tests}"
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DZO_WERROR=ON -DZO_BUILD_TESTS=ON
cmake --build "$build" --parallel "$(nproc)"
# The controls need keyboard focus, so a display; the host tests put three
# windows side by side on it, and start a window manager where they click and type.
xvfb-run -a -s "-screen 0 2200x1200x24" ctest --test-dir "$build" --output-on-failure --timeout 300 -j "$(nproc)"
