# SPDX-License-Identifier: GPL-3.0-or-later
# Sourced by run.sh and test.sh: makes sure the build can start, and offers
# build DIR [CMAKE OPTIONS...], which configures DIR when it has no build yet
# (or when options are given) and builds it.
#
# Where apt and dpkg exist (Debian, Ubuntu) it installs the packages that are
# missing. Elsewhere it only checks for CMake, a C++ compiler and Qt 6, and
# when one is missing it names the packages to install and returns 1 before
# anything is built.

# What the program and its suite need, by system: the compiler and CMake,
# Qt with its private headers (the tests' phone screen) and its own texts in
# Italian (built into the program), and the font text is measured with.
build_debian=(cmake g++ make pkgconf qt6-base-dev qt6-base-dev-tools qt6-base-private-dev
    qt6-translations-l10n fonts-dejavu-core)
build_fedora=(cmake gcc-c++ qt6-qtbase-devel qt6-qtbase-private-devel qt6-qttranslations dejavu-sans-fonts)
build_arch=(cmake gcc qt6-base qt6-translations ttf-dejavu) # qt6-base holds the private headers
# On Debian, the other checks' too.
packages=(
    "${build_debian[@]}"
    clang libclang-rt-dev          # the sanitized pass of test.sh builds with Clang and its runtime
    binutils-mingw-w64-x86-64      # compiles the Windows resource script in a test
    desktop-file-utils appstream   # validate the desktop entry and metadata
    dpkg-dev file                  # cpack's package dependencies
    lintian appstream-compose      # check the package as a distribution would
    librsvg2-common                # compose reads the SVG icon (Debian 13)
    man-db groff-base              # check the manual pages
)

# Qt 6 is there when qmake6 is, or when its CMake package is where CMake
# looks for it: under each prefix of CMAKE_PREFIX_PATH and of PATH's bin
# folders.
have_qt6() {
    if command -v qmake6 >/dev/null || command -v qmake-qt6 >/dev/null; then
        return 0
    fi
    local dir prefix config
    local IFS=:
    for dir in ${CMAKE_PREFIX_PATH:-} ${PATH:-}; do
        prefix=${dir%/}
        case $prefix in */bin | */sbin) prefix=${prefix%/*} ;; esac
        for config in "$prefix"/lib*/cmake/Qt6/Qt6Config.cmake "$prefix"/lib/*/cmake/Qt6/Qt6Config.cmake \
            "$prefix"/share/cmake/Qt6/Qt6Config.cmake "$prefix"/cmake/Qt6/Qt6Config.cmake; do
            [ -f "$config" ] && return 0
        done
    done
    return 1
}

if command -v apt-get >/dev/null && command -v dpkg-query >/dev/null; then
    . tools/install_missing.sh
    install_missing "${packages[@]}"
else
    lacking=()
    command -v cmake >/dev/null || lacking+=("CMake")
    command -v "${CXX:-c++}" >/dev/null || command -v g++ >/dev/null || command -v clang++ >/dev/null \
        || lacking+=("a C++ compiler")
    have_qt6 || lacking+=("Qt 6 (qmake6 or its CMake package)")
    if ((${#lacking[@]})); then
        missing_list=$(printf '%s, ' "${lacking[@]}")
        # Builtins only: on such a system PATH may hold little else.
        printf '%s\n' "Cannot build Bottinaro: missing ${missing_list%, }." \
            "This system has no apt, so nothing was installed. Install these packages:" \
            "  Debian/Ubuntu: sudo apt install ${build_debian[*]}" \
            "  Fedora:        sudo dnf install ${build_fedora[*]}" \
            "  Arch:          sudo pacman -S --needed ${build_arch[*]}" >&2
        return 1 2>/dev/null || exit 1
    fi
fi

build() {
    local dir=$1
    shift
    if (($#)) || [ ! -f "$dir/CMakeCache.txt" ]; then
        cmake -S . -B "$dir" -DCMAKE_BUILD_TYPE=Release "$@"
    fi
    cmake --build "$dir" -j"$(nproc)"
}
