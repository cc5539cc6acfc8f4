#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Runs CI's passes (.ci/run --here) on a clean clone of this commit in a bare
# root of Debian RELEASE (bookworm, trixie), made by debootstrap from the
# Debian archive alone, so that every package must come from the project's
# own scripts. The bare system and the packages apt downloads are kept in
# CACHE between runs; every run starts from the bare system.
#   .ci/root.sh RELEASE
set -euo pipefail
cd "$(dirname "$0")/.."
release=$1
cache=${BOTTINARO_CI_CACHE:-/var/cache/bottinaro-ci}
[ "$(id -u)" = 0 ] || { echo "CI's Debian $release root needs root (debootstrap, chroot)" >&2; exit 1; }
. tools/install_missing.sh
install_missing debootstrap

mkdir -p "$cache/apt-$release/partial"
if [ ! -f "$cache/$release.tar" ]; then
    rm -rf --one-file-system "${cache:?}/${release:?}"
    if ! debootstrap --variant=minbase --include=git,ca-certificates,sudo "$release" "$cache/$release" \
        >"$cache/$release.log" 2>&1; then
        tail -n 20 "$cache/$release.log" >&2
        echo "CI cannot make its Debian $release root: debootstrap failed (above; $cache/$release.log)" >&2
        exit 1
    fi
    tar -C "$cache/$release" -cf "$cache/$release.tar.part" . && mv "$cache/$release.tar.part" "$cache/$release.tar"
    rm -rf --one-file-system "${cache:?}/${release:?}"
fi

root=$(mktemp -d "/var/tmp/bottinaro-ci-$release.XXXXXX")
mounted=()
bind() {
    mkdir -p "$root$2"
    mount --bind "$1" "$root$2"
    mounted=("$root$2" "${mounted[@]}")
}
cleanup() {
    for m in "${mounted[@]}"; do umount -l "$m" 2>/dev/null || true; done
    rm -rf --one-file-system "$root"
}
trap cleanup EXIT
tar -C "$root" -xf "$cache/$release.tar"
cp /etc/resolv.conf "$root/etc/resolv.conf"
for dir in /proc /dev /dev/pts /sys; do bind "$dir" "$dir"; done
bind "$cache/apt-$release" /var/cache/apt/archives
git clone -q . "$root/work/main"
if [ -d ../shared ]; then
    bind ../shared /work/shared
    mount -o remount,bind,ro "$root/work/shared"
fi

echo "CI on Debian $release ($(cat "$root/etc/debian_version")), in $root"
chroot "$root" /usr/bin/env -i PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin \
    HOME=/root LANG=C.UTF-8 CI=true /bin/bash -c 'cd /work/main && bash .ci/run --here'
