#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds Bottinaro as a web page with Qt for WebAssembly, runs the browser
# tests and leaves the static site in build-web/site/.
#   tools/web.sh            prepare, configure, build, test: the suites and
#                           the page check in headless Chromium, the offline
#                           check, a lean pass in Firefox and WebKitGTK, and
#                           Orca reading the page in Chromium
#   tools/web.sh --serve    the same without the tests, then serve the site
#                           on http://127.0.0.1:8132/ until Ctrl+C
#   tools/web.sh --bench    build, then the load benchmark (bench/bench_page.py)
#                           against the pages of BENCH_BASELINES (default
#                           2e8f3cf and 9f7f97e), each built once from its own
#                           commit into build-web-baseline/COMMIT/
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

# A folder configured against another Qt starts afresh.
if [ -f "$build_dir/CMakeCache.txt" ] && ! grep -q "^Qt6_DIR:PATH=$qt/" "$build_dir/CMakeCache.txt"; then
    rm -rf "$build_dir"
fi
if [ ! -f "$build_dir/CMakeCache.txt" ]; then
    "$qt/bin/qt-cmake" -S . -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE=Release \
        -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake
fi
targets=(bottinaro)
[ "$mode" = test ] && targets+=(browser_suites)
cmake --build "$build_dir" -j"$jobs" --target "${targets[@]}"
echo "Site: $build_dir/site/"

case $mode in
serve)
    echo "Serving Bottinaro on http://127.0.0.1:8132/ (Ctrl+C stops)"
    exec /usr/bin/python3 tests/web/serve.py "$build_dir/site" 8132
    ;;
test)
    failed=0
    /usr/bin/python3 tests/web/run_suites.py "$build_dir/tests/web" || failed=1
    # Compared with the offscreen desktop screenshots when the suite has made them.
    /usr/bin/python3 tests/web/check_page.py "$build_dir" "${DESKTOP_SCREENSHOTS:-build/screenshots}" || failed=1
    /usr/bin/python3 tests/web/check_offline.py "$build_dir" || failed=1
    /usr/bin/python3 tests/web/check_engines.py "$build_dir" || failed=1
    tools/screen_reader_check.sh --page "$build_dir" || failed=1
    exit $failed
    ;;
bench)
    # Each baseline as it was built then: its own tree, the Qt its own
    # scripts chose, kept under the commit it was built from.
    sites=()
    for commit in ${BENCH_BASELINES:-2e8f3cf 9f7f97e}; do
        commit=$(git rev-parse --short=7 "$commit^{commit}")
        baseline=build-web-baseline/$commit
        if [ ! -f "$baseline/build/.complete" ]; then
            rm -rf "$baseline" && git worktree prune
            git worktree add --detach "$baseline/src" "$commit"
            # Its scripts look for the shared toolchains beside its tree.
            ln -s "$root/../shared" "$baseline/shared"
            base_qt=$("$baseline/src/tools/build-qt-wasm.sh" | tail -n 1)
            EMSDK=$base_qt/emsdk "$base_qt/bin/qt-cmake" -S "$baseline/src" -B "$baseline/build" -G Ninja \
                -DCMAKE_BUILD_TYPE=Release -DQT_HOST_PATH=/usr -DBUILD_TESTING=OFF \
                -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake
            EMSDK=$base_qt/emsdk cmake --build "$baseline/build" -j"$jobs" --target bottinaro
            touch "$baseline/build/.complete"
        fi
        sites+=("$commit=$baseline/build/site")
    done
    /usr/bin/python3 bench/bench_page.py "$build_dir" "${sites[@]}"
    ;;
esac
