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
. "$root/tools/qt_toolchain.sh"

packages=(
    cmake ninja-build qt6-base-dev qt6-base-dev-tools
    g++-mingw-w64-x86-64-posix    # Qt needs the posix thread model
    wine wine64 fonts-wine        # runs the suite; Wine's Tahoma instead of a serif fallback
    nsis                          # the installer
    python3                       # the checks of the .exe and the installer
    xvfb xauth                    # a display for the screenshots
)
install_missing "${packages[@]}"

build_qt_from_source() {
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
}

prepare_qt mingw64 qt6-mingw
