#!/usr/bin/env bash
# Installs what is missing, then builds the installer and its tests for x86_64 in build/, and the
# program for i686 in build-i686/ (built and linked, not run).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)

build() {
    local triplet=$1 dir=$2
    shift 2
    local prefix
    prefix=$("$root/tools/deps.sh" --prefix "$triplet")
    cmake -S "$root" -B "$dir" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchain-$triplet.cmake" \
        -DKORVADEL_DEPS_PREFIX="$prefix" -DCMAKE_BUILD_TYPE=Release "$@" >/dev/null
    cmake --build "$dir" -j"$(nproc)"
}

# Set outright: tools/demo.sh may have configured build/ for the demo alone.
build x86_64-w64-mingw32 "$root/build" -DKORVADEL_TESTS=ON -DKORVADEL_NATIVE=ON
build i686-w64-mingw32 "$root/build-i686" -DKORVADEL_TESTS=OFF
