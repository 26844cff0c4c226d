#!/usr/bin/env bash
# The bundle in the LV2 world's own tools.
# Usage: lv2_tools_test.sh lv2info|lv2apply|jalv LV2_DIR PLUGIN_URI HOST VST_PLUGIN
#   lv2info   the Turtle files pass lv2_validate; lilv reads nine control ports with their
#             ranges, and the 20 presets
#   lv2apply  lv2apply's render at 120 bpm equals velmorande-host's VST 2.x render
#   jalv      jalv (GTK) shows the panel in its window, without an X error
set -euo pipefail
mode=$1 lv2dir=$2 uri=$3 host=$4 vst=$5
export LV2_PATH=$lv2dir
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }
# A sanitizer build's library needs the sanitizer's runtime loaded first in these programs,
# whose own leaks are not ours to report.
tool() {
    if [ -n "${VELMORANDE_TOOL_PRELOAD:-}" ]; then
        LD_PRELOAD=$VELMORANDE_TOOL_PRELOAD ASAN_OPTIONS=detect_leaks=0 "$@"
    else
        "$@"
    fi
}

case $mode in
lv2info)
    bundle=$lv2dir/velmorande.lv2
    lv2_validate "$bundle"/*.ttl >"$work/validate" 2>&1 || true
    grep -q "Found 0 errors" "$work/validate" || { cat "$work/validate"; fail "lv2_validate"; }
    lv2info "$uri" >"$work/info"
    # The ports' names, ranges and defaults as the effect defines them.
    expected='Delay Rate 0 24 9
Delay Time 1 24000 500
Host Sync 0 1 1
Ping Pong 0 2 2
Pan Width -100 100 90
Feedback 0 99 60
Freq 100 20000 6000
Dry Mix 0 100 100
Wet Mix 0 100 50'
    got=$(awk '/lv2core#ControlPort$/ { control = 1 }
        /^\tPort [0-9]+:/ { control = 0 }
        control && /Name:/ { sub(/.*Name: +/, ""); name = $0 }
        control && /Minimum:/ { min = $2 + 0 }
        control && /Maximum:/ { max = $2 + 0 }
        control && /Default:/ { print name, min, max, $2 + 0 }' "$work/info")
    [ "$got" = "$expected" ] || fail "control ports: $got"
    # Every factory program, and only those, as a preset.
    "$host" --info "$vst" | awk '/^Programs/ { p = 1; next } /^$/ { p = 0 }
        p && $1 >= 1 && $1 <= 20 { $1 = ""; sub(/^ +/, ""); print }' | sort >"$work/programs"
    awk '/Presets:/ { p = 1; sub(/.*Presets: */, ""); if ($0 != "") print; next }
        p && /^\t *[^ \t]/ && !/:/ { sub(/^[ \t]+/, ""); print; next } p { p = 0 }' \
        "$work/info" | sort >"$work/presets"
    [ "$(wc -l <"$work/presets")" -eq 20 ] || fail "$(wc -l <"$work/presets") presets"
    diff "$work/programs" "$work/presets" || fail "presets differ from the programs"
    ;;
lv2apply)
    "$host" --demo "$work/demo" "$vst" >/dev/null
    in=$work/demo/demo-input.wav
    # Harp and Stereo Enhanced 2, by their port values, against the programs themselves.
    tool lv2apply -i "$in" -o "$work/lv2-harp.wav" -c delay_rate 3 -c feedback 80 -c dry_mix 70 "$uri"
    "$host" "$vst" "$in" "$work/vst-harp.wav" --program Harp --tempo 120 -q
    tool lv2apply -i "$in" -o "$work/lv2-stereo.wav" -c ping_pong 0 -c pan_width 100 \
        -c feedback 70 -c wet_mix 70 "$uri"
    "$host" "$vst" "$in" "$work/vst-stereo.wav" --program "Stereo Enhanced 2" --tempo 120 -q
    for name in harp stereo; do
        "$host" diff "$work/lv2-$name.wav" "$work/vst-$name.wav" --tolerance 0 ||
            fail "$name: lv2apply and the VST 2.x render differ"
        # Not the same file by accident: the effect is heard.
        if "$host" diff "$in" "$work/lv2-$name.wav" --tolerance 0 >/dev/null; then
            fail "$name: the output is the input"
        fi
    done
    ;;
jalv)
    # A display test, under the rule every one keeps: without an X display it is skipped
    # with its reason, unless the test command asks for X (VELMORANDE_X11_REQUIRED).
    if ! xwininfo -root >/dev/null 2>&1; then
        [ -z "${VELMORANDE_X11_REQUIRED:-}" ] || fail "the test command gave no X display"
        echo "skipped: no X display"
        exit 77
    fi
    # jalv is a JACK client: a JACK server of its own on the dummy driver.
    export JACK_NO_AUDIO_RESERVATION=1 JACK_DEFAULT_SERVER=velmorande-test-$$
    jackd --no-realtime -n "$JACK_DEFAULT_SERVER" -d dummy -r 48000 -p 256 >"$work/jack.log" 2>&1 &
    jack=$!
    jack_wait --wait --timeout 10 >/dev/null || { cat "$work/jack.log"; fail "no JACK server"; }
    jalv_pid=
    cleanup() {
        [ -n "$jalv_pid" ] && kill "$jalv_pid" 2>/dev/null
        kill "$jack" 2>/dev/null
        wait 2>/dev/null
        rm -rf "$work"
    }
    trap cleanup EXIT
    tool jalv.gtk3 -s "$uri" >"$work/jalv.log" 2>&1 &
    jalv_pid=$!
    # The panel: a window without a class, inside jalv's top-level window.
    found=
    for _ in $(seq 100); do
        sleep 0.1
        kill -0 "$jalv_pid" 2>/dev/null || break
        tree=$(xwininfo -root -tree 2>/dev/null || true)
        if grep -q '"Velmorande": ()  530x210' <<<"$tree" &&
           grep -q '"Velmorande": ("jalv.gtk3"' <<<"$tree"; then
            found=yes
            break
        fi
    done
    sleep 1 # a second of drawing and idling before it is judged
    kill -0 "$jalv_pid" 2>/dev/null || { cat "$work/jalv.log"; fail "jalv ended early"; }
    kill -TERM "$jalv_pid"
    status=0
    wait "$jalv_pid" || status=$?
    jalv_pid=
    [ -n "$found" ] || { cat "$work/jalv.log"; fail "the panel did not appear in jalv"; }
    if grep -E "X Error|BadWindow|BadMatch|BadDrawable|BadValue|BadAccess|Gdk-(ERROR|CRITICAL)" \
        "$work/jalv.log"; then
        fail "jalv reported errors"
    fi
    # Ended by our TERM, with or without a handler for it; a crash or an abort (as GTK
    # aborts on an X error) ends otherwise.
    [ "$status" -eq 0 ] || [ "$status" -eq 143 ] ||
        { cat "$work/jalv.log"; fail "jalv exited with $status"; }
    ;;
*)
    fail "unknown mode $mode"
    ;;
esac
echo "ok: $mode"
