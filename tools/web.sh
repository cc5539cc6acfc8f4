#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds Bottinaro as a web page with Qt for WebAssembly, runs the browser
# tests in headless Chromium and leaves the static site in build-web/site/
# (and the copy with the tests' state hook in build-web/checked/site/).
#   tools/web.sh            prepare, configure, build, test
#   tools/web.sh --serve    the same without the tests, then serve the site
#                           on http://127.0.0.1:8132/ until Ctrl+C
#   tools/web.sh --bench    build, then the load benchmark (bench/bench_page.py)
#                           against the page of BENCH_BASELINE (default
#                           2e8f3cf) built beside it in build-web-baseline/
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

mode=test
for arg in "$@"; do
    case $arg in
    --serve) mode=serve ;;
    --bench) mode=bench ;;
    *) echo "usage: $0 [--serve | --bench]" >&2; exit 2 ;;
    esac
done

qt=$(tools/build-qt-wasm.sh | tail -n 1)
export EMSDK=$qt/emsdk NODE_PATH=/usr/share/nodejs
build_dir=${BUILD_DIR:-build-web}
jobs=$(( $(nproc) < 2 ? $(nproc) : 2 ))

if [ ! -f "$build_dir/CMakeCache.txt" ]; then
    "$qt/bin/qt-cmake" -S . -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE=Release \
        -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake
fi
targets=(bottinaro)
[ "$mode" = serve ] || targets+=(bottinaro_checked)
[ "$mode" = test ] && targets+=(browser_suites)
cmake --build "$build_dir" -j"$jobs" --target "${targets[@]}"
echo "Site: $build_dir/site/"

case $mode in
serve)
    echo "Serving Bottinaro on http://127.0.0.1:8132/ (Ctrl+C stops)"
    exec /usr/bin/python3 tests/web/serve.py "$build_dir/site" 8132
    ;;
test)
    /usr/bin/python3 tests/web/run_suites.py "$build_dir/tests/web"
    # Compared with the offscreen desktop screenshots when the suite has made them.
    /usr/bin/python3 tests/web/check_page.py "$build_dir" "${DESKTOP_SCREENSHOTS:-build/screenshots}"
    ;;
bench)
    # The baseline as it was built then: its own tree, the full Qt.
    baseline=build-web-baseline
    if [ ! -f "$baseline/build/site/bottinaro.wasm" ]; then
        rm -rf "$baseline" && git worktree prune
        git worktree add --detach "$baseline/src" "${BENCH_BASELINE:-2e8f3cf}"
        full=$(BOTTINARO_QT=full tools/build-qt-wasm.sh | tail -n 1)
        EMSDK=$full/emsdk "$full/bin/qt-cmake" -S "$baseline/src" -B "$baseline/build" -G Ninja \
            -DCMAKE_BUILD_TYPE=Release -DQT_HOST_PATH=/usr \
            -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake
        EMSDK=$full/emsdk cmake --build "$baseline/build" -j"$jobs" --target bottinaro
    fi
    /usr/bin/python3 bench/bench_page.py "$build_dir" "$baseline/build/site"
    ;;
esac
