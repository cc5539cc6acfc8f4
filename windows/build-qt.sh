#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Prepares Qt 6.4.2 for Windows (static, mingw-w64) and the packages the
# Windows build needs. Prints the Qt folder, then QT_HOST_PATH and
# QT_HOST_PATH_CMAKE_DIR (see qt_host_tools), on its last three lines.
#
# The trimmed Qt (windows/qt-lite-features.txt, less what the native style
# needs) from ../shared/toolchains/qt-6.4.2-mingw64-lite-static.tar.xz, or
# built here with BOTTINARO_BUILD_QT=1 (about an hour on two cores); else the
# full qt-6.4.2-mingw64-static.tar.xz. See windows/qt_toolchain.sh.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
. "$root/windows/qt_toolchain.sh"

lite_sha=140cb403220eb3dc3993f20033ff36485b31c705c640db8f4de0b4567e55eda5
full_sha=835c5cc7bff2df6de2ff0a33cf6d91f9a042403b46a1eafa37e1203dba701d5c
# The windowsvista style, the native look, includes and uses these unguarded.
qt_lite_keep=(radiobutton groupbox textedit inputdialog combobox spinbox stackedwidget
    standarditemmodel itemviews listview treeview tableview slider tabbar tabwidget)
qt_shaping=()
qt_compiler_version() { x86_64-w64-mingw32-g++-posix --version | head -n 1; }

packages=(
    cmake ninja-build qt6-base-dev qt6-base-dev-tools
    xz-utils                      # unpacks the Qt archive
    qt6-translations-l10n         # Qt's Italian texts, compiled into the .exe
    g++-mingw-w64-x86-64-posix    # Qt needs the posix thread model
    wine wine64 fonts-wine        # runs the suite; Wine's Tahoma instead of a serif fallback
    nsis                          # the installer
    python3                       # the checks of the .exe and the installer
    xvfb xauth                    # a display for the screenshots
)
install_missing "${packages[@]}"

build_qt_from_source() {
    if (($#)); then
        qt_lite_patch
        # Optimized for size: the .exe's code is two fifths smaller and the
        # windows draw the same. Each function in a section of its own: the
        # builds measured in the README were made so; mingw's ld with
        # --gc-sections dropped nothing from the .exe, so the program's link
        # does not ask for it.
        set -- "$@" "-DCMAKE_C_FLAGS=-ffunction-sections -fdata-sections" \
            "-DCMAKE_CXX_FLAGS=-ffunction-sections -fdata-sections" -DFEATURE_optimize_size=ON
    fi
    windows=$src/qtbase-everywhere-src-$qt_version/src/plugins/platforms/windows
    # Without OpenGL and Direct2D the Windows plugin needs two guards.
    sed -i 's/^#if QT_CONFIG(dynamicgl)$/#if QT_CONFIG(dynamicgl) \&\& QT_CONFIG(opengl)/' \
        "$windows/qwindowswindow.cpp"
    sed -i 's/^#if QT_CONFIG(directwrite3)$/#if QT_CONFIG(directwrite3) \&\& QT_CONFIG(direct2d)/' \
        "$windows/qwindowsintegration.cpp"
    [ "$(grep -c 'dynamicgl) && QT_CONFIG(opengl)' "$windows/qwindowswindow.cpp")" -eq 2 ]
    [ "$(grep -c 'directwrite3) && QT_CONFIG(direct2d)' "$windows/qwindowsintegration.cpp")" -eq 2 ]
    cmake -S "$src/qtbase-everywhere-src-$qt_version" -B "$src/build" -G Ninja \
        -DCMAKE_TOOLCHAIN_FILE="$root/windows/mingw-w64.cmake" \
        -DQT_HOST_PATH="$qt_host" -DQT_HOST_PATH_CMAKE_DIR="$qt_host_cmake" \
        -DCMAKE_INSTALL_PREFIX="$qt" -DCMAKE_BUILD_TYPE=Release -DBUILD_SHARED_LIBS=OFF \
        -DQT_BUILD_EXAMPLES=OFF -DQT_BUILD_TESTS=OFF -DQT_BUILD_BENCHMARKS=OFF \
        -DFEATURE_sql=OFF -DFEATURE_network=OFF -DFEATURE_dbus=OFF -DFEATURE_opengl=OFF \
        -DFEATURE_printsupport=OFF -DFEATURE_concurrent=OFF -DFEATURE_xml=OFF -DFEATURE_vulkan=OFF \
        -DFEATURE_direct2d=OFF -DFEATURE_tabletevent=OFF -DINPUT_openssl=no -DFEATURE_icu=OFF \
        -DFEATURE_system_zlib=OFF -DFEATURE_system_png=OFF -DFEATURE_system_jpeg=OFF \
        -DFEATURE_system_freetype=OFF -DFEATURE_system_harfbuzz=OFF -DFEATURE_system_pcre2=OFF \
        -DFEATURE_system_doubleconversion=OFF "$@" >&2
    (($#)) && qt_lite_mend_configured
    cmake --build "$src/build" -j2 >&2
    cmake --install "$src/build" >&2
}

qt_host_tools
choose_qt qt6-mingw-lite mingw64-lite "$lite_sha" qt6-mingw mingw64 "$full_sha"
printf '%s\n' "$qt_host" "$qt_host_cmake"
