#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Runs a Windows program under Wine in a private prefix, quietly:
#   windows/wine-run.sh [--qtest] <prefix> <program.exe> [arguments...]
# The test programs' emulator in a cross build (CMAKE_CROSSCOMPILING_EMULATOR).
# The prefix is made on first use, once, even when tests start in parallel.
# --qtest: a Qt Test program, whose standard output Wine loses; its log goes
# to a file, which is then printed.
set -euo pipefail
qtest=false
if [ "$1" = --qtest ]; then
    qtest=true
    shift
fi
export WINEPREFIX=$1
shift
# Wine hands QT_* variables to Windows programs only as WINEQT_*.
for name in $(compgen -e); do
    [[ $name == QT_* ]] && export "WINE$name=${!name}"
done
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" WINEARCH=win64
if [ ! -f "$WINEPREFIX/.bottinaro-ready" ]; then
    mkdir -p "$WINEPREFIX"
    (
        flock 9
        if [ ! -f "$WINEPREFIX/.bottinaro-ready" ]; then
            wineboot --init >/dev/null 2>&1
            wineserver --wait
            # Wine's own Tahoma and the rest, where Windows keeps its fonts:
            # from its data folder alone Wine does not list them to programs.
            cp /usr/share/wine/fonts/*.ttf "$WINEPREFIX/drive_c/windows/Fonts/"
            touch "$WINEPREFIX/.bottinaro-ready"
        fi
    ) 9>"$WINEPREFIX.lock"
fi
if ! $qtest; then
    exec wine "$@"
fi
# Offscreen, Qt looks for fonts in one folder: Wine's own, as a prefix has them.
[ -n "${QT_QPA_FONTDIR:-}" ] || export WINEQT_QPA_FONTDIR='Z:\usr\share\wine\fonts'
log=$(mktemp)
trap 'rm -f "$log"' EXIT
status=0
wine "$@" -o "$(winepath -w "$log" 2>/dev/null),txt" || status=$?
cat "$log"
# Qt Test's exit code counts the failed cases; a crash leaves no totals.
if [ "$status" -eq 0 ] && ! grep -q '^Totals: ' "$log"; then
    echo "wine-run.sh: no totals in the test log" >&2
    status=1
fi
exit "$status"
