#!/usr/bin/env bash
# Runs `velmorande-host validate` over every VST 2.x library on this machine and writes one
# table: plug-in, result, time, first failure. Each plug-in's whole report is kept next to
# the table (its standard error holds what the plug-in printed).
#
# Usage: tools/validate_corpus.sh [options] [FOLDER...]
#   --host PATH     the velmorande-host to run (default build/release/host/velmorande-host)
#   --level N       validate's level (default 3)
#   --timeout S     validate's per-group timeout (default: validate's own)
#   --out DIR       where the table and the reports go (default build/corpus)
#   --install       first install Debian's VST 2.x plug-in packages that are missing
# FOLDERs are searched recursively; by default the usual ones: /usr/lib/vst, /usr/lib/lxvst,
# /usr/local/lib/vst, /usr/local/lib/lxvst, ~/.vst, ~/.lxvst (LSP's folder is
# /usr/lib/vst/lsp-plugins). Editors need a display: run it under `xvfb-run -a` without one.
set -u

root=$(cd "$(dirname "$0")/.." && pwd)
host=$root/build/release/host/velmorande-host
level=3
timeout=()
out=$root/build/corpus
folders=()
while [ $# -gt 0 ]; do
    case $1 in
    --host) host=$2; shift 2 ;;
    --level) level=$2; shift 2 ;;
    --timeout) timeout=(--timeout "$2"); shift 2 ;;
    --out) out=$2; shift 2 ;;
    --install)
        # shellcheck source=../scripts/deps.sh
        source "$root/scripts/deps.sh"
        ensure_packages zam-plugins lsp-plugins-vst dragonfly-reverb-vst dpf-plugins-vst
        shift ;;
    -h | --help) sed -n '2,/^set -u/p' "$0" | sed '$d; s/^# \{0,1\}//'; exit 0 ;;
    -*) echo "validate_corpus.sh: unknown option $1" >&2; exit 2 ;;
    *) folders+=("$1"); shift ;;
    esac
done
[ ${#folders[@]} -gt 0 ] || folders=(/usr/lib/vst /usr/lib/lxvst /usr/local/lib/vst
    /usr/local/lib/lxvst "$HOME/.vst" "$HOME/.lxvst")
[ -x "$host" ] || { echo "validate_corpus.sh: no host at $host (build it, or --host)" >&2; exit 2; }
mkdir -p "$out/reports"

# A VST 2.x library exports its entry point as VSTPluginMain or, in older ones, main.
is_vst2() {
    nm -D --defined-only "$1" 2>/dev/null | grep -Eq ' T (VSTPluginMain|main)$'
}

libraries=()
others=0
while IFS= read -r lib; do
    if is_vst2 "$lib"; then libraries+=("$lib"); else others=$((others + 1)); fi
done < <(for f in "${folders[@]}"; do [ -d "$f" ] && find -L "$f" -name '*.so' -type f; done |
    xargs -r realpath | sort -u)

table=$out/table.md
{
    echo "| plug-in | result | time | first failure |"
    echo "|---|---|---|---|"
} >"$table"
cat "$table"
passed=0 failed=0
for lib in "${libraries[@]}"; do
    report=$out/reports/$(echo "${lib#/}" | tr / _)
    "$host" validate "$lib" --level "$level" "${timeout[@]}" >"$report.txt" 2>"$report.err"
    code=$?
    summary=$(tail -n 1 "$report.txt")
    time=$(echo "$summary" | sed -n 's/.* in \([0-9.]*\) s$/\1 s/p')
    warned=$(echo "$summary" | sed -n 's/.* \([0-9]*\) with warnings.*/\1/p')
    first=$(grep -m 1 '^FAIL ' "$report.txt" | sed 's/^FAIL  *//' | cut -c 1-240)
    case $code in
    0) result=pass; passed=$((passed + 1)) ;;
    1) result=FAIL; failed=$((failed + 1)) ;;
    *) result="exit $code"; failed=$((failed + 1)); first=$(head -n 1 "$report.err") ;;
    esac
    [ -n "$warned" ] && result="$result ($warned warnings)"
    name=${lib%.so}
    case $lib in */lsp-plugins/*) name="LSP ${name##*/}" ;; *) name=${name##*/} ;; esac
    line="| $name | $result | ${time:-?} | $(echo "$first" | sed 's/|/\\|/g') |"
    echo "$line" >>"$table"
    echo "$line"
done
ending="${#libraries[@]} plug-ins at level $level: $passed passed, $failed failed ($others other"
ending="$ending libraries without a VST 2.x entry point)"
printf '\n%s\n' "$ending" >>"$table"
echo "$ending; the table is $table"
