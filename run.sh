#!/usr/bin/env bash
# Builds Bottinaro and starts it.
set -euo pipefail
cd "$(dirname "$0")"
cmake_options=()
. tools/setup.sh

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
    echo "Bottinaro is built ($build_dir/bottinaro), but it needs a desktop session to run:" >&2
    echo "neither DISPLAY nor WAYLAND_DISPLAY is set." >&2
    exit 1
fi
exec "$build_dir/bottinaro"
