#!/usr/bin/env bash
# Extraction throughput of unrar.dll under Wine against native libarchive on the same files, in the
# same run: a stored RAR 5 set of 1 GiB in five volumes made by tools/rarwrite.py, and the largest
# compressed sample of libarchive's. Builds what it needs (unrar.dll in BUILD_DIR, default
# build-bench-unrar of the source tree) and works in a temporary folder in memory it removes. Both sides read
# from the page cache and neither flushes what it writes; each runs three times, alternating, and the
# better time of each is printed with their ratio.
#   bench/unrar/run.sh [BUILD_DIR]
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
build=${1:-$root/build-bench-unrar}

prefix=$("$root/tools/deps.sh" --prefix x86_64-w64-mingw32)
cmake -S "$root" -B "$build" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchain-x86_64-w64-mingw32.cmake" \
    -DKORVADEL_DEPS_PREFIX="$prefix" -DCMAKE_BUILD_TYPE=Release -DKORVADEL_TESTS=OFF >/dev/null
cmake --build "$build" -j2 --target unrar >/dev/null

. "$root/bench/archives.sh"
x86_64-w64-mingw32-g++-posix -std=c++20 -O2 -Wall -Wextra -Werror -static -I"$root/libraries/unrar" \
    "$root/bench/unrar/unrar_bench.cpp" "$build/libraries/unrar/libunrar.dll.a" -o "$work/unrar_bench.exe"
cp "$build/bin/unrar.dll" "$work/"
"$root/tests/rig/start.sh" "$work" >/dev/null

# One line per case: name, bytes out, seconds through unrar.dll, seconds native, ratio.
bench() {
    local name=$1 out=$work/out dll=999999 native=999999 seconds bytes failed i
    shift
    for i in 1 2 3; do
        native=$(min "$native" "$(native_seconds "$@")")
        rm -rf "$out" && mkdir -p "$out"
        read -r seconds bytes failed < <("$root/tests/rig/wine-run" "$work" "$work/unrar_bench.exe" \
            "$(windows_path "$1")" "$(windows_path "$out")" | tr -d '\r')
        dll=$(min "$dll" "$seconds")
        rm -rf "$out"
    done
    printf '%-34s %9.1f MiB %9.2f s %8.1f MiB/s %9.2f s %8.1f MiB/s %7.2f   %s\n' "$name" \
        "$(echo "$bytes / 1048576" | bc -l)" "$dll" "$(echo "$bytes / 1048576 / $dll" | bc -l)" \
        "$native" "$(echo "$bytes / 1048576 / $native" | bc -l)" "$(echo "$dll / $native" | bc -l)" \
        "$( ((failed == 0)) && echo ok || echo "$failed member(s) failed")"
}

printf '%-34s %13s %11s %14s %11s %14s %7s\n' case output "unrar.dll" "(Wine)" libarchive "(native)" ratio
bench "stored set, ${#volumes[@]} volumes (RAR 5)" "${volumes[@]}"
bench "ppmd_lzss_conversion (RAR 4)" "$sample"
