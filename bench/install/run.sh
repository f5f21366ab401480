#!/usr/bin/env bash
# The whole install road under Wine against native libarchive on the same files, in the same run: the
# installer in a product folder is taken to the extraction dialog and Extract is pressed; the time is
# from the press to the "Install Completed!" box, printed beside native libarchive's and beside cp's
# of the volumes into the same place. Three archives: a stored RAR 5 set of 1 GiB in five volumes,
# libarchive's largest compressed RAR sample (a tenth of a second natively, so the least noise moves
# its ratio), and 256 MiB of source text packed solid in the RAR 2.9 format by the publisher's tool,
# where decoding takes a second. Each side runs three times, alternating (seven for the sample, where
# a few milliseconds of noise move the ratio by a tenth); the best time of each is printed with their
# ratios.
#   bench/install/run.sh [BUILD_DIR]
# BUILD_DIR is a configured x86_64 build tree (default: build/); what the road needs is built there.
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
build=$(cd "${1:-$root/build}" && pwd)

cmake --build "$build" --target installer music unrar korvadel_driver medium_native -j2 >/dev/null
. "$root/bench/archives.sh"
x86_64-w64-mingw32-g++-posix -std=c++20 -O2 -Wall -Wextra -Werror -static -I"$root" \
    "$root/bench/install/road_time.cpp" "$build/tests/driver/libkorvadel_driver.a" -lgdi32 -luser32 \
    -o "$work/road_time.exe"
"$root/tests/rig/start.sh" "$work" >/dev/null

# The product folder of an archive whose volumes follow: the program with the real music library and
# the demo's module, and settings naming the archive. The volumes are linked, not copied: memory the
# machine has not used before costs it more to hand out, which would time itself.
product() {
    local folder=$work/product
    rm -rf "$folder" && mkdir -p "$folder"
    cp "$build/bin/install.exe" "$build/bin/install.dll" "$build/bin/unrar.dll" \
        "$root/tools/demo/install.dat" "$folder/"
    ln "$@" "$folder/"
    printf '[OPTIONS]\r\nAPPZ......=Bench\r\nSIZE......=1\r\nDIR.......=Bench\r\nFILERAR...=%s\r\nNFO.......=NONE\r\nREG.......=NONE\r\nSCRTXT....=Bench\r\nFILES.....=%s\r\n' \
        "${1##*/}" "$#" >"$folder/install.ini"
    echo "$folder"
}

# Wine's sound driver finds no sound card here and says so on every start: only other lines are shown.
road_seconds() {
    "$root/tests/rig/wine-run" "$work" "$work/road_time.exe" "$(windows_path "$1")" \
        2> >(grep -v '^ALSA lib\|^wine: Read access denied' >&2) | tr -d '\r'
}

# Seconds cp takes to copy the volumes that follow into a fresh folder where the road installs.
copy_seconds() {
    local folder=$1 start end
    shift
    rm -rf "$folder/Copy" && mkdir -p "$folder/Copy"
    start=$(now)
    cp "$@" "$folder/Copy/"
    end=$(now)
    rm -rf "$folder/Copy"
    echo "$end - $start" | bc -l
}

bench() {
    local name=$1 runs=$2 folder road=999999 native=999999 copy=999999 bytes i
    shift 2
    folder=$(product "$@")
    for ((i = 0; i < runs; i++)); do
        rm -rf "$folder/Bench"
        native=$(min "$native" "$(native_seconds "$@")")
        copy=$(min "$copy" "$(copy_seconds "$folder" "$@")")
        road=$(min "$road" "$(road_seconds "$folder")")
    done
    bytes=$(du -sb "$folder/Bench" | cut -f1)
    printf '%-34s %9.1f MiB %9.2f s %9.2f s %7.2f %9.2f s %7.2f\n' "$name" "$(echo "$bytes / 1048576" | bc -l)" \
        "$road" "$native" "$(echo "$road / $native" | bc -l)" "$copy" "$(echo "$road / $copy" | bc -l)"
}

# cp copies the volumes as they are: the yardstick for a stored set, not for packed data.
printf '%-34s %13s %11s %11s %7s %11s %7s\n' case output "road (Wine)" "libarchive" ratio "cp" ratio
bench "stored set, ${#volumes[@]} volumes (RAR 5)" 3 "${volumes[@]}"
bench "ppmd_lzss_conversion (RAR 4)" 7 "$sample"

# The project's sources over and over, each copy's lines numbered apart so that no copy repeats the
# last one whole.
mkdir -p "$work/text/src" "$work/kit" "$work/text/medium"
sources=$(cd "$root" && git ls-files '*.cpp' '*.h' | sed "s|^|$root/|")
for ((i = 0; $(du -sb "$work/text/src" | cut -f1) < 256 << 20; i++)); do
    # shellcheck disable=SC2086
    cat $sources | sed "s/^/$i /" >"$work/text/src/part$i.txt"
done
touch "$work/kit/install.exe" "$work/kit/install.dll" "$work/kit/unrar.dll"
"$build/native/korvadel-medium" pack "$work/text/src" "$work/text/medium" --format 4 --compress --solid \
    --archive text --kit "$work/kit" --music "$root/tools/demo/install.dat" \
    --nfo "$root/tools/demo/korvadel.nfo" >/dev/null 2>&1 || { echo "packing the text failed" >&2; exit 1; }
cat "$work/text/medium/text.rar" >/dev/null
bench "256 MiB of text, solid (RAR 4)" 3 "$work/text/medium/text.rar"
