#!/usr/bin/env bash
# test.sh -- install what is missing, build, and run every test.
set -euo pipefail
cd "$(dirname "$0")"
source scripts/setup.sh
install_missing
configure_and_build build
cd build
ctest --output-on-failure -j 2
