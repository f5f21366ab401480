#!/usr/bin/env bash
# Installs what is missing, builds, lays out the demo product in build/demo/product and runs the
# installer on it: on the current display if there is one, else on a fresh Xvfb, where it installs the
# demo product through the dialogs and keeps a picture of each window in docs/.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
demo=$root/build/demo
product=$demo/product

"$root/tools/build.sh"

rm -rf "$product"
mkdir -p "$product"
cp "$root/build/bin/install.exe" "$root/build/bin/unrar.dll" "$root/tools/demo/install.ini" \
    "$root/tools/demo/korvadel.nfo" "$root/build/fixtures/demo/"korvadel.part*.rar "$product/"
cp "$root/build/bin/install.dll" "$root/tools/demo/install.dat" "$product/"

if [[ -n ${DISPLAY:-} ]] && xdpyinfo >/dev/null 2>&1; then
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
rm -rf "$demo/shots"
mkdir -p "$demo/shots" "$root/docs"
"$root/tests/rig/wine-run" "$demo" "$root/build/bin/tour.exe" "$(windows_path "$product")" \
    "$(windows_path "$demo/shots")"
for shot in "$demo"/shots/*.bmp; do
    convert "$shot" "$root/docs/$(basename "${shot%.bmp}").png"
done
echo "Installed into $product/Korvadel; pictures of each window in $root/docs/"
