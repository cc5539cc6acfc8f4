#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Prepares Qt 6.4.2 for WebAssembly (static, single-threaded) and the
# packages the web build and its browser tests need. Prints the Qt folder on
# its last line.
#
# The trimmed Qt (tools/qt-lite-features.txt) from
# ../shared/toolchains/qt-6.4.2-wasm-lite-static.tar.xz, or built here with
# BOTTINARO_BUILD_QT=1 (about 25 minutes on two cores); else the full
# qt-6.4.2-wasm-static.tar.xz. Both carry tools/qt-wasm-nested-loop.patch.
# See tools/qt_toolchain.sh.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
. "$root/tools/qt_toolchain.sh"

lite_sha=c28d72f8e35f20348d187bb8cda533eb7ff1ccb0bc8c9f4dc91420312a5f72e5
full_sha=9dc2a7e7d117452fee83f7091042541212e5502206c6d1e82abc814a97d636ac
qt_lite_keep=()
qt_shaping=(make_emsdk)
qt_compiler_version() { emcc --version | head -n 1; }

packages=(
    cmake ninja-build qt6-base-dev qt6-base-dev-tools
    emscripten binaryen                       # the compiler, and wasm-opt
    chromium chromium-driver python3-selenium # the browser tests
    python3-pil                               # compares screenshots
    fonts-dejavu-core python3-fonttools       # the page's face, cut to size
    brotli                                    # the site's brotli copies
)
install_missing "${packages[@]}"

# Qt's CMake reads emscripten's version from an emsdk; this one points at Debian's.
make_emsdk() {
    mkdir -p "$1/emscripten"
    echo "EMSCRIPTEN_ROOT = emsdk_path + '/emscripten'" >"$1/.emscripten"
    ln -sfn /usr/share/emscripten/cmake "$1/emscripten/cmake"
    ln -sfn /usr/bin/emcc "$1/emscripten/emcc"
    ln -sfn /usr/share/emscripten/emranlib.py "$1/emscripten/emranlib.py"
}

build_qt_from_source() {
    # At Qt's -O2: optimized for size (FEATURE_optimize_size) the module was
    # 0.3 MB smaller with brotli, but on a phone's processor a visit served
    # by the service worker reached its first frame about 0.35 s later.
    (($#)) && qt_lite_patch
    # A modal window's nested loop must be able to suspend the page.
    patch -p0 -d "$src/qtbase-everywhere-src-6.4.2/src/corelib/kernel" \
        <"$root/tools/qt-wasm-nested-loop.patch" >&2
    make_emsdk "$src/emsdk"
    EMSDK=$src/emsdk NODE_PATH=/usr/share/nodejs cmake -G Ninja \
        -S "$src/qtbase-everywhere-src-6.4.2" -B "$src/build" \
        -DCMAKE_TOOLCHAIN_FILE=/usr/share/emscripten/cmake/Modules/Platform/Emscripten.cmake \
        -DQT_QMAKE_TARGET_MKSPEC=wasm-emscripten -DCMAKE_INSTALL_PREFIX="$qt" \
        -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake \
        -DBUILD_SHARED_LIBS=OFF -DCMAKE_BUILD_TYPE=Release -DQT_BUILD_EXAMPLES=OFF \
        -DQT_BUILD_TESTS=OFF -DQT_BUILD_BENCHMARKS=OFF \
        -DFEATURE_network=OFF -DFEATURE_sql=OFF -DFEATURE_dbus=OFF -DFEATURE_printsupport=OFF \
        -DFEATURE_concurrent=OFF -DFEATURE_xml=OFF -DFEATURE_icu=OFF \
        -DFEATURE_system_zlib=OFF -DFEATURE_system_png=OFF -DFEATURE_system_freetype=OFF \
        -DFEATURE_system_harfbuzz=OFF -DFEATURE_system_pcre2=OFF \
        -DFEATURE_system_doubleconversion=OFF "$@" >&2
    (($#)) && qt_lite_mend_configured
    EMSDK=$src/emsdk NODE_PATH=/usr/share/nodejs cmake --build "$src/build" -j2 >&2
    cmake --install "$src/build" >&2
    make_emsdk "$qt/emsdk"
}

choose_qt qt6-wasm-lite wasm-lite "$lite_sha" qt6-wasm wasm "$full_sha"
