#!/usr/bin/env bash
# Builds everything and runs every test: native (with velmorande-host validate on our
# plug-in, on MVerb and on broken fixtures; the LV2 bundle in lilv's tools and jalv),
# sanitizer build, the thread sanitizer over the validator's threads group, fuzz corpus
# replay, the Debian package (lintian, installed for real, checked, removed), and the Windows
# DLL's suite under Wine with its zip.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/deps.sh
ensure_packages "${NATIVE_PACKAGES[@]}" "${FUZZ_PACKAGES[@]}" "${HOST_TEST_PACKAGES[@]}" \
    "${X11_TEST_PACKAGES[@]}" "${LV2_TEST_PACKAGES[@]}" "${PACKAGE_TEST_PACKAGES[@]}"

jobs=$(nproc)

step() { printf '\n== %s (%s)\n' "$*" "$(date +%T)"; }

# The X11 editor's tests run in a virtual X server of their own, which must then be there:
# they fail rather than skip. -noreset keeps the server up between tests.
with_x() {
    VELMORANDE_X11_REQUIRED=1 xvfb-run -a -s "-screen 0 1280x1024x24 -noreset" "$@"
}

step "native build"
cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build/release -j "$jobs"
step "native tests"
with_x ctest --test-dir build/release -j "$jobs" --output-on-failure

step "Debian package from the native build: lintian, install, checks, removal"
bash scripts/package.sh build/release

step "sanitizer build (address, undefined)"
cmake -S . -B build/asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DVELMORANDE_SANITIZE=ON >/dev/null
cmake --build build/asan -j "$jobs"
step "sanitizer tests"
ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
    LSAN_OPTIONS=suppressions="$PWD/tests/lsan.supp" \
    with_x ctest --test-dir build/asan -j "$jobs" --output-on-failure

step "thread sanitizer build: validate's threads group for 30 s"
cmake -S . -B build/tsan -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVELMORANDE_TSAN=ON >/dev/null
cmake --build build/tsan -j "$jobs" --target velmorande velmorande-host
# A report ends the group's process with exit code 66, which fails the run.
TSAN_OPTIONS="halt_on_error=1 exitcode=66" build/tsan/host/velmorande-host validate \
    build/tsan/plugins/velmorande.so --group threads --seconds 30

step "fuzz targets over their corpora"
CC=clang CXX=clang++ cmake -S . -B build/fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DVELMORANDE_FUZZ=ON >/dev/null
cmake --build build/fuzz -j "$jobs" --target fuzz_targets
ctest --test-dir build/fuzz -j "$jobs" --output-on-failure

step "Windows: Velmorande.dll and its suite under Wine, then its zip"
VELMORANDE_NATIVE_BUILD=build/release bash scripts/windows.sh
