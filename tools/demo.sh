#!/usr/bin/env bash
# Installs what is missing, builds, lays out the demo product in build/demo/product and runs the
# installer on it: on the current display if there is one, else on a fresh Xvfb, where it takes a
# screenshot of the main window into docs/main-window.png and ends.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
demo=$root/build/demo
product=$demo/product

"$root/tools/build.sh"

rm -rf "$product"
mkdir -p "$product"
cp "$root/build/bin/install.exe" "$root/tools/demo/install.ini" "$root/tools/demo/korvadel.nfo" "$product/"
# Until the music library is built here, the recording stand-in plays the part.
cp "$root/build/bin/double/install.dll" "$product/"

if [[ -n ${DISPLAY:-} ]] && xdpyinfo >/dev/null 2>&1; then
    KORVADEL_RIG_DISPLAY=$DISPLAY "$root/tests/rig/start.sh" "$demo"
    trap '"$root/tests/rig/stop.sh" "$demo"' EXIT
    cd "$product"
    "$root/tests/rig/wine-run" "$demo" install.exe
    exit 0
fi

"$root/tests/rig/start.sh" "$demo"
trap '"$root/tests/rig/stop.sh" "$demo"' EXIT
# shellcheck source=/dev/null
. "$demo/rig/env"
(cd "$product" && exec "$root/tests/rig/wine-run" "$demo" install.exe) &
for _ in $(seq 100); do
    xwininfo -root -tree 2>/dev/null | grep -q '"Korvadel Installer\.\.\.' && break
    sleep 0.1
done
sleep 1 # the first paint
mkdir -p "$root/docs"
import -window root -crop 1024x768+0+0 "$root/docs/main-window.png"
echo "The main window: $root/docs/main-window.png"
