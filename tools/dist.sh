#!/usr/bin/env bash
# Makes the product kit a publisher copies to the medium: install.exe, install.dll and unrar.dll,
# release-built and stripped, with a sample install.ini, information file, registry file and module
# beside them. The archive is the publisher's own.
#   tools/dist.sh [x86_64|i686]    the kit in build/dist/ (x86_64, the default) or build-i686/dist/
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
case ${1:-x86_64} in
    x86_64) triplet=x86_64-w64-mingw32 build=$root/build ;;
    i686) triplet=i686-w64-mingw32 build=$root/build-i686 ;;
    *) echo "usage: $0 [x86_64|i686]" >&2; exit 2 ;;
esac

prefix=$("$root/tools/deps.sh" --prefix "$triplet")
# A first configuration leaves out the tests and the native libarchive builds only they need.
options=()
[[ -f $build/CMakeCache.txt ]] || options=(-DKORVADEL_TESTS=OFF -DKORVADEL_NATIVE=OFF)
cmake -S "$root" -B "$build" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchain-$triplet.cmake" \
    -DKORVADEL_DEPS_PREFIX="$prefix" -DCMAKE_BUILD_TYPE=Release "${options[@]}" >/dev/null
cmake --build "$build" --target installer music unrar -j"$(nproc)" >/dev/null

kit=$build/dist
rm -rf "$kit.new"
mkdir -p "$kit.new"
for binary in install.exe install.dll unrar.dll; do
    "$triplet-strip" -o "$kit.new/$binary" "$build/bin/$binary"
    # strip writes the file header anew, without the flags set after the link.
    "$root/tools/run-from-swap.py" "$kit.new/$binary"
    # Explorer's properties and the publisher's checks read the version from here.
    strings -el "$kit.new/$binary" | grep -qx "FileVersion" ||
        { echo "dist.sh: $binary carries no version" >&2; exit 1; }
done
cp "$root"/tools/demo/{install.ini,korvadel.nfo,korvadel.reg,install.dat} "$kit.new/"
rm -rf "$kit"
mv "$kit.new" "$kit"
echo "$kit"
