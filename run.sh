#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds Bottinaro and starts it.
set -euo pipefail
cd "$(dirname "$0")"
. tools/setup.sh
build build

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
    echo "Bottinaro is built (build/bottinaro), but it needs a desktop session to run:" >&2
    echo "neither DISPLAY nor WAYLAND_DISPLAY is set." >&2
    exit 1
fi
exec build/bottinaro
