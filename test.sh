#!/usr/bin/env bash
# test.sh -- install what is missing, build, and run every test: once in a build with
# AddressSanitizer and UndefinedBehaviorSanitizer (build-asan/), once in the Release
# build (build/). Any sanitizer report fails the run.
set -euo pipefail
cd "$(dirname "$0")"
source scripts/setup.sh
install_missing

SANITIZE="-fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer"
configure_and_build build-asan -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_FLAGS="$SANITIZE" -DSHOW_BENCHMARKS=OFF
configure_and_build build

# Leaks inside the system's libraries (X, fontconfig, Pango's caches) are theirs, not ours.
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=0:exitcode=23
export LSAN_OPTIONS=suppressions=$PWD/tests/lsan.supp:print_suppressions=0
export UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1

echo "== tests under AddressSanitizer and UndefinedBehaviorSanitizer"
(cd build-asan && ctest --output-on-failure -j 2)
echo "== tests of the Release build"
cd build
ctest --output-on-failure -j 2
