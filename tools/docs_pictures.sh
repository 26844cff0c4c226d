#!/usr/bin/env bash
# Redraws the editor pictures in docs/ from a release build (scripts/demo.sh makes one).
set -euo pipefail
cd "$(dirname "$0")/.."
host=build/release/host/velmorande-host
plugin=build/release/plugins/velmorande.so
capture=build/release/tools/x11_capture/velmorande-x11-capture

# The LV2 panel as jalv shows it, on a JACK server of its own with no sound card. Run
# inside the virtual X server below.
lv2_picture() {
    local server="velmorande-docs-$$" status=0
    export JACK_DEFAULT_SERVER="$server" JACK_NO_AUDIO_RESERVATION=1
    jackd -n "$server" -d dummy -r 48000 -p 256 >/dev/null 2>&1 &
    local jack=$!
    # Both go whatever happens to the capture.
    local jalv=""
    trap 'kill -TERM ${jalv:+"$jalv"} "$jack" 2>/dev/null || true; wait' EXIT
    # It says so on stderr each time it finds no server yet; its status is what counts.
    jack_wait -w -t 10 >/dev/null 2>&1
    # The build's bundle names the plug-in; lv2ls reads it from there.
    local uri
    uri=$(LV2_PATH="$PWD/build/release/lv2" lv2ls)
    LV2_PATH="$PWD/build/release/lv2" jalv.gtk3 "$uri" >/dev/null 2>&1 &
    jalv=$!
    "$capture" --window Velmorande docs/editor-lv2.png || status=$?
    kill -TERM "$jalv"
    wait "$jalv" || true
    kill -TERM "$jack"
    wait "$jack" || true
    trap - EXIT
    return "$status"
}
if [ "${1:-}" = --lv2-inside-x ]; then
    lv2_picture
    exit
fi

"$host" "$plugin" --editor-png docs/editor-default.png
# The same at the scales of high-density screens.
"$host" "$plugin" --editor-png docs/editor-1.5x.png --scale 1.5
"$host" "$plugin" --editor-png docs/editor-2x.png --scale 2
"$host" "$plugin" --param "Host Sync=No" --editor-png docs/editor-sync-off.png
# The editor in an X window, as a Linux host shows it, on a virtual X server.
xvfb-run -a -s "-screen 0 1280x1024x24" "$capture" "$plugin" docs/editor-x11.png
# The delay rate's choice list, opened by a right-click on its knob.
xvfb-run -a -s "-screen 0 1280x1024x24" "$capture" --right-click 74,124 "$plugin" \
    docs/choice-list-x11.png
xvfb-run -a -s "-screen 0 1280x1024x24" "$0" --lv2-inside-x
