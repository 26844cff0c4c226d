#!/usr/bin/env bash
# Installs the Debian packages a build needs, only those that are missing.
# Usage: source scripts/deps.sh; ensure_packages name...
ensure_packages() {
    local missing=()
    for pkg in "$@"; do
        dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q "install ok installed" ||
            missing+=("$pkg")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    echo "installing: ${missing[*]}"
    local sudo=""
    [ "$(id -u)" -ne 0 ] && sudo="sudo"
    export DEBIAN_FRONTEND=noninteractive
    # Another install may hold the package lock for a while: wait for it.
    $sudo apt-get -o DPkg::Lock::Timeout=600 update -qq
    $sudo apt-get -o DPkg::Lock::Timeout=600 install -y -qq --no-install-recommends "${missing[@]}"
}

# What the native build, its tests and benchmarks need.
NATIVE_PACKAGES=(cmake ninja-build g++ pkg-config libgtest-dev libgmock-dev libbenchmark-dev
    libpng-dev zlib1g-dev libfreetype-dev libfontconfig-dev fonts-liberation2 fonts-dejavu-core
    libsndfile1-dev libpixman-1-dev libxcb1-dev libxcb-shm0-dev libxcb-xtest0-dev
    libxkbcommon-dev libxkbcommon-x11-dev lv2-dev liblilv-dev)
# The X11 editor's tests: a virtual X server to run them in, and xrdb to load a desktop's
# resource database (Xft.dpi) into one.
X11_TEST_PACKAGES=(xvfb xauth x11-utils x11-xserver-utils)
# The LV2 world's tools the bundle is checked with (sordi for lv2_validate), and the JACK
# server jalv runs on.
LV2_TEST_PACKAGES=(lilv-utils sordi jalv jackd2)
# The Debian package: dpkg-shlibdeps and file for CPack, lintian, and the tools its install
# is checked with (man, lilv's tools, strings for Ardour's search path).
PACKAGE_TEST_PACKAGES=(dpkg-dev file lintian man-db lilv-utils binutils)
# A third-party VST 2.x plug-in for the host's tests to render through.
HOST_TEST_PACKAGES=(dpf-plugins-vst)
# The fuzz targets and the sanitizer runtime for them.
FUZZ_PACKAGES=(clang libclang-rt-14-dev)
# The Windows stage: the MinGW-w64 cross compiler, zlib for it, the source package tools
# for building libpng for it, GoogleTest's sources to build the suite with, and Wine on a
# virtual X display to run the suite, and unzip to check the zip it ships in.
WINDOWS_PACKAGES=(g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 libz-mingw-w64-dev
    dpkg-dev googletest wine wine64 xvfb xauth unzip)
