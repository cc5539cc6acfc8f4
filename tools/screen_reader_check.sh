#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# What Orca says about a calculation: starts a private X server (Xvfb), a
# session bus with the accessibility bus, Orca with a debug log and the
# program; types TEXT into the scalp box, Tab to "Calcola", presses KEY, and
# prints the window's WM_CLASS and every line Orca spoke after the key.
# usage: tools/screen_reader_check.sh [TEXT [KEY]]   (default: 749 space)
# Needs a built build/bottinaro; installs Orca, Xvfb, xdotool and xprop when
# missing (Debian).
set -euo pipefail
cd "$(dirname "$0")/.."
text=${1:-749}
key=${2:-space}

packages=(orca xvfb dbus at-spi2-core xdotool x11-utils)
. tools/install_missing.sh
install_missing "${packages[@]}"
[ -x build/bottinaro ] || { echo "build/bottinaro is missing: run ./run.sh or ./test.sh first" >&2; exit 1; }

work=$(mktemp -d)
trap 'kill "$xvfb" 2>/dev/null || true; rm -rf "$work"' EXIT
exec 3>"$work/display"
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
for _ in $(seq 50); do [ -s "$work/display" ] && break; sleep 0.1; done
export DISPLAY=:$(cat "$work/display")
export HOME=$work/home XDG_CONFIG_HOME=$work/home/.config
mkdir -p "$HOME"
log=$work/orca.log

dbus-run-session -- env TEXT="$text" KEY="$key" LOG="$log" bash -c '
    export QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1
    orca --debug-file="$LOG" >/dev/null 2>&1 &
    orca=$!
    sleep 6
    build/bottinaro >/dev/null 2>&1 &
    app=$!
    sleep 3
    window=$(xdotool search --name "^Bottinaro\$" | head -1)
    xprop -id "$window" WM_CLASS
    xdotool windowfocus --sync "$window"
    sleep 2
    xdotool type --delay 150 "$TEXT"
    sleep 1
    xdotool key Tab
    sleep 2
    # Orca rewrites its log as it goes, so the moment is kept apart.
    date +%H:%M:%S.%6N >"$LOG.key"
    xdotool key "$KEY"
    sleep 4
    kill "$app" "$orca" 2>/dev/null || true
    sleep 1
    kill -9 "$app" "$orca" 2>/dev/null || true
' 2>/dev/null
echo "Orca after $key, from $(cat "$log.key"):"
awk -v from="$(cat "$log.key")" '$1 >= from && /SPEECH OUTPUT/' "$log" | cut -c1-300
