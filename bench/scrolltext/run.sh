#!/usr/bin/env bash
# CPU share of one core that the running main window uses for its scrolling line (its ticks and
# paints are all it does while it sits idle), over 10 s, read from the kernel's accounting of the
# installer's process and of the Wine server that carries its messages.
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
build=${KORVADEL_BUILD:-$root/build}
work=$build/bench-scrolltext
seconds=10

cmake --build "$build" --target installer midas_double unrar >/dev/null
rm -rf "$work/product"
mkdir -p "$work/product"
cp "$build/bin/install.exe" "$build/bin/unrar.dll" "$root/tools/demo/install.ini" "$work/product/"
cp "$build/bin/double/install.dll" "$work/product/"
"$root/tests/rig/start.sh" "$work"
trap '"$root/tests/rig/stop.sh" "$work"' EXIT
(cd "$work/product" && exec "$root/tests/rig/wine-run" "$work" install.exe) &
sleep 3 # start-up and the first paint are not what is measured

ticks() { awk '{ print $14 + $15 }' "/proc/$1/stat"; }
installer=$(pgrep -n -f 'install\.exe')
server=$(pgrep -n -x wineserver64 || pgrep -n wineserver)
hz=$(getconf CLK_TCK)
i0=$(ticks "$installer") s0=$(ticks "$server")
sleep "$seconds"
i1=$(ticks "$installer") s1=$(ticks "$server")
awk -v i=$((i1 - i0)) -v s=$((s1 - s0)) -v hz="$hz" -v t="$seconds" 'BEGIN {
    printf "installer process: %.2f %% of one core; with the Wine server: %.2f %% (target < 1 %%)\n",
           100 * i / hz / t, 100 * (i + s) / hz / t }'
