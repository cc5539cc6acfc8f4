# Sourced by build-qt-windows.sh and build-qt-wasm.sh: prepare_qt NAME FOLDER
# puts Qt 6.4.2 into ${XDG_CACHE_HOME:-$HOME/.cache}/bottinaro/FOLDER and
# prints that folder. It unpacks ../shared/toolchains/qt-6.4.2-NAME-static.tar.xz
# when that archive is there and its SHA-256 matches; else it unpacks Debian's
# qt6-base source into $src and calls the script's build_qt_from_source, which
# installs into $qt. A finished toolchain is kept.

. "$root/tools/install_missing.sh"

prepare_qt() {
    local name=$1 folder=$2
    local cache=${XDG_CACHE_HOME:-$HOME/.cache}/bottinaro
    local archive=$root/../shared/toolchains/qt-6.4.2-$name-static.tar.xz
    qt=$cache/$folder
    local stamp=$qt/.bottinaro-complete
    mkdir -p "$cache"
    if [ -f "$stamp" ]; then
        echo "$qt"
        return 0
    fi
    rm -rf "$qt"

    if [ -f "$archive" ]; then
        echo "Unpacking $archive" >&2
        local expected actual work
        expected=$(cut -d' ' -f1 "$archive.sha256")
        actual=$(sha256sum "$archive" | cut -d' ' -f1)
        if [ "$expected" != "$actual" ]; then
            echo "SHA-256 mismatch for $archive: expected $expected, got $actual" >&2
            return 1
        fi
        work=$(mktemp -d "$cache/unpack.XXXXXX")
        tar -xJf "$archive" -C "$work"
        mv "$work/$folder" "$qt"
        rmdir "$work"
    else
        echo "No prebuilt Qt at $archive: building it from Debian's qt6-base source" >&2
        install_missing dpkg-dev patch xz-utils
        src=$cache/qt-src
        mkdir -p "$src"
        if ! ls "$src"/qt6-base_6.4.2+dfsg.orig.tar.xz >/dev/null 2>&1; then
            local sudo=()
            [ "$(id -u)" -eq 0 ] || sudo=(sudo)
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
        build_qt_from_source
        rm -rf "$src/build" "$src/qtbase-everywhere-src-6.4.2"
    fi

    [ -x "$qt/bin/qt-cmake" ] || { echo "no qt-cmake in $qt" >&2; return 1; }
    touch "$stamp"
    echo "$qt"
}
