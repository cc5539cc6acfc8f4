#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# tools/setup.sh on a system without apt and dpkg: with PATH holding only
# stand-ins, it must name what is missing and the packages of three
# distributions and return 1, or, with everything there, define build()
# without installing anything. Then windows/qt_toolchain.sh's host tools and
# archive. Run with the source folder as argument.
set -u
setup=$1/tools/setup.sh
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
failures=0

# case name | tools on PATH | Qt's CMake package present | status | must say | must not say
cases=(
    "nothing|||1|CMake, a C++ compiler, Qt 6|Installing"
    "no Qt|cmake c++||1|missing Qt 6|CMake,"
    "no compiler|cmake qmake6||1|missing a C++ compiler.|Qt 6"
    "Qt's CMake package|cmake g++|yes|0|build is a function|Cannot build"
)
for case in "${cases[@]}"; do
    IFS='|' read -r name tools qt_package status say not_say <<<"$case"
    prefix=$scratch/${name// /_}
    mkdir -p "$prefix/bin"
    for tool in $tools; do
        printf '#!/bin/sh\nexit 0\n' >"$prefix/bin/$tool"
        chmod +x "$prefix/bin/$tool"
    done
    if [ -n "$qt_package" ]; then
        mkdir -p "$prefix/lib/x86_64-linux-gnu/cmake/Qt6"
        : >"$prefix/lib/x86_64-linux-gnu/cmake/Qt6/Qt6Config.cmake"
    fi
    output=$(env -i PATH="$prefix/bin" "$BASH" -c '. "$0" && echo "build is a $(type -t build)"' "$setup" 2>&1)
    got=$?
    if [ "$got" != "$status" ]; then
        echo "FAIL $name: status $got, want $status"; failures=$((failures + 1))
    fi
    if [[ $output != *"$say"* ]] || [[ -n $not_say && $output == *"$not_say"* ]]; then
        echo "FAIL $name: output does not say '$say' (or says '$not_say'):"; failures=$((failures + 1))
    fi
    if ((status)); then
        for distribution in "Debian/Ubuntu: sudo apt install cmake g++ make pkgconf qt6-base-dev" \
            "Fedora:        sudo dnf install cmake gcc-c++" "Arch:          sudo pacman -S --needed cmake gcc"; do
            [[ $output == *"$distribution"* ]] || { echo "FAIL $name: no '$distribution'"; failures=$((failures + 1)); }
        done
    fi
    echo "--- $name (status $got)"
    echo "$output"
done

# case name | host Qt (empty: the Windows Qt's) | apt-get's status | asked | status | must say | must not say
cases=(
    "host Qt the same||1|tools|0|QT_HOST_PATH=/usr CMAKE=/lib/x86_64-linux-gnu/cmake|Fetching"
    "host Qt newer|6.8.2|0|tools|0|/usr CMAKE=/lib/x86_64-linux-gnu/cmake unpacked|QT_HOST_PATH=/usr "
    "host Qt newer, fetched before|6.8.2|1|fetched; tools|0|unpacked|Fetching"
    "archive that does not unpack||0|archive|1|Cannot unpack|went on"
)
bin=$scratch/qt-bin
mkdir -p "$bin"
printf '#!/bin/sh\ncase $2 in QT_VERSION) echo "$HOST_QT";; *) echo /usr/lib/x86_64-linux-gnu;; esac\n' >"$bin/qmake6"
printf '#!/bin/sh\ncase "$*" in *download*) touch a.deb;; esac\nexit "$APT"\n' >"$bin/apt-get"
printf '#!/bin/sh\nmkdir -p "$3/usr/lib/qt6/libexec"\n' >"$bin/dpkg-deb"
chmod +x "$bin"/*
for case in "${cases[@]}"; do
    IFS='|' read -r name host apt asked status say not_say <<<"$case"
    output=$(XDG_CACHE_HOME=$scratch/${name// /_} PATH=$bin:$PATH HOST_QT=$host APT=$apt "$BASH" -e -c '
        root=$0; . "$root/windows/qt_toolchain.sh"; export HOST_QT=${HOST_QT:-$qt_version}
        tools() { qt_host_tools; echo "QT_HOST_PATH=$qt_host CMAKE=${qt_host_cmake#"$qt_host"}" \
            "$([ -d "$qt_host/lib/qt6/libexec" ] && echo unpacked)"; }
        fetched() { local f=$qt_cache/host-qt-$qt_debian; mkdir -p "$f/usr/lib/qt6/libexec"; touch "$f/.bottinaro-complete"; }
        archive() { qt_shared=$qt_cache; mkdir -p "$qt_cache"; echo not xz >"$qt_cache/qt-$qt_version-x-static.tar.xz"
            if qt_from_archive x x "$(sha256sum "$qt_cache"/*.tar.xz | cut -c1-64)"; then :; fi; echo went on; }
        '"$asked" "$1" 2>&1)
    [[ $? == "$status" && $output == *"$say"* && $output != *"$not_say"* ]] \
        || { echo "FAIL $name: status $status, says '$say', not '$not_say', wanted"; failures=$((failures + 1)); }
    printf -- '--- %s\n%s\n' "$name" "$output"
done
exit $((failures > 0))
