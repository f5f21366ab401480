#!/usr/bin/env bash
# Extraction throughput of unrar.dll under Wine against native libarchive on the same files, in the
# same run: a stored volume set of 1 GiB made by tools/rarwrite.py, and the largest compressed sample
# of libarchive's. Builds what it needs (unrar.dll in BUILD_DIR, default build-bench-unrar of the
# source tree) and works in a temporary folder it removes. Inputs are read once before they are
# timed, so both sides read from the page cache; neither side flushes what it writes.
#   bench/unrar/run.sh [BUILD_DIR]
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
build=${1:-$root/build-bench-unrar}
here=$root/bench/unrar

prefix=$("$root/tools/deps.sh" --prefix x86_64-w64-mingw32)
cmake -S "$root" -B "$build" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchain-x86_64-w64-mingw32.cmake" \
    -DKORVADEL_DEPS_PREFIX="$prefix" -DCMAKE_BUILD_TYPE=Release -DKORVADEL_TESTS=OFF >/dev/null
cmake --build "$build" -j2 --target unrar >/dev/null

work=$(mktemp -d /tmp/unrar-bench.XXXXXX)
cleanup() {
    "$root/tests/rig/stop.sh" "$work" >/dev/null 2>&1 || true
    rm -rf "$work"
}
trap cleanup EXIT

x86_64-w64-mingw32-g++-posix -std=c++20 -O2 -Wall -Wextra -Werror -static -I"$root/libraries/unrar" \
    "$here/unrar_bench.cpp" "$build/libraries/unrar/libunrar.dll.a" -o "$work/unrar_bench.exe"
cp "$build/bin/unrar.dll" "$work/"
# The same patched libarchive as the DLL's, built for this machine.
native=$("$root/tools/deps.sh" --prefix native)
gcc -O2 -Wall -Wextra -Werror -I"$native/include" "$here/la_extract.c" "$native/lib/libarchive.a" -o "$work/la_extract"

echo "Writing the inputs..." >&2
mkdir -p "$work/set" "$work/sample"
python3 "$root/tools/rarwrite.py" --out "$work/set/bench.rar" --format 5 --volume-size 200M \
    --generate data/a.bin:256M --generate data/b.bin:256M --generate data/c.bin:256M \
    --generate data/d.bin:256M >"$work/set.volumes"
mapfile -t volumes <"$work/set.volumes"
sample=test_read_format_rar_ppmd_lzss_conversion.rar
python3 - "$("$root/tools/deps.sh" --source libarchive)/libarchive/test/$sample.uu" "$work/sample/$sample" <<'PY'
import binascii, sys
out = bytearray()
lines = open(sys.argv[1], 'rb').read().splitlines()
for line in lines[1:]:
    if line.strip() == b'end':
        break
    if line:
        n = (line[0] - 32) & 63
        out += binascii.a2b_uu(line[:1 + (n + 2) // 3 * 4])[:n]
open(sys.argv[2], 'wb').write(out)
PY
cat "${volumes[@]}" "$work/sample/$sample" >/dev/null

"$root/tests/rig/start.sh" "$work" >/dev/null
windows() { echo "Z:${1//\//\\}"; }
now() { date +%s.%N; }

# One line per case: name, bytes out, seconds through unrar.dll, seconds native.
bench() {
    local name=$1 first=$2 out=$work/out
    shift 2
    rm -rf "$out" && mkdir -p "$out"
    read -r dll bytes failed < <("$root/tests/rig/wine-run" "$work" "$work/unrar_bench.exe" \
        "$(windows "$first")" "$(windows "$out")" | tr -d '\r')
    rm -rf "$out" && mkdir -p "$out"
    local start end
    start=$(now)
    "$@" "$out" || true
    end=$(now)
    rm -rf "$out"
    native=$(echo "$end - $start" | bc -l)
    printf '%-34s %9.1f MiB %9.2f s %8.1f MiB/s %9.2f s %8.1f MiB/s %7.2f   %s\n' "$name" \
        "$(echo "$bytes / 1048576" | bc -l)" "$dll" "$(echo "$bytes / 1048576 / $dll" | bc -l)" \
        "$native" "$(echo "$bytes / 1048576 / $native" | bc -l)" "$(echo "$dll / $native" | bc -l)" \
        "$( ((failed == 0)) && echo ok || echo "$failed member(s) failed")"
}

native_set() { "$work/la_extract" "$1" "${volumes[@]}"; }
native_sample() { bsdtar -xf "$work/sample/$sample" -C "$1" 2>/dev/null; }

printf '%-34s %13s %11s %14s %11s %14s %7s\n' case output "unrar.dll" "(Wine)" libarchive "(native)" ratio
bench "stored set, ${#volumes[@]} volumes (RAR 5)" "${volumes[0]}" native_set
bench "ppmd_lzss_conversion (RAR 4)" "$work/sample/$sample" native_sample
