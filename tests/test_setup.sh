#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# tools/setup.sh on a system without apt and dpkg: with PATH holding only
# stand-ins, it must name what is missing and the packages of three
# distributions and return 1, or, with everything there, define build()
# without installing anything. Run with the source folder as argument.
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
exit $((failures > 0))
