#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The Windows build, cross-compiled here: prepares the toolchain (Qt 6.4.2
# for mingw-w64, Wine, NSIS), configures build-windows/, builds
# Bottinaro132.exe and the tests, makes the zip and the installer in
# build-windows/packages/ and runs the suite under Wine.
#   tools/windows.sh [--screenshots]
# --screenshots also pictures the four windows as Wine draws them, on a
# virtual X display, into build-windows/screenshots/display/.
set -euo pipefail
cd "$(dirname "$0")/.."

screenshots=false
for arg in "$@"; do
    case $arg in
    --screenshots) screenshots=true ;;
    *) echo "usage: $0 [--screenshots]" >&2; exit 2 ;;
    esac
done

qt=$(tools/build-qt-windows.sh | tail -n 1)
build_dir=build-windows
jobs=${BOTTINARO_JOBS:-2}

if [ ! -f "$build_dir/CMakeCache.txt" ]; then
    "$qt/bin/qt-cmake" -S . -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE=Release \
        -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR="$(qmake6 -query QT_INSTALL_LIBS)/cmake" \
        -DQT_CHAINLOAD_TOOLCHAIN_FILE="$PWD/cmake/mingw-w64.cmake"
fi
cmake --build "$build_dir" -j"$jobs"

# The packages first: the suite installs the installer.
rm -f "$build_dir"/packages/Bottinaro-*
(cd "$build_dir" && cpack -C Release >/dev/null)
ls -l "$build_dir"/packages/*.zip "$build_dir"/packages/*-setup.exe

# Wine runs the tests; the prefix (build-windows/wine) is made on first use.
time_start=$(date +%s)
ctest --test-dir "$build_dir" --output-on-failure --no-tests=error -j"$jobs"
echo "Suite under Wine: $(($(date +%s) - time_start)) s"

if $screenshots; then
    tools/windows-screenshots.sh "$build_dir"
fi
