#!/usr/bin/env bash
# Configures and builds the project into build/ (or $BUILD_DIR), after making sure
# every package it needs is installed.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build_dir=${BUILD_DIR:-$root/build}

bash "$root/scripts/install-deps.sh"
cmake -S "$root" -B "$build_dir" -G Ninja "$@"
cmake --build "$build_dir" --parallel
