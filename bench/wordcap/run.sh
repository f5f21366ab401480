#!/usr/bin/env bash
# Time of one paint of the main window's gradient caption against the system's own painting of the
# same window's frame, as a ratio from one run under Wine. Usage: bench/wordcap/run.sh [BUILD_DIR]
# BUILD_DIR is a configured x86_64 build tree (default: build/); the components are built there first.
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
build=$(cd "${1:-$root/build}" && pwd)
work=$build/bench/wordcap

cmake --build "$build" --target components -j2 >/dev/null
jpeg=$(sed -n 's/^jpeg_LIBRARY:FILEPATH=//p' "$build/CMakeCache.txt")
mkdir -p "$work"
x86_64-w64-mingw32-g++-posix -std=c++20 -O2 -Wall -Wextra -Werror -static \
    -DWIN32_LEAN_AND_MEAN -DNOMINMAX -D_WIN32_WINNT=0x0601 -DWINVER=0x0601 \
    -I"$root" "$root/bench/wordcap/paint_time.cpp" \
    "$build/components/libcomponents.a" "$build/toolkit/libtoolkit.a" "$jpeg" \
    -lcomctl32 -lgdi32 -lmpr -lshell32 -luser32 -o "$work/paint_time.exe"

# A rig of its own, so that a test run in the same build tree keeps its own.
"$root/tests/rig/start.sh" "$work" >/dev/null
trap '"$root/tests/rig/stop.sh" "$work" >/dev/null 2>&1 || true' EXIT
"$root/tests/rig/wine-run" "$work" "$work/paint_time.exe"
