#!/usr/bin/env bash
# Builds Bottinaro with its tests and runs the whole suite.
set -euo pipefail
cd "$(dirname "$0")"
cmake_options=()
. tools/setup.sh

ctest --test-dir "$build_dir" --output-on-failure -j"$(nproc)"
