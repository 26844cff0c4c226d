#!/usr/bin/env bash
# The main job: build the plug-in and the host, then render the built-in demo phrase
# through the plug-in, with a picture of its editor.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/deps.sh
ensure_packages "${NATIVE_PACKAGES[@]}"

cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build/release -j "$(nproc)" --target velmorande velmorande-host
plugin=build/release/plugins/velmorande.so
out=${1:-out/demo}
build/release/host/velmorande-host --demo "$out" "$plugin"
echo "plug-in:     $plugin"
