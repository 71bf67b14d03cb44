#!/usr/bin/env bash
# Installs what is missing, builds, and runs the program.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/install-deps.sh"
"$root/scripts/build.sh" -DBUILD_TESTING=OFF -DTRADEMARK_BUILD_BENCH=OFF
build=${BUILD_DIR:-$root/build}
echo "No runnable program yet."
