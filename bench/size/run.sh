#!/usr/bin/env bash
# Sizes of the kit's three binaries, x86_64 and i686, each against its share and the three together
# against the goal of 2 MiB. Makes the kits with tools/dist.sh first.
#   bench/size/run.sh
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
goal=$((2 * 1024 * 1024))
printf '%-8s %-12s %10s %8s\n' kit file bytes "of goal"
for arch in x86_64 i686; do
    kit=$("$root/tools/dist.sh" "$arch")
    total=0
    for binary in install.exe install.dll unrar.dll; do
        size=$(stat -c %s "$kit/$binary")
        total=$((total + size))
        printf '%-8s %-12s %10d %7.1f%%\n' "$arch" "$binary" "$size" "$(echo "100 * $size / $goal" | bc -l)"
    done
    printf '%-8s %-12s %10d %7.1f%%  %s\n' "$arch" total "$total" "$(echo "100 * $total / $goal" | bc -l)" \
        "$( ((total <= goal)) && echo "within 2 MiB" || echo "OVER 2 MiB")"
done
