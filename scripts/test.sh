#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test. Extra arguments go to CMake,
# for example -DSANITIZE=ON (use another BUILD_DIR for that).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bash "$root/scripts/build.sh" "$@"
cd "${BUILD_DIR:-$root/build}"
ctest --output-on-failure --parallel 2
