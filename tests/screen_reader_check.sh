#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# What Orca says, in a private X server (Xvfb) with a session bus, the
# accessibility bus, a window manager (Chromium takes the keyboard only once
# its window is activated) and Orca writing a debug log; speech goes to
# ALSA's null device (without a sound device speech-dispatcher stalls Orca
# after a few utterances).
#   tests/screen_reader_check.sh [TEXT [KEY...]]
#       the desktop program (build/bottinaro): types TEXT (749) into the
#       box, Tab to "Calcola", presses each KEY (xdotool's names; space),
#       prints what Orca spoke after each and fails when it misses a word
#       (the DESKTOP table of tests/check_screen_reader.py).
#   tests/screen_reader_check.sh --page BUILD_DIR
#       the page in BUILD_DIR/site in Chromium: the STEPS of the same script.
# Installs what is missing (Debian).
set -euo pipefail
cd "$(dirname "$0")/.."
. tools/install_missing.sh
packages=(orca xvfb dbus at-spi2-core xdotool openbox speech-dispatcher speech-dispatcher-espeak-ng
    python3-selenium) # the check's driver, for the desktop too
[ "${1:-}" = --page ] && packages+=(chromium chromium-driver)
install_missing "${packages[@]}"
if [ "${1:-}" = --page ]; then
    run=(timeout -k 5 150 /usr/bin/python3 tests/check_screen_reader.py "$(cd "$2" && pwd)")
else
    [ -x build/bottinaro ] || { echo "build/bottinaro is missing: run ./run.sh or ./test.sh first" >&2; exit 1; }
    keys=("${@:2}")
    run=(timeout -k 5 120 /usr/bin/python3 tests/check_screen_reader.py --desktop "${1:-749}" "${keys[@]:-space}")
fi

work=$(mktemp -d)
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$work/display" >/dev/null 2>&1 &
xvfb=$!
trap 'kill "$xvfb" 2>/dev/null || true; rm -rf "$work"' EXIT
for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.1; done
display=$(cat "$work/display")
[ -n "$display" ] || { echo "Xvfb gave no display within 10 s" >&2; exit 1; }
export DISPLAY=:$display LOG=$work/orca.log
export HOME=$work/home XDG_CONFIG_HOME=$work/home/.config XDG_RUNTIME_DIR=$work/runtime
mkdir -p "$XDG_CONFIG_HOME/speech-dispatcher" "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
cat >"$XDG_CONFIG_HOME/speech-dispatcher/speechd.conf" <<'EOF'
AudioOutputMethod "alsa"
AudioALSADevice "null"
AddModule "espeak-ng" "sd_espeak-ng" "espeak-ng.conf"
DefaultModule espeak-ng
DefaultLanguage "it"
EOF
# Orca as installed, except that it does not read a page through as it
# loads, which moves the focus as the check types.
mkdir -p "$HOME/.local/share/orca"
echo '{"general": {"sayAllOnLoad": false}, "profiles": {"default": {"profile": ["Default", "default"]}},
    "pronunciations": {}, "keybindings": {}}' >"$HOME/.local/share/orca/user-settings.conf"

status=0
exec 4>&1 5>&2  # the check's own output; the buses' chatter is dropped
QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 dbus-run-session -- bash -c '
    openbox >/dev/null 2>&1 & wm=$!
    orca --debug-file="$LOG" >/dev/null 2>&1 & export ORCA_PID=$!
    disown -a  # no word on their end
    sleep 6
    status=0
    "$@" >&4 2>&5 || status=$?
    # Orca writes the rest of its log as it ends.
    kill "$ORCA_PID" 2>/dev/null && sleep 1
    kill -9 "$ORCA_PID" "$wm" 2>/dev/null
    exit $status' _ "${run[@]}" >/dev/null 2>&1 || status=$?
[ -n "${KEEP_LOG:-}" ] && cp "$LOG" "$KEEP_LOG"
exit $status
