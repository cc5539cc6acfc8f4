# SPDX-License-Identifier: GPL-3.0-or-later
# Sourced by build-qt.sh, which names its archives and SHA-256 and
# defines build_qt_from_source FEATURES_OFF...
# (installing into $qt from the source in $src), qt_compiler_version and
# qt_shaping (the names of any other functions its build calls).
#
# choose_qt LITE_FOLDER LITE_NAME LITE_SHA FULL_FOLDER FULL_NAME FULL_SHA
# prints the Qt folder to build against. In order: a trimmed Qt built here
# from this very recipe; with BOTTINARO_BUILD_QT=1, one built now from
# Debian's qt6-base source; the trimmed Qt from
# ../shared/toolchains/qt-6.4.2-LITE_NAME-static.tar.xz when its SHA-256 is
# LITE_SHA; else the full Qt from its archive (or, without it, built from
# source).
# BOTTINARO_QT=full asks for the full Qt.
# Each toolchain is kept in ${XDG_CACHE_HOME:-$HOME/.cache}/bottinaro under a
# name that carries its archive's SHA-256 or its recipe's, so a folder made
# from one archive or recipe is never taken for another.

. "$root/tools/install_missing.sh"

qt_cache=${XDG_CACHE_HOME:-$HOME/.cache}/bottinaro
qt_shared=$root/../shared/toolchains
# Debian 12's qt6-base, the source of every Qt here and of its host tools.
qt_suite=bookworm
qt_mirror=http://deb.debian.org/debian
qt_debian=6.4.2+dfsg-10
qt_version=${qt_debian%%+*}

# A source build's recipe: every function that shapes Qt, the source's and
# the compiler's version, the features kept, the feature list and the patches.
qt_recipe_key() {
    {
        declare -f build_qt_from_source qt_from_source qt_lite_patch qt_lite_mend_configured \
            "${qt_shaping[@]}"
        echo "$qt_debian"
        qt_compiler_version
        echo "${qt_lite_keep[*]}"
        cat "$root/windows/qt-lite-features.txt" "$root/windows"/*.patch
    } | sha256sum | cut -c1-16
}

# Sets qt_host and qt_host_cmake (QT_HOST_PATH, QT_HOST_PATH_CMAKE_DIR): the
# host tools, moc, rcc and uic, must be Qt $qt_version's own, for a newer
# moc's output needs its newer headers. The host's Qt when it is that
# version (qmake6 comes with qt6-base-dev); else Debian 12's, fetched once.
qt_host_tools() {
    local libs folder=$qt_cache/host-qt-$qt_debian
    libs=$(qmake6 -query QT_INSTALL_LIBS)
    if [ "$(qmake6 -query QT_VERSION)" = "$qt_version" ]; then
        qt_host=/usr
    else
        [ -f "$folder/.bottinaro-complete" ] || qt_fetch_host_tools "$folder"
        qt_host=$folder/usr
    fi
    qt_host_cmake=$qt_host${libs#/usr}/cmake
}

# qt_fetch_host_tools FOLDER unpacks there Debian 12's packages of the host
# tools: rcc and uic run on the host's newer libQt6Core (moc links no Qt),
# the CMake packages come with qt6-base-dev, and they check that qmake6's
# file is there too. apt works with lists and a cache of its own, so the
# system's sources stay as they are.
qt_fetch_host_tools() {
    local folder=$1 work apt deb
    echo "Fetching the host tools of Qt $qt_debian from Debian $qt_suite into $folder" >&2
    mkdir -p "$qt_cache"
    work=$(mktemp -d "$qt_cache/host.XXXXXX")
    mkdir -p "$work/lists/partial" "$work/debs" "$work/host"
    echo "deb $qt_mirror $qt_suite main" >"$work/sources.list"
    apt=(-q -o Dir::Etc::SourceList="$work/sources.list" -o Dir::Etc::SourceParts=-
        -o Dir::State::Lists="$work/lists" -o Dir::Cache="$work" -o Dir::State::status=/dev/null
        -o Debug::NoLocking=1 -o APT::Sandbox::User="$(id -un)")
    apt-get "${apt[@]}" update >&2
    (cd "$work/debs" && apt-get "${apt[@]}" download qt6-base-dev-tools="$qt_debian" \
        qt6-base-dev="$qt_debian" qmake6="$qt_debian" >&2)
    for deb in "$work"/debs/*.deb; do
        dpkg-deb -x "$deb" "$work/host"
    done
    touch "$work/host/.bottinaro-complete"
    rm -rf "$folder"
    mv "$work/host" "$folder"
    rm -rf "$work"
}

# The feature list as -DFEATURE_x=OFF flags, less the names given.
qt_lite_flags() {
    local keep=" $* " name
    for name in $(grep -v '^#' "$root/windows/qt-lite-features.txt"); do
        [[ $keep == *" $name "* ]] || echo "-DFEATURE_${name//-/_}=OFF"
    done
}

# qt_from_archive FOLDER NAME SHA: unpacks the archive (once) when its SHA-256
# is the one named; fails quietly when it is not there.
qt_from_archive() {
    local folder=$1 name=$2 sha=$3
    local archive=$qt_shared/qt-$qt_version-$name-static.tar.xz
    qt=$qt_cache/$folder-${sha:0:16}
    [ -f "$qt/.bottinaro-complete" ] && return 0
    [ -f "$archive" ] || return 1
    local actual work
    actual=$(sha256sum "$archive" | cut -d' ' -f1)
    if [ "$actual" != "$sha" ]; then
        echo "Not using $archive: its SHA-256 is $actual, not $sha" >&2
        return 1
    fi
    echo "Unpacking $archive" >&2
    rm -rf "$qt"
    mkdir -p "$qt_cache"
    work=$(mktemp -d "$qt_cache/unpack.XXXXXX")
    # A named archive that does not unpack must not end in an hour's build.
    tar -xJf "$archive" -C "$work" || { echo "Cannot unpack $archive" >&2; exit 1; }
    mv "$work/$folder" "$qt"
    rmdir "$work"
    qt_finish
}

# qt_from_source FOLDER KEY [FLAGS...]: builds Qt from Debian's qt6-base
# source with build_qt_from_source FLAGS (once per recipe key). Each build
# has a source and build folder of its own; the download is shared, under a
# lock, and so is nothing else.
qt_from_source() {
    local folder=$1 key=$2
    shift 2
    qt=$qt_cache/$folder-src-$key
    [ -f "$qt/.bottinaro-complete" ] && return 0
    mkdir -p "$qt_cache"
    # The same recipe asked for twice at once is built once.
    local lock
    exec {lock}>"$qt.lock"
    flock "$lock"
    [ -f "$qt/.bottinaro-complete" ] && { exec {lock}>&-; return 0; }
    echo "Building Qt $qt_version into $qt from Debian's qt6-base source" >&2
    install_missing dpkg-dev patch xz-utils
    local download=$qt_cache/qt-src
    mkdir -p "$download"
    (
        flock 9
        if ! ls "$download/qt6-base_${qt_debian%-*}.orig.tar.xz" >/dev/null 2>&1; then
            local sudo=()
            [ "$(id -u)" -eq 0 ] || sudo=(sudo)
            # apt-get source needs a deb-src entry for the suite's main.
            if ! grep -rqs "^deb-src .*$qt_suite .*main" /etc/apt/sources.list /etc/apt/sources.list.d/; then
                echo "deb-src $qt_mirror $qt_suite main" \
                    | "${sudo[@]}" tee /etc/apt/sources.list.d/bottinaro-deb-src.list >/dev/null
            fi
            "${sudo[@]}" apt-get update -qq >&2
            (cd "$download" && apt-get source --download-only qt6-base="$qt_debian" >&2)
        fi
    ) 9>"$download/.lock"
    src=$qt_cache/work-$folder-$key
    rm -rf "$qt" "$src"
    mkdir -p "$src"
    tar -xJf "$download/qt6-base_${qt_debian%-*}.orig.tar.xz" -C "$src"
    build_qt_from_source "$@"
    rm -rf "$src"
    qt_finish
    exec {lock}>&-
}

qt_finish() {
    [ -x "$qt/bin/qt-cmake" ] || { echo "no qt-cmake in $qt" >&2; return 1; }
    touch "$qt/.bottinaro-complete"
}

# Applied to the source of a trimmed build: two includes Qt 6.4.2 only got
# through the features turned off; the umbrella header's file-system model
# include, which is there whatever the features say, must go after configure.
qt_lite_patch() {
    patch -p1 -d "$src/qtbase-everywhere-src-$qt_version" <"$root/windows/qt-lite.patch" >&2
}
qt_lite_mend_configured() {
    sed -i '/#include "qfilesystemmodel.h"/d' "$src/build/include/QtWidgets/QtWidgets"
}

choose_qt() {
    local lite_folder=$1 lite_name=$2 lite_sha=$3 full_folder=$4 full_name=$5 full_sha=$6 key
    key=$(qt_recipe_key)
    local full=false
    if [ "${BOTTINARO_QT:-}" = full ]; then
        full=true
    elif [ -f "$qt_cache/$lite_folder-src-$key/.bottinaro-complete" ]; then
        # This very recipe, built here already: newer than any archive.
        qt=$qt_cache/$lite_folder-src-$key
    elif [ "${BOTTINARO_BUILD_QT:-}" = 1 ]; then
        qt_from_source "$lite_folder" "$key" $(qt_lite_flags "${qt_lite_keep[@]}")
    elif qt_from_archive "$lite_folder" "$lite_name" "$lite_sha"; then
        :
    else
        echo "No trimmed Qt (qt-$qt_version-$lite_name-static.tar.xz with SHA-256 ${lite_sha:0:16}…, or one built here with BOTTINARO_BUILD_QT=1): using the full Qt" >&2
        full=true
    fi
    if $full; then
        qt_from_archive "$full_folder" "$full_name" "$full_sha" || qt_from_source "$full_folder" "full-$key"
    fi
    mkdir -p "$qt_cache"
    echo "$qt"
}
