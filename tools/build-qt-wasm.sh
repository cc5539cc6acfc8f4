#!/usr/bin/env bash
# Prepares Qt 6.4.2 for WebAssembly (static, single-threaded) and the
# packages the web build and its browser tests need. Prints the Qt folder on
# its last line.
#
# The Qt build goes to ${XDG_CACHE_HOME:-$HOME/.cache}/bottinaro/qt6-wasm.
# It comes from ../shared/toolchains/qt-6.4.2-wasm-static.tar.xz when that
# archive is there and its SHA-256 matches, else it is built from Debian's own
# qt6-base source with tools/qt-wasm-nested-loop.patch (about 25 minutes on
# two cores). Safe to run again: a finished toolchain is kept.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
. "$root/tools/qt_toolchain.sh"

packages=(
    cmake ninja-build qt6-base-dev qt6-base-dev-tools
    emscripten binaryen                       # the compiler, and wasm-opt
    chromium chromium-driver python3-selenium # the browser tests
    python3-pil                               # compares screenshots
    fonts-dejavu-core python3-fonttools       # the page's face, cut to size
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
        -DFEATURE_system_doubleconversion=OFF >&2
    EMSDK=$src/emsdk NODE_PATH=/usr/share/nodejs cmake --build "$src/build" -j2 >&2
    cmake --install "$src/build" >&2
    make_emsdk "$qt/emsdk"
}

prepare_qt wasm qt6-wasm
