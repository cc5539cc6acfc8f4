#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Start-up of the program under Wine against the floor program (bench/
# floor.cpp: one window, one menu, one label) built the same way: static,
# mingw-w64, the Windows platform plugin. Alternating runs on a virtual X
# display; each run counts from just before `wine` starts the program to
# the moment its main window is mapped on the display, polled every few
# milliseconds. One wineserver stays up throughout, so neither program pays
# for starting Wine itself. Prints the median of each and the median of the
# per-pair ratios. Not part of the suite or CI.
#   windows/startup.sh [runs] [build dir]   (default 15, build-windows)
set -euo pipefail
cd "$(dirname "$0")/.."
runs=${1:-15}
build_dir=$(realpath "${2:-build-windows}")
program=$(cat "$build_dir/program_name")
if [ -z "${BOTTINARO_IN_XVFB:-}" ]; then
    . tools/install_missing.sh
    install_missing x11-utils bc
    cmake --build "$build_dir" --target bottinaro-floor bottinaro -j2 >/dev/null
    exec env BOTTINARO_IN_XVFB=1 xvfb-run -a -s "-screen 0 1024x768x24" "$0" "$runs" "$build_dir"
fi
export WINEPREFIX=$build_dir/wine WINEDEBUG=-all
windows/wine-run.sh "$WINEPREFIX" cmd /c exit 0 # makes the prefix if needed
wineserver -p 2>/dev/null || true # may be up already
trap 'wineserver -k' EXIT

# Milliseconds from start to the window called $2 being mapped.
measure() {
    local start end pid
    start=$(date +%s%N)
    wine "$1" >/dev/null 2>&1 &
    pid=$!
    until xwininfo -root -tree 2>/dev/null | grep -q "\"$2\""; do
        if (($(date +%s%N) - start > 60000000000)); then
            echo "no window \"$2\" within 60 s" >&2
            exit 1
        fi
        sleep 0.005
    done
    end=$(date +%s%N)
    kill "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
    # Let the killed program's windows go before the next run.
    while xwininfo -root -tree 2>/dev/null | grep -q "\"$2\""; do sleep 0.05; done
    echo $(((end - start) / 1000000))
}

bottinaro=() floor=() ratios=()
measure "$build_dir/$program" Bottinaro >/dev/null # warm the file cache
measure "$build_dir/bottinaro-floor.exe" bottinaro-floor >/dev/null
for ((i = 0; i < runs; i++)); do
    if ((i % 2)); then
        b=$(measure "$build_dir/$program" Bottinaro)
        f=$(measure "$build_dir/bottinaro-floor.exe" bottinaro-floor)
    else
        f=$(measure "$build_dir/bottinaro-floor.exe" bottinaro-floor)
        b=$(measure "$build_dir/$program" Bottinaro)
    fi
    bottinaro+=("$b") floor+=("$f")
    ratios+=("$(echo "scale=3; $b / $f" | bc)")
    echo "run $((i + 1)): $program $b ms, floor $f ms"
done
median() { printf '%s\n' "$@" | sort -g | awk '{a[NR] = $1} END {print (NR % 2) ? a[(NR + 1) / 2] : (a[NR / 2] + a[NR / 2 + 1]) / 2}'; }
echo "median of $runs: $program $(median "${bottinaro[@]}") ms," \
    "floor $(median "${floor[@]}") ms, ratio $(median "${ratios[@]}")"
