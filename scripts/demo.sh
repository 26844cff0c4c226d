#!/usr/bin/env bash
# The main job: build the plug-in (VST 2.x and LV2) and the host, then render the built-in
# demo phrase through the plug-in, with a picture of its editor.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/deps.sh
ensure_packages "${NATIVE_PACKAGES[@]}"

cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build/release -j "$(nproc)" --target velmorande velmorande-host velmorande_lv2_module
plugin=build/release/plugins/velmorande.so
out=${1:-out/demo}
build/release/host/velmorande-host --demo "$out" "$plugin"
echo "plug-in:     $plugin"
echo "LV2 bundle:  build/release/lv2/velmorande.lv2 (copy it to ~/.lv2/)"
