#!/usr/bin/env bash
# The packaging stage: packs a built tree as a Debian package, runs lintian on it, then
# installs it for real with dpkg and checks it as a user would find it, with no path set:
# the LV2 bundle in lv2ls, the manual page in man, the VST 2.x library loaded from
# /usr/lib/vst by the installed host (and by Ardour's scanner from its default search path,
# where Ardour is installed), and a removal that leaves no file of the package behind.
# The package is removed again however the checks end. A velmorande package someone
# installed on this machine is left alone: the install checks are then skipped.
#
# Usage: scripts/package.sh [BUILD_DIR]   (default build/release, already built)
#        ARDOUR_DIR=/opt/Ardour/lib scripts/package.sh   Ardour's scanner from elsewhere
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/deps.sh
ensure_packages "${NATIVE_PACKAGES[@]}" "${PACKAGE_TEST_PACKAGES[@]}"

build=${1:-build/release}
package=velmorande
uri=https://talvo.audio/plugins/velmorande

step() { printf '\n== %s (%ss)\n' "$*" "$SECONDS"; }
fail() {
    echo "$*" >&2
    exit 1
}

step "Debian package"
rm -rf "$build/package"
(cd "$build" && cpack -G DEB >/dev/null)
debs=("$build"/package/*.deb)
[ ${#debs[@]} -eq 1 ] || fail "expected one package in $build/package, found: ${debs[*]}"
deb=${debs[0]}
dpkg-deb --info "$deb" control
dpkg-deb --contents "$deb"

step "lintian"
lint=0
lintian --fail-on error,warning "$deb" \
    >"$build/package/lintian.txt" 2>&1 || lint=$?
grep -v '^running with root privileges' "$build/package/lintian.txt" || true
[ $lint -eq 0 ] || fail "lintian found errors or warnings in $deb"
echo "lintian: no errors, no warnings"

status=$(dpkg-query -W -f='${db:Status-Status}' "$package" 2>/dev/null || true)
if [ -n "$status" ] && [ "$status" != not-installed ] && [ "$status" != config-files ]; then
    echo "skipping the install checks: a $package package is already installed here" \
        "($status); it is left as it is"
    exit 0
fi

work=$(mktemp -d)
installed=0
cleanup() {
    if [ $installed -eq 1 ]; then dpkg --purge "$package" >/dev/null 2>&1 || true; fi
    rm -rf "$work"
}
trap cleanup EXIT

step "dpkg -i"
installed=1
dpkg -i "$deb"
fixes=$(apt-get -s -f install)
grep -q '^0 upgraded, 0 newly installed, 0 to remove' <<<"$fixes" ||
    fail "apt-get -f install would change something after dpkg -i: $fixes"
echo "apt-get -f install: nothing missing"

# As a user's shell finds things: a home of its own (no ~/.lv2 or ~/.vst copies), no
# LV2_PATH, MANPATH or library path.
mkdir -p "$work/home"
as_user() { env -i HOME="$work/home" PATH=/usr/local/bin:/usr/bin:/bin LANG=C.UTF-8 "$@"; }

step "the installed host and VST 2.x library"
host=$(as_user sh -c 'command -v velmorande-host')
[ "$host" = /usr/bin/velmorande-host ] || fail "velmorande-host is found as '$host'"
as_user velmorande-host --info /usr/lib/vst/velmorande.so | tee "$work/info.txt" | head -n 4
# The stripped, installed library answers as the built one does.
as_user "$build/host/velmorande-host" --info "$build/plugins/velmorande.so" >"$work/built.txt"
diff "$work/built.txt" "$work/info.txt" || fail "the installed library answers differently"
as_user velmorande-host --demo "$work/demo" /usr/lib/vst/velmorande.so -q

step "the LV2 bundle, as lilv finds it"
as_user lv2ls | grep -Fx "$uri" || fail "lv2ls does not list $uri"
as_user lv2info "$uri" | grep -F "Bundle:" | tee "$work/bundle.txt"
grep -q 'file:///usr/lib/lv2/velmorande.lv2/$' "$work/bundle.txt" ||
    fail "$uri is not found in /usr/lib/lv2"
as_user lv2apply -i "$work/demo/demo-input.wav" -o "$work/lv2.wav" "$uri"
echo "lv2apply rendered $work/demo/demo-input.wav through the installed bundle"

step "the manual page"
page=$(as_user man -w velmorande-host)
[ "$page" = /usr/share/man/man1/velmorande-host.1.gz ] || fail "man finds the page as '$page'"
as_user MANWIDTH=80 man velmorande-host >"$work/page.txt" 2>"$work/page.err"
if [ -s "$work/page.err" ]; then fail "man: $(cat "$work/page.err")"; fi
head -n 8 "$work/page.txt"
grep -q '^VALIDATE' "$work/page.txt" || fail "the manual page has no VALIDATE section"

step "Ardour's VST 2.x scan"
# ARDOUR_DIR: Ardour's library folder, where it is not Debian's /usr/lib/ardour<N>.
ardour=${ARDOUR_DIR:-$(ls -d /usr/lib/ardour* 2>/dev/null | tail -n 1 || true)}
scanner=$ardour/ardour-vst-scanner
if [ -z "$ardour" ] || ! [ -x "$scanner" ]; then
    echo "skipped: Ardour is not installed"
else
    # Ardour's default Linux VST search path, as its library carries it.
    search=$(strings "$ardour"/libardour.so* | grep -m 1 -E '^/[^:]*lxvst:.*vst' || true)
    [ -n "$search" ] || fail "no default VST search path found in $ardour/libardour.so"
    echo "Ardour's default search path: $search"
    found=()
    IFS=: read -r -a dirs <<<"$search"
    for dir in "${dirs[@]}"; do
        [ -d "$dir" ] || continue
        while IFS= read -r file; do found+=("$file"); done < <(find "$dir" -name 'velmorande.so')
    done
    [ ${#found[@]} -eq 1 ] || fail "Ardour's search path holds ${#found[@]} velmorande.so"
    as_user LD_LIBRARY_PATH="$ardour" "$scanner" -v -f "${found[0]}" >"$work/scan.txt" 2>&1 ||
        fail "Ardour's scanner failed: $(cat "$work/scan.txt")"
    grep -q 'name="Velmorande"' "$work/scan.txt" ||
        fail "Ardour's scanner did not find Velmorande: $(cat "$work/scan.txt")"
    echo "Ardour's scanner finds ${found[0]}"
fi

step "dpkg -r"
files=$(dpkg-query -L "$package")
dpkg -r "$package"
left=()
while IFS= read -r path; do
    [ -e "$path" ] || [ -L "$path" ] || continue
    # A folder stays where another package owns it or something else is in it.
    if [ -d "$path" ] && ! [ -L "$path" ]; then
        dpkg-query -S "$path" >/dev/null 2>&1 && continue
        [ -n "$(ls -A "$path")" ] && continue
    fi
    left+=("$path")
done <<<"$files"
[ ${#left[@]} -eq 0 ] || fail "dpkg -r left behind: ${left[*]}"
status=$(dpkg-query -W -f='${db:Status-Status}' "$package" 2>/dev/null || true)
[ -z "$status" ] || [ "$status" = not-installed ] || fail "after dpkg -r, dpkg still has $package: $status"
echo "removed; nothing of $package is left"
