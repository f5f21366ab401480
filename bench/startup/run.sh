#!/usr/bin/env bash
# Start-up of the installer on the demo product under Wine against a bare Win32 window with a title:
# the median time from starting each program to its window being visible, alternating, and the ratio.
#   bench/startup/run.sh [BUILD_DIR] [RUNS]
# BUILD_DIR is a configured x86_64 build tree (default: build/); the program is built there first.
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
build=$(cd "${1:-$root/build}" && pwd)
runs=${2:-15}

cmake --build "$build" --target installer music unrar -j2 >/dev/null
work=$(mktemp -d /tmp/startup-bench.XXXXXX)
cleanup() {
    "$root/tests/rig/stop.sh" "$work" >/dev/null 2>&1 || true
    rm -rf "$work"
}
trap cleanup EXIT

compile() {
    x86_64-w64-mingw32-g++-posix -std=c++20 -O2 -Wall -Wextra -Werror -static "$@"
}
compile "$root/bench/startup/startup_time.cpp" -o "$work/startup_time.exe"
compile -s -mwindows "$root/bench/startup/bare_window.cpp" -o "$work/bare_window.exe"

product=$work/product
mkdir -p "$product"
# The binaries as the kit ships them (tools/dist.sh), stripped: Wine reads the symbols of a library
# as it loads it, 1.5 ms a library here.
for binary in install.exe install.dll unrar.dll; do
    x86_64-w64-mingw32-strip -o "$product/$binary" "$build/bin/$binary"
done
cp "$root/tools/demo/install.ini" "$root/tools/demo/install.dat" "$root/tools/demo/korvadel.nfo" "$product/"

"$root/tests/rig/start.sh" "$work" >/dev/null
windows_path() { echo "Z:${1//\//\\}"; }
# One start of each first, so that neither side pays for filling the caches.
"$root/tests/rig/wine-run" "$work" "$work/startup_time.exe" "$(windows_path "$product")" \
    "$(windows_path "$work/bare_window.exe")" 1 >/dev/null
"$root/tests/rig/wine-run" "$work" "$work/startup_time.exe" "$(windows_path "$product")" \
    "$(windows_path "$work/bare_window.exe")" "$runs" | tr -d '\r'
