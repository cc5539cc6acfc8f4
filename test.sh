#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds Bottinaro with its tests and runs the whole suite. With --sanitize,
# and always on CI (CI=true), the suite then runs a second time built by
# Clang with AddressSanitizer and UndefinedBehaviorSanitizer, in build-asan/:
# the tree is compiled by both GCC and Clang.
set -euo pipefail
cd "$(dirname "$0")"

sanitize=false
[ "${CI:-}" = true ] && sanitize=true
for arg in "$@"; do
    case $arg in
    --sanitize) sanitize=true ;;
    *) echo "usage: $0 [--sanitize]" >&2; exit 2 ;;
    esac
done

. tools/setup.sh
build build
ctest --test-dir build --output-on-failure --no-tests=error -j"$(nproc)"

if $sanitize; then
    echo "Sanitized pass: Clang, AddressSanitizer and UndefinedBehaviorSanitizer"
    # Configured every time, so that the folder cannot hold a plain build.
    CC=clang CXX=clang++ build build-asan -DCMAKE_CXX_COMPILER=clang++ \
        -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBOTTINARO_SANITIZE=ON
    ctest --test-dir build-asan --output-on-failure --no-tests=error -j"$(nproc)"
fi
