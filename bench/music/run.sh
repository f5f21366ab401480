#!/usr/bin/env bash
# How much of one core the music library takes while it plays the demo module in the background,
# measured under Wine against the same process idle. Usage: bench/music/run.sh [BUILD_DIR]
# BUILD_DIR is a configured x86_64 build tree (default: build/); the library is built there first.
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
build=$(cd "${1:-$root/build}" && pwd)
work=$build/bench/music

cmake --build "$build" --target music -j1 >/dev/null
mkdir -p "$work"
cp "$build/bin/install.dll" "$work/"
x86_64-w64-mingw32-g++-posix -std=c++20 -O2 -Wall -Wextra -Werror -static -I"$root" \
    "$root/bench/music/background_cpu.cpp" "$build/libraries/music/libinstall.dll.a" -o "$work/background_cpu.exe"

# A rig of its own, so that a test run in the same build tree keeps its own.
"$root/tests/rig/start.sh" "$work" >/dev/null
trap '"$root/tests/rig/stop.sh" "$work" >/dev/null 2>&1 || true' EXIT
# Wine's sound drivers report to stderr when the system has no card.
"$root/tests/rig/wine-run" "$work" "$work/background_cpu.exe" "Z:${root//\//\\}\\tools\\demo\\install.dat" \
    2> >(grep -v '^ALSA lib' >&2)
