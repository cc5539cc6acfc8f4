#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# What Orca says, in a private X server (Xvfb) with a session bus, the
# accessibility bus and Orca with a debug log; speech goes to ALSA's null
# device (on a machine without a sound device speech-dispatcher would stall
# Orca after a few utterances).
#   tools/screen_reader_check.sh [TEXT [KEY]]
#       the desktop program: types TEXT (749) into the scalp box, Tab to
#       "Calcola", presses KEY (space), and prints the window's WM_CLASS and
#       every line Orca spoke after the key. Needs a built build/bottinaro.
#   tools/screen_reader_check.sh --page BUILD_DIR
#       the page in BUILD_DIR/site, in Chromium, the keyboard alone: the
#       steps of tests/web/check_screen_reader.py, which says what Orca spoke
#       at each and fails when the box's selection, a window's title, its
#       contents or the alert are not said.
# Installs Orca, Xvfb, xdotool, xprop and speech-dispatcher when missing (Debian).
set -euo pipefail
cd "$(dirname "$0")/.."
page=
if [ "${1:-}" = --page ]; then
    page=$(cd "$2" && pwd)
else
    text=${1:-749}
    key=${2:-space}
fi

packages=(orca xvfb dbus at-spi2-core xdotool x11-utils speech-dispatcher speech-dispatcher-espeak-ng
    openbox) # a window manager: Chromium takes the keyboard once its window is activated
. tools/install_missing.sh
install_missing "${packages[@]}"
if [ -z "$page" ] && [ ! -x build/bottinaro ]; then
    echo "build/bottinaro is missing: run ./run.sh or ./test.sh first" >&2
    exit 1
fi

work=$(mktemp -d)
trap 'kill "$xvfb" 2>/dev/null || true; rm -rf "$work"' EXIT
exec 3>"$work/display"
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
for _ in $(seq 50); do [ -s "$work/display" ] && break; sleep 0.1; done
export DISPLAY=:$(cat "$work/display")
export HOME=$work/home XDG_CONFIG_HOME=$work/home/.config XDG_RUNTIME_DIR=$work/runtime
mkdir -p "$XDG_CONFIG_HOME/speech-dispatcher" "$XDG_RUNTIME_DIR"
chmod 700 "$XDG_RUNTIME_DIR"
cat >"$XDG_CONFIG_HOME/speech-dispatcher/speechd.conf" <<'EOF'
AudioOutputMethod "alsa"
AudioALSADevice "null"
AddModule "espeak-ng" "sd_espeak-ng" "espeak-ng.conf"
DefaultModule espeak-ng
DefaultLanguage "it"
EOF
export LOG=$work/orca.log

if [ -n "$page" ]; then
    dbus-run-session -- bash -c '
        openbox >/dev/null 2>&1 &
        orca --debug-file="$LOG" >/dev/null 2>&1 &
        export ORCA_PID=$!
        sleep 6
        status=0
        /usr/bin/python3 tests/web/check_screen_reader.py "$0" || status=$?
        [ -n "${KEEP_LOG:-}" ] && cp "$LOG" "$KEEP_LOG"
        exit $status
    ' "$page"
    exit
fi

dbus-run-session -- env TEXT="$text" KEY="$key" bash -c '
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
echo "Orca after $key, from $(cat "$LOG.key"):"
awk -v from="$(cat "$LOG.key")" '$1 >= from && /SPEECH OUTPUT/' "$LOG" | cut -c1-300
