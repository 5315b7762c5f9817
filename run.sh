#!/usr/bin/env bash
# run.sh -- install what is missing, build a Release build in build/, run the show.
set -euo pipefail
cd "$(dirname "$0")"
source scripts/setup.sh
install_missing
configure_and_build build
exec build/bin/show
