#!/usr/bin/env bash
# Redraws the editor pictures in docs/ from a release build (scripts/demo.sh makes one).
set -euo pipefail
cd "$(dirname "$0")/.."
host=build/release/host/velmorande-host
plugin=build/release/plugins/velmorande.so
"$host" "$plugin" --editor-png docs/editor-default.png
"$host" "$plugin" --param "Host Sync=No" --editor-png docs/editor-sync-off.png
