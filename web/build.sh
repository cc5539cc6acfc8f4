#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds Bottinaro's web page (web/web.cmake) into build-web/, leaves the
# static site in build-web/site/ and checks it.
#   web/build.sh            build, then the checks: the module against its
#                           native build for every count and text, the page
#                           check (a desk, five phones light and dark,
#                           offline, Chromium, Firefox and WebKitGTK), and
#                           Orca reading the page in Chromium
#   web/build.sh --serve    build, then serve the site on
#                           http://127.0.0.1:8132/ until Ctrl+C
#   web/build.sh --bench    build, then the load benchmark (bench/bench_page.py)
#                           against the pages of BENCH_BASELINES (default
#                           6f3cbdd, the last page made with Qt), each built
#                           once from its own commit into build-web-baseline/
# Installs what it uses when missing (Debian).
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

packages=(
    cmake ninja-build emscripten nodejs      # the module, and Node to ask it at build time
    fonts-dejavu-core python3-fonttools python3-brotli python3-pil  # the font, copies, pictures
)
[ "$mode" = serve ] || packages+=(
    chromium chromium-driver python3-selenium # the page check
    firefox-esr webkit2gtk-driver xvfb xauth  # the other engines
)
. tools/install_missing.sh
install_missing "${packages[@]}"

build_dir=${BUILD_DIR:-build-web}
# A folder configured for another compiler starts afresh.
if [ -f "$build_dir/CMakeCache.txt" ] && ! grep -q "^CMAKE_TOOLCHAIN_FILE:.*Emscripten" "$build_dir/CMakeCache.txt"; then
    rm -rf "$build_dir"
fi
[ -f "$build_dir/CMakeCache.txt" ] || emcmake cmake -S . -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build_dir" -j2
echo "Site: $build_dir/site/"

case $mode in
serve)
    echo "Serving Bottinaro on http://127.0.0.1:8132/ (Ctrl+C stops)"
    exec /usr/bin/python3 web/serve.py "$build_dir/site" 8132
    ;;
test)
    # The checks compare with the native build's answers and pictures.
    native=(build/web/checks/native_answers "${DESKTOP_SCREENSHOTS:-build/screenshots}/form1-750.png")
    for file in "${native[@]}"; do
        [ -e "$file" ] || { echo "$file is missing: run ./test.sh first" >&2; exit 1; }
    done
    failed=0
    node web/checks/check_native_build.mjs "$build_dir/bottinaro.wasm" build/web/checks/native_answers || failed=1
    /usr/bin/python3 web/checks/check_page.py "$build_dir/site" "${DESKTOP_SCREENSHOTS:-build/screenshots}" || failed=1
    tests/screen_reader_check.sh --page "$build_dir" || failed=1
    exit $failed
    ;;
bench)
    # Each baseline as it was built then: its own tree and scripts, kept
    # under the commit it was built from.
    sites=()
    for commit in ${BENCH_BASELINES:-6f3cbdd}; do
        commit=$(git rev-parse --short=7 "$commit^{commit}")
        baseline=build-web-baseline/$commit
        if [ ! -f "$baseline/build/.complete" ]; then
            rm -rf "$baseline" && git worktree prune
            git worktree add --detach "$baseline/src" "$commit"
            # Its scripts look for the shared toolchains beside its tree.
            ln -s "$root/../shared" "$baseline/shared"
            if [ -f "$baseline/src/tools/build-qt-wasm.sh" ]; then
                base_qt=$("$baseline/src/tools/build-qt-wasm.sh" | tail -n 1)
                EMSDK=$base_qt/emsdk "$base_qt/bin/qt-cmake" -S "$baseline/src" -B "$baseline/build" -G Ninja \
                    -DCMAKE_BUILD_TYPE=Release -DQT_HOST_PATH=/usr -DBUILD_TESTING=OFF \
                    -DQT_HOST_PATH_CMAKE_DIR="$(qmake6 -query QT_INSTALL_LIBS)/cmake"
                EMSDK=$base_qt/emsdk cmake --build "$baseline/build" -j2 --target bottinaro
            else
                emcmake cmake -S "$baseline/src" -B "$baseline/build" -G Ninja -DCMAKE_BUILD_TYPE=Release
                cmake --build "$baseline/build" -j2
            fi
            touch "$baseline/build/.complete"
        fi
        sites+=("$commit=$baseline/build/site")
    done
    /usr/bin/python3 bench/bench_page.py "$build_dir" "${sites[@]}"
    ;;
esac
