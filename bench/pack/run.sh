#!/usr/bin/env bash
# `korvadel-medium pack` of 1 GiB of product files, stored, against `cp -r` of the same files, both
# from and into /dev/shm (on this VM the disk's page cache times the host's page faults, not the
# programs), alternating; best of RUNS each and the ratio. cp copies in the kernel without ever
# seeing the bytes; a tool that takes their CRC must read them, a read and a write of every byte,
# which `dd bs=1M` of the large files shows done one after the other (pack overlaps them).
#   bench/pack/run.sh [BUILD_DIR] [RUNS]
# BUILD_DIR is a configured build tree (default: build/); the native tool is built there first.
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
build=$(cd "${1:-$root/build}" && pwd)
runs=${2:-5}

cmake --build "$build" --target medium_native -j2 >/dev/null
tool=$build/native/korvadel-medium
work=$(mktemp -d "${KORVADEL_BENCH_DIR:-/dev/shm}/pack-bench.XXXXXX")
trap 'rm -rf "$work"' EXIT

# Eight files of 128 MiB and some small ones, incompressible, read once so that both sides read
# them from the page cache.
source=$work/product
mkdir -p "$source/data" "$work/kit"
for i in 1 2 3 4 5 6 7 8; do
    head -c $((128 << 20)) /dev/urandom >"$source/data/pack$i.bin"
done
for i in $(seq 1 200); do head -c $((i * 97)) /dev/urandom >"$source/data/small$i.dat"; done
cat "$source"/data/* >/dev/null
for f in install.exe install.dll unrar.dll; do echo kit >"$work/kit/$f"; done
bytes=$(du -sb "$source" | cut -f1)

seconds() {
    local start end
    start=$(date +%s.%N)
    "$@" >/dev/null 2>&1 || { echo "failed: $*" >&2; exit 1; }
    end=$(date +%s.%N)
    echo "$end - $start" | bc -l
}
min() { echo "if ($1 < $2) $1 else $2" | bc -l; }

# The large files through dd, the small ones, a few KiB in all, by one cp.
copy_by_dd() {
    local f
    for f in "$source"/data/pack*.bin; do
        dd if="$f" of="$work/copy/data/${f##*/}" bs=1M status=none
    done
    cp "$source"/data/small* "$work/copy/data/"
}

pack=999999 copy=999999 dd=999999
for i in $(seq 1 "$runs"); do
    rm -rf "$work/medium" "$work/copy"
    sync
    pack=$(min "$pack" "$(seconds "$tool" pack "$source" "$work/medium" --kit "$work/kit" \
        --music "$root/tools/demo/install.dat" --nfo "$root/tools/demo/korvadel.nfo")")
    rm -rf "$work/medium" "$work/copy"
    sync
    copy=$(min "$copy" "$(seconds cp -r "$source" "$work/copy")")
    rm -rf "$work/copy" && mkdir -p "$work/copy/data"
    sync
    dd=$(min "$dd" "$(seconds copy_by_dd)")
done
printf '%-28s %14s %10s %10s %10s %9s %9s\n' case bytes pack cp dd pack/cp pack/dd
printf '%-28s %14d %9.3fs %9.3fs %9.3fs %9.2f %9.2f\n' "1 GiB stored, one volume" "$bytes" "$pack" \
    "$copy" "$dd" "$(echo "$pack / $copy" | bc -l)" "$(echo "$pack / $dd" | bc -l)"
