#!/usr/bin/env bash
# Many small files: unrar.dll under Wine extracting 1,000 and 4,000 stored members of 4 KiB into one
# folder, against the plain create-write-close loop over the same names under Wine (the floor Wine
# sets), in the same run; the loop's native time is printed beside them. Each side runs three times,
# alternating, into a fresh folder in memory; the better time of each is printed with the ratio of
# unrar.dll to the loop under Wine.
#   bench/smallfiles/run.sh [BUILD_DIR]
# BUILD_DIR is a configured x86_64 build tree (default: build/); unrar.dll is built there first.
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
build=$(cd "${1:-$root/build}" && pwd)

cmake --build "$build" --target unrar -j2 >/dev/null
. "$root/bench/scratch.sh"

windows() { x86_64-w64-mingw32-g++-posix -std=c++20 -O2 -Wall -Wextra -Werror -static "$@"; }
windows -I"$root/libraries/unrar" "$root/bench/unrar/unrar_bench.cpp" "$build/libraries/unrar/libunrar.dll.a" \
    -o "$work/unrar_bench.exe"
windows "$root/bench/smallfiles/create_loop.cpp" -o "$work/create_loop.exe"
g++ -std=c++20 -O2 -Wall -Wextra -Werror "$root/bench/smallfiles/create_loop.cpp" -o "$work/create_loop"
cp "$build/bin/unrar.dll" "$work/"
"$root/tests/rig/start.sh" "$work" >/dev/null

windows_path() { echo "Z:${1//\//\\}"; }
min() { echo "if ($1 < $2) $1 else $2" | bc -l; }
run() { "$root/tests/rig/wine-run" "$work" "$@" | tr -d '\r'; }

printf '%-28s %12s %12s %12s %7s\n' case "unrar.dll" "loop (Wine)" "loop (native)" ratio
for count in 1000 4000; do
    members=()
    for ((i = 0; i < count; ++i)); do members+=(--generate "$(printf 'f%05d.bin' "$i"):4K"); done
    python3 "$root/tools/rarwrite.py" --out "$work/set$count/small.rar" --format 5 "${members[@]}" >/dev/null
    dll=999999 loop=999999 native=999999
    for i in 1 2 3; do
        out=$work/out && rm -rf "$out" && mkdir -p "$out"
        read -r seconds _ failed < <(run "$work/unrar_bench.exe" "$(windows_path "$work/set$count/small.rar")" \
            "$(windows_path "$out")")
        ((failed == 0)) || { echo "smallfiles: $failed member(s) failed" >&2; exit 1; }
        dll=$(min "$dll" "$seconds")
        rm -rf "$out" && mkdir -p "$out"
        loop=$(min "$loop" "$(run "$work/create_loop.exe" "$count" 4096 "$(windows_path "$out")")")
        rm -rf "$out" && mkdir -p "$out"
        native=$(min "$native" "$("$work/create_loop" "$count" 4096 "$out")")
    done
    printf '%-28s %10.2f s %10.2f s %10.2f s %7.2f\n' "$count members of 4 KiB" "$dll" "$loop" "$native" \
        "$(echo "$dll / $loop" | bc -l)"
done
