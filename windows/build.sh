#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The Windows build, cross-compiled here: prepares the toolchain (Qt 6.4.2
# for mingw-w64, its host tools, Wine, NSIS), configures build-windows/
# (or $BOTTINARO_WINDOWS_BUILD), builds the executable and the tests, makes
# the zip and the installer in build-windows/packages/ and runs the suite
# under Wine.
#   windows/build.sh [--screenshots]
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

toolchain=$(windows/build-qt.sh | tail -n 3)
{ read -r qt; read -r host; read -r host_cmake; } <<<"$toolchain"
build_dir=${BOTTINARO_WINDOWS_BUILD:-build-windows}
jobs=${BOTTINARO_JOBS:-2}

if [ ! -f "$build_dir/CMakeCache.txt" ]; then
    "$qt/bin/qt-cmake" -S . -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE=Release \
        -DQT_HOST_PATH="$host" -DQT_HOST_PATH_CMAKE_DIR="$host_cmake" \
        -DQT_CHAINLOAD_TOOLCHAIN_FILE="$PWD/windows/mingw-w64.cmake"
elif [ "$(sed -n 's/^QT_HOST_PATH:[A-Z]*=//p' "$build_dir/CMakeCache.txt")" != "$host" ]; then
    # Another release's build (its compiler too), in a folder shared with it.
    echo "$build_dir/ was configured with other Qt host tools than $host: remove it," \
        "or build into another folder with BOTTINARO_WINDOWS_BUILD=folder" >&2
    exit 1
fi
cmake --build "$build_dir" -j"$jobs"

# The packages first: the suite installs the installer.
rm -rf "$build_dir/packages" # an older version's too
(cd "$build_dir" && cpack -C Release >/dev/null)
ls -l "$build_dir"/packages/*.zip "$build_dir"/packages/*-setup.exe

# Wine runs the tests; the prefix (build-windows/wine) is made on first use.
time_start=$(date +%s)
ctest --test-dir "$build_dir" --output-on-failure --no-tests=error -j"$jobs"
echo "Suite under Wine: $(($(date +%s) - time_start)) s"

if $screenshots; then
    windows/screenshots.sh "$build_dir"
fi
