# SPDX-License-Identifier: GPL-3.0-or-later
# Sourced: install_missing PACKAGE... installs, with apt through sudo when not
# root, those Debian packages that are not installed yet. It talks on stderr,
# so that a script's own output stays clean.

install_missing() {
    local missing=() package sudo=()
    for package in "$@"; do
        dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed' \
            || missing+=("$package")
    done
    ((${#missing[@]})) || return 0
    echo "Installing: ${missing[*]}" >&2
    [ "$(id -u)" -eq 0 ] || sudo=(sudo)
    "${sudo[@]}" apt-get update -qq >&2
    DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq --no-install-recommends \
        "${missing[@]}" >&2
}
