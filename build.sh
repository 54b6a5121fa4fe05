#!/usr/bin/env bash
# Builds the plug-in in Release and installs the VST3 and LV2 bundles where
# Linux hosts look for them (~/.vst3 and ~/.lv2). Usage: bash build.sh
set -euo pipefail
root="$(cd "$(dirname "$0")" && pwd)"
cd "$root"

bash .ci/deps

build="${ZO_BUILD_DIR:-build/release}"
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DZO_BUILD_TESTS=OFF
cmake --build "$build" --parallel "$(nproc)"

artefacts="$build/ZoTarvel_artefacts/Release"
mkdir -p "$HOME/.vst3" "$HOME/.lv2"
rm -rf "$HOME/.vst3/Zo Tarvel.vst3" "$HOME/.lv2/Zo Tarvel.lv2"
cp -R "$artefacts/VST3/Zo Tarvel.vst3" "$HOME/.vst3/"
cp -R "$artefacts/LV2/Zo Tarvel.lv2" "$HOME/.lv2/"

echo "Installed: $HOME/.vst3/Zo Tarvel.vst3"
echo "Installed: $HOME/.lv2/Zo Tarvel.lv2"
echo "Standalone: $artefacts/Standalone/Zo Tarvel"
