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

packages=(
    cmake ninja-build qt6-base-dev qt6-base-dev-tools
    emscripten binaryen                       # the compiler, and wasm-opt
    chromium chromium-driver python3-selenium # the browser tests
    python3-pil                               # compares screenshots
    fonts-dejavu-core                         # the desktop screenshots compared with
)
sudo=()
[ "$(id -u)" -eq 0 ] || sudo=(sudo)
install_missing() {
    local missing=() package
    for package in "$@"; do
        dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed' \
            || missing+=("$package")
    done
    if ((${#missing[@]})); then
        echo "Installing: ${missing[*]}" >&2
        "${sudo[@]}" apt-get update -qq >&2
        DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq --no-install-recommends \
            "${missing[@]}" >&2
    fi
}
install_missing "${packages[@]}"

cache=${XDG_CACHE_HOME:-$HOME/.cache}/bottinaro
qt=$cache/qt6-wasm
stamp=$qt/.bottinaro-complete
archive=$root/../shared/toolchains/qt-6.4.2-wasm-static.tar.xz
mkdir -p "$cache"

# Qt's CMake reads emscripten's version from an emsdk; this one points at Debian's.
make_emsdk() {
    mkdir -p "$1/emscripten"
    echo "EMSCRIPTEN_ROOT = emsdk_path + '/emscripten'" >"$1/.emscripten"
    ln -sfn /usr/share/emscripten/cmake "$1/emscripten/cmake"
    ln -sfn /usr/bin/emcc "$1/emscripten/emcc"
    ln -sfn /usr/share/emscripten/emranlib.py "$1/emscripten/emranlib.py"
}

if [ -f "$stamp" ]; then
    echo "$qt"
    exit 0
fi
rm -rf "$qt"

if [ -f "$archive" ]; then
    echo "Unpacking $archive" >&2
    expected=$(cut -d' ' -f1 "$archive.sha256")
    actual=$(sha256sum "$archive" | cut -d' ' -f1)
    if [ "$expected" != "$actual" ]; then
        echo "SHA-256 mismatch for $archive: expected $expected, got $actual" >&2
        exit 1
    fi
    work=$(mktemp -d "$cache/unpack.XXXXXX")
    tar -xJf "$archive" -C "$work"
    mv "$work/qt6-wasm" "$qt"
    rmdir "$work"
else
    echo "No prebuilt Qt at $archive: building it from Debian's qt6-base source" >&2
    install_missing dpkg-dev patch xz-utils
    src=$cache/qt-src
    mkdir -p "$src"
    if ! ls "$src"/qt6-base_6.4.2+dfsg.orig.tar.xz >/dev/null 2>&1; then
        # apt-get source needs a deb-src entry for bookworm main.
        if ! grep -rqs '^deb-src .*bookworm .*main' /etc/apt/sources.list /etc/apt/sources.list.d/; then
            echo 'deb-src http://deb.debian.org/debian bookworm main' \
                | "${sudo[@]}" tee /etc/apt/sources.list.d/bottinaro-deb-src.list >/dev/null
        fi
        "${sudo[@]}" apt-get update -qq >&2
        (cd "$src" && apt-get source --download-only qt6-base=6.4.2+dfsg-10 >&2)
    fi
    rm -rf "$src/qtbase-everywhere-src-6.4.2" "$src/build-wasm"
    tar -xJf "$src/qt6-base_6.4.2+dfsg.orig.tar.xz" -C "$src"
    # A modal window's nested loop must be able to suspend the page.
    patch -p0 -d "$src/qtbase-everywhere-src-6.4.2/src/corelib/kernel" \
        <"$root/tools/qt-wasm-nested-loop.patch" >&2
    make_emsdk "$src/emsdk"
    EMSDK=$src/emsdk NODE_PATH=/usr/share/nodejs cmake -G Ninja \
        -S "$src/qtbase-everywhere-src-6.4.2" -B "$src/build-wasm" \
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
    EMSDK=$src/emsdk NODE_PATH=/usr/share/nodejs cmake --build "$src/build-wasm" -j2 >&2
    cmake --install "$src/build-wasm" >&2
    rm -rf "$src/build-wasm" "$src/qtbase-everywhere-src-6.4.2"
    make_emsdk "$qt/emsdk"
fi

[ -x "$qt/bin/qt-cmake" ] || { echo "no qt-cmake in $qt" >&2; exit 1; }
touch "$stamp"
echo "$qt"
