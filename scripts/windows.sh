#!/usr/bin/env bash
# The Windows stage: cross-builds Velmorande.dll and the Windows suite (GoogleTest, built for
# the target from Debian's googletest sources) with MinGW-w64, checks what the DLL exports
# and needs, and runs the suite under Wine on a virtual X display; any failing test fails
# the script. Installs what it is missing; libpng for the target is built once from
# Debian's source package and kept in build/windows-deps. Once the suite has passed, packs
# the tested DLL with its read-me and licence into build/windows/package/
# Velmorande-<version>-win64.zip.
#
# The audio reference comes from the Linux library of a native build tree:
# VELMORANDE_NATIVE_BUILD (default build/release), configured here if it is not yet.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/deps.sh
ensure_packages "${NATIVE_PACKAGES[@]}" "${WINDOWS_PACKAGES[@]}"

root=$PWD
deps=$root/build/windows-deps
build=$root/build/windows
native=${VELMORANDE_NATIVE_BUILD:-build/release}
[[ $native == /* ]] || native=$root/$native
wine_dir=$root/build/windows-wine
toolchain=$root/cmake/mingw-w64-x86_64.cmake
mingw=/usr/x86_64-w64-mingw32
jobs=$(nproc)

step() { printf '\n== %s\n' "$*"; }

# The first deb line of the system's apt sources for this release: "URI|signed-by".
debian_archive() {
    local codename=$1 found=""
    if compgen -G "/etc/apt/sources.list.d/*.sources" >/dev/null; then
        found=$(awk -v c="$codename" 'BEGIN { RS = ""; FS = "\n" }
            {
                types = uris = suites = key = ""
                for (i = 1; i <= NF; i++) {
                    split($i, kv, ":[ \t]*")
                    v = substr($i, length(kv[1]) + 2); sub(/^[ \t]+/, "", v)
                    if (kv[1] == "Types") types = v
                    else if (kv[1] == "URIs") uris = v
                    else if (kv[1] == "Suites") suites = v
                    else if (kv[1] == "Signed-By") key = v
                }
                if (types !~ /(^| )deb( |$)/) next
                n = split(suites, s, /[ \t]+/)
                for (j = 1; j <= n; j++)
                    if (s[j] == c) { split(uris, u, /[ \t]+/); print u[1] "|" key; exit }
            }' /etc/apt/sources.list.d/*.sources)
    fi
    if [ -z "$found" ] && [ -f /etc/apt/sources.list ]; then
        found=$(sed -e 's/\[[^]]*\]//' /etc/apt/sources.list |
            awk -v c="$codename" '$1 == "deb" && $3 == c { print $2 "|"; exit }')
    fi
    echo "$found"
}

# libpng for the target from Debian's libpng1.6 source package, fetched with an apt
# configuration of this build's own (the system's sources stay as they are).
build_libpng() {
    if [ -f "$deps/libpng/lib/libpng16.a" ] && [ -f "$deps/libpng/source-version" ]; then
        echo "libpng $(cat "$deps/libpng/source-version") (cached in $deps)"
        return
    fi
    local codename archive uri key apt src
    codename=$(. /etc/os-release && echo "${VERSION_CODENAME:-bookworm}")
    archive=$(debian_archive "$codename")
    uri=${archive%%|*}
    key=${archive#*|}
    if [ -z "$uri" ]; then
        echo "no Debian archive for $codename in the apt sources" >&2
        exit 1
    fi
    apt=$deps/apt
    rm -rf "$apt" "$deps/libpng" "$deps/libpng-build"
    mkdir -p "$apt/lists/partial" "$apt/cache/archives/partial" "$apt/sources.list.d" "$apt/src"
    if [ -n "$key" ]; then
        echo "deb-src [signed-by=$key] $uri $codename main" >"$apt/sources.list"
    else
        echo "deb-src $uri $codename main" >"$apt/sources.list"
    fi
    local options=(-o "Dir::Etc::SourceList=$apt/sources.list"
        -o "Dir::Etc::SourceParts=$apt/sources.list.d"
        -o "Dir::State::Lists=$apt/lists" -o "Dir::Cache=$apt/cache")
    [ "$(id -u)" -eq 0 ] && options+=(-o "APT::Sandbox::User=root")
    apt-get "${options[@]}" -qq update
    (cd "$apt/src" && apt-get "${options[@]}" -qq source --download-only libpng1.6)
    local dsc
    dsc=$(ls "$apt/src"/libpng1.6_*.dsc | head -n 1)
    # apt checked the files against the signed index; dpkg-source's own signature check
    # has no keyring here and only warns, so its talk is shown on failure alone.
    if ! (cd "$apt/src" && dpkg-source -x "$dsc" libpng >"$apt/dpkg-source.log" 2>&1); then
        cat "$apt/dpkg-source.log" >&2
        exit 1
    fi
    cmake -S "$apt/src/libpng" -B "$deps/libpng-build" -G Ninja \
        -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DCMAKE_BUILD_TYPE=Release \
        -DPNG_SHARED=OFF -DPNG_STATIC=ON -DPNG_EXECUTABLES=OFF -DPNG_TESTS=OFF \
        -DZLIB_LIBRARY="$mingw/lib/libz.a" -DZLIB_INCLUDE_DIR="$mingw/include" \
        -DCMAKE_INSTALL_PREFIX="$deps/libpng" >/dev/null
    cmake --build "$deps/libpng-build" -j "$jobs" >/dev/null
    cmake --install "$deps/libpng-build" >/dev/null
    basename "$dsc" .dsc >"$deps/libpng/source-version"
    echo "libpng $(cat "$deps/libpng/source-version") built into $deps/libpng"
}

step "libpng for Windows"
build_libpng

step "Windows build"
# Only the target's own pkg-config files: none of the build machine's libraries.
# Packing installs only what is built here, not the tools this stage does not build.
PKG_CONFIG_LIBDIR="$deps/libpng/lib/pkgconfig" cmake -S . -B "$build" -G Ninja \
    -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DCMAKE_BUILD_TYPE=Release -DVELMORANDE_BENCH=OFF \
    -DCMAKE_SKIP_INSTALL_ALL_DEPENDENCY=ON \
    -DPNG_LIBRARY="$deps/libpng/lib/libpng16.a" -DPNG_PNG_INCLUDE_DIR="$deps/libpng/include" \
    -DZLIB_LIBRARY="$mingw/lib/libz.a" -DZLIB_INCLUDE_DIR="$mingw/include" >/dev/null
cmake --build "$build" -j "$jobs" --target velmorande velmorande-wine-tests
dll=$build/plugins/Velmorande.dll
suite=$build/tests/windows/velmorande-wine-tests.exe

step "Velmorande.dll: exports and imports"
# The DLL as tested, for the zip to be checked against.
tested=$(sha256sum <"$dll" | cut -d' ' -f1)
objdump=x86_64-w64-mingw32-objdump
table=$($objdump -p "$dll")
exports=$(awk '/\[Ordinal\/Name Pointer\] Table/ { on = 1; next }
    on && /^\t\[/ { print $NF; next } { on = 0 }' <<<"$table" | LC_ALL=C sort | tr '\n' ' ')
imports=$(awk '/DLL Name:/ { print tolower($3) }' <<<"$table" | LC_ALL=C sort | tr '\n' ' ')
echo "exports: $exports"
echo "imports: $imports"
if [ "$exports" != "VSTPluginMain main " ]; then
    echo "the DLL must export exactly VSTPluginMain and main" >&2
    exit 1
fi
for name in $imports; do
    case $name in
    kernel32.dll | user32.dll | gdi32.dll | comctl32.dll | comdlg32.dll | shell32.dll | \
        advapi32.dll | msvcrt.dll | ucrtbase.dll | api-ms-win-crt-*.dll) ;;
    *)
        echo "the DLL needs $name, which is not a system DLL" >&2
        exit 1
        ;;
    esac
done

step "audio reference from the Linux library"
if [ ! -f "$native/CMakeCache.txt" ]; then
    cmake -S . -B "$native" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
fi
cmake --build "$native" -j "$jobs" --target velmorande-audio-reference
reference=$build/audio-reference.bin
"$native/tests/windows/velmorande-audio-reference" "$reference"

step "Windows suite under Wine"
# GoogleTest prints every test and the summary; its exit status is the script's.
# A throw-away prefix made anew for every run; no Mono or Gecko, no desktop menus.
export WINEPREFIX=$wine_dir/prefix WINEARCH=win64 WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree=;mshtml=;winemenubuilder.exe="
rm -rf "$wine_dir"
mkdir -p "$wine_dir"
winpath() { echo "Z:${1//\//\\}"; }
screenshot=$build/editor-wine.png
rm -f "$screenshot"
status=0
# The suite, then its editor tests again on a screen of 192 dpi (LogPixels, as winecfg sets
# it), where the editor opens at twice the panel's pixels.
timeout 900 xvfb-run -a -s "-screen 0 1280x1024x24" sh -c '
    wine wineboot --init >/dev/null 2>&1
    # No window manager here: Wine draws the frames and captions itself.
    wine reg add "HKCU\\Software\\Wine\\X11 Driver" /v Managed /d N /f >/dev/null 2>&1
    wineserver -w
    wine "$@"
    status=$?
    wineserver -k 2>/dev/null
    if [ $status -eq 0 ]; then
        printf "\n== the editor at 192 dpi\n"
        for key in "HKCU\\Control Panel\\Desktop" "HKCC\\Software\\Fonts"; do
            wine reg add "$key" /v LogPixels /t REG_DWORD /d 192 /f >/dev/null 2>&1
        done
        wineserver -w
        suite=$1
        shift
        wine "$suite" --gtest_filter="HiDpi*" "$@"
        status=$?
        wineserver -k 2>/dev/null
    fi
    exit $status' sh "$suite" "$(winpath "$dll")" "$(winpath "$reference")" \
    "$(winpath "$screenshot")" || status=$?
rm -rf "$wine_dir"
[ $status -eq 0 ] || exit $status

step "Windows zip"
version=$(sed -n 's/^set(CPACK_PACKAGE_VERSION "\(.*\)")$/\1/p' "$build/CPackConfig.cmake")
zip=$build/package/Velmorande-$version-win64.zip
rm -rf "$build/package"
(cd "$build" && cpack -G ZIP >/dev/null)
unzip -l "$zip"
expected=$(printf '%s\n' Velmorande-LICENSE.txt Velmorande-README.txt Velmorande.dll)
listed=$(unzip -Z1 "$zip" | LC_ALL=C sort)
if [ "$listed" != "$expected" ]; then
    printf 'the zip must hold exactly:\n%s\nit holds:\n%s\n' "$expected" "$listed" >&2
    exit 1
fi
packed=$(unzip -p "$zip" Velmorande.dll | sha256sum | cut -d' ' -f1)
echo "sha256 of the tested DLL: $tested"
echo "sha256 of the packed DLL: $packed"
echo "sha256 of the zip:        $(sha256sum <"$zip" | cut -d' ' -f1)"
if [ "$tested" != "$packed" ]; then
    echo "the zip's Velmorande.dll is not the DLL the suite tested" >&2
    exit 1
fi
