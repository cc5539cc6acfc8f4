#!/usr/bin/env bash
# Prepares Qt 6.4.2 for Windows (static, mingw-w64) and the packages the
# Windows build needs. Prints the Qt folder on its last line.
#
# The Qt build goes to ${XDG_CACHE_HOME:-$HOME/.cache}/bottinaro/qt6-mingw.
# It comes from ../shared/toolchains/qt-6.4.2-mingw64-static.tar.xz when that
# archive is there and its SHA-256 matches, else it is built from Debian's own
# qt6-base source (40-90 minutes on two cores). Safe to run again: a finished
# toolchain is kept.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)

packages=(
    cmake ninja-build qt6-base-dev qt6-base-dev-tools
    g++-mingw-w64-x86-64-posix    # Qt needs the posix thread model
    wine wine64 fonts-wine        # runs the suite; Wine's Tahoma instead of a serif fallback
    nsis                          # the installer
    python3                       # the checks of the .exe and the installer
    xvfb xauth                    # a display for the screenshots
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
qt=$cache/qt6-mingw
stamp=$qt/.bottinaro-complete
archive=$root/../shared/toolchains/qt-6.4.2-mingw64-static.tar.xz
mkdir -p "$cache"

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
    mv "$work/qt6-mingw" "$qt"
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
    rm -rf "$src/qtbase-everywhere-src-6.4.2" "$src/build"
    tar -xJf "$src/qt6-base_6.4.2+dfsg.orig.tar.xz" -C "$src"
    windows=$src/qtbase-everywhere-src-6.4.2/src/plugins/platforms/windows
    # Without OpenGL and Direct2D the Windows plugin needs two guards.
    sed -i 's/^#if QT_CONFIG(dynamicgl)$/#if QT_CONFIG(dynamicgl) \&\& QT_CONFIG(opengl)/' \
        "$windows/qwindowswindow.cpp"
    sed -i 's/^#if QT_CONFIG(directwrite3)$/#if QT_CONFIG(directwrite3) \&\& QT_CONFIG(direct2d)/' \
        "$windows/qwindowsintegration.cpp"
    [ "$(grep -c 'dynamicgl) && QT_CONFIG(opengl)' "$windows/qwindowswindow.cpp")" -eq 2 ]
    [ "$(grep -c 'directwrite3) && QT_CONFIG(direct2d)' "$windows/qwindowsintegration.cpp")" -eq 2 ]
    cmake -S "$src/qtbase-everywhere-src-6.4.2" -B "$src/build" -G Ninja \
        -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64.cmake" \
        -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake \
        -DCMAKE_INSTALL_PREFIX="$qt" -DCMAKE_BUILD_TYPE=Release -DBUILD_SHARED_LIBS=OFF \
        -DQT_BUILD_EXAMPLES=OFF -DQT_BUILD_TESTS=OFF -DQT_BUILD_BENCHMARKS=OFF \
        -DFEATURE_sql=OFF -DFEATURE_network=OFF -DFEATURE_dbus=OFF -DFEATURE_opengl=OFF \
        -DFEATURE_printsupport=OFF -DFEATURE_concurrent=OFF -DFEATURE_xml=OFF -DFEATURE_vulkan=OFF \
        -DFEATURE_direct2d=OFF -DFEATURE_tabletevent=OFF -DINPUT_openssl=no -DFEATURE_icu=OFF \
        -DFEATURE_system_zlib=OFF -DFEATURE_system_png=OFF -DFEATURE_system_jpeg=OFF \
        -DFEATURE_system_freetype=OFF -DFEATURE_system_harfbuzz=OFF -DFEATURE_system_pcre2=OFF \
        -DFEATURE_system_doubleconversion=OFF >&2
    cmake --build "$src/build" -j2 >&2
    cmake --install "$src/build" >&2
    rm -rf "$src/build" "$src/qtbase-everywhere-src-6.4.2"
fi

[ -x "$qt/bin/qt-cmake" ] || { echo "no qt-cmake in $qt" >&2; exit 1; }
touch "$stamp"
echo "$qt"
