#!/usr/bin/env bash
# Installs what is missing, builds what the demo needs (the x86_64 program, its two libraries, the tour
# and the demo archive; no tests, no i686: tools/build.sh builds everything), lays out the demo product
# in build/demo/product from the kit that tools/dist.sh makes, and runs the installer on it: on the
# current display if there is one, else on a fresh Xvfb, where it installs the demo product through
# the dialogs and keeps a picture of each window in build/demo-pictures/.
#   tools/demo.sh                  as above
#   tools/demo.sh --refresh-docs   takes the pictures on a fresh Xvfb whatever the display, and copies
#                                  those that show something new over the committed ones in docs/
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
demo=$root/build/demo
product=$demo/product
pictures=$root/build/demo-pictures
triplet=x86_64-w64-mingw32

refresh=
case $* in
    '') ;;
    --refresh-docs) refresh=1 ;;
    *) echo "usage: $0 [--refresh-docs]" >&2; exit 2 ;;
esac

prefix=$("$root/tools/deps.sh" --prefix "$triplet")
# A first configuration leaves out the native libarchive builds only the tests need; tools/build.sh
# turns them on when it comes to build everything.
native=()
[[ -f $root/build/CMakeCache.txt ]] || native=(-DKORVADEL_NATIVE=OFF)
echo "demo.sh: building the program, its libraries and the demo archive in build/ (a few minutes the first time)" >&2
cmake -S "$root" -B "$root/build" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchain-$triplet.cmake" \
    -DKORVADEL_DEPS_PREFIX="$prefix" -DCMAKE_BUILD_TYPE=Release "${native[@]}" >/dev/null
cmake --build "$root/build" --target demo -j"$(nproc)"

# The demo product is the kit a publisher ships, with the demo archive beside it.
kit=$("$root/tools/dist.sh" x86_64)
rm -rf "$product"
mkdir -p "$product"
cp "$kit"/* "$root/build/fixtures/demo/"korvadel.part*.rar "$product/"

echo "demo.sh: starting Wine (setting up its prefix the first time takes under a minute)" >&2
if [[ -z $refresh && -n ${DISPLAY:-} ]] && xdpyinfo >/dev/null 2>&1; then
    KORVADEL_RIG_DISPLAY=$DISPLAY "$root/tests/rig/start.sh" "$demo"
    trap '"$root/tests/rig/stop.sh" "$demo"' EXIT
    cd "$product"
    "$root/tests/rig/wine-run" "$demo" install.exe
    exit 0
fi

"$root/tests/rig/start.sh" "$demo"
trap '"$root/tests/rig/stop.sh" "$demo"' EXIT
# Without a display the demo takes the installer through its windows and keeps a picture of each.
windows_path() { echo "Z:${1//\//\\}"; }
rm -rf "$demo/shots" "$pictures"
mkdir -p "$demo/shots" "$pictures"
"$root/tests/rig/wine-run" "$demo" "$root/build/bin/tour.exe" "$(windows_path "$product")" \
    "$(windows_path "$demo/shots")"
for shot in "$demo"/shots/*.bmp; do
    convert "$shot" "$pictures/$(basename "${shot%.bmp}").png"
done
echo "Installed into $product/Korvadel; pictures of each window in $pictures/"
if [[ -n $refresh ]]; then
    # A PNG carries the time it was written: only a picture that shows something else is replaced.
    for picture in "$pictures"/*.png; do
        doc=$root/docs/${picture##*/}
        compare -metric AE "$picture" "$doc" null: >/dev/null 2>&1 && continue
        cp "$picture" "$doc"
        echo "Refreshed $doc"
    done
fi
