#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Pictures of the four windows as a Windows user sees them: the test program
# draws them with Qt's Windows platform plugin (Windows fonts through GDI,
# Windows style) under Wine on a virtual X display, and saves each window;
# then the program itself runs in a Wine desktop, captured whole with
# its frame and title bar. Into build-windows/screenshots/display/.
#   windows/screenshots.sh [build dir]     (default build-windows)
set -euo pipefail
cd "$(dirname "$0")/.."
build_dir=$(realpath "${1:-build-windows}")
# The suite's offscreen pictures go to screenshots/ itself.
out=$build_dir/screenshots/display
prefix=$build_dir/wine
program=$(cat "$build_dir/program_name")
mkdir -p "$out"

if [ -z "${BOTTINARO_IN_XVFB:-}" ]; then
    . tools/install_missing.sh
    install_missing imagemagick x11-utils
    exec env BOTTINARO_IN_XVFB=1 xvfb-run -a -s "-screen 0 1024x768x24" "$0" "$build_dir"
fi

# Windows platform plugin: the real one, not offscreen.
QT_QPA_PLATFORM=windows BOTTINARO_SCREENSHOTS=$out \
    windows/wine-run.sh --qtest "$prefix" "$build_dir/test_desktop.exe" scaledWindows \
    | grep -E '^(PASS|FAIL|Totals)'

# The program in a Wine desktop of its own size, which Wine draws with frames.
windows/wine-run.sh "$prefix" explorer /desktop=bottinaro,560x600 "$build_dir/$program" &
wine_pid=$!
for _ in $(seq 100); do
    xwininfo -root -tree 2>/dev/null | grep -q '"Bottinaro"' && break
    sleep 0.2
done
sleep 2 # the first paint
program=${program%.exe}
import -window root "$out/${program,,}-wine-desktop.png"
WINEPREFIX=$prefix wineserver -k || true
wait "$wine_pid" 2>/dev/null || true
ls -l "$out"
