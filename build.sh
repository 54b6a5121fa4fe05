#!/usr/bin/env bash
# Builds the plug-in in Release. Usage: bash build.sh
set -euo pipefail
root="$(cd "$(dirname "$0")" && pwd)"
cd "$root"

bash .ci/deps

build="${ZO_BUILD_DIR:-build/release}"
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DZO_BUILD_TESTS=OFF
cmake --build "$build" --parallel "$(nproc)"
