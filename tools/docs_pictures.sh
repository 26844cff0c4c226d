#!/usr/bin/env bash
# Redraws the editor pictures in docs/ from a release build (scripts/demo.sh makes one).
set -euo pipefail
cd "$(dirname "$0")/.."
host=build/release/host/velmorande-host
plugin=build/release/plugins/velmorande.so
"$host" "$plugin" --editor-png docs/editor-default.png
"$host" "$plugin" --param "Host Sync=No" --editor-png docs/editor-sync-off.png
# The editor in an X window, as a Linux host shows it, on a virtual X server.
xvfb-run -a -s "-screen 0 1280x1024x24" build/release/tools/x11_capture/velmorande-x11-capture \
    "$plugin" docs/editor-x11.png
