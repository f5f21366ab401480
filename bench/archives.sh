# Sourced by the extraction benches: the inputs both sides read and the native side's extractor.
# Needs root= (the source tree). Makes work= (bench/scratch.sh); sets volumes=(...) to the stored
# RAR 5 set of 1 GiB in five volumes and sample= to libarchive's largest compressed RAR sample, builds $work/la_extract over the same patched
# libarchive as the DLL's, built for this machine, and reads every input once so that both sides
# read from the page cache.

. "$root/bench/scratch.sh"

# The native side's CRC is Debian's zlib as it ships (the system's), not ours, which folds with
# carry-less multiplication: the baseline is libarchive as this machine has it.
native=$("$root/tools/deps.sh" --prefix native)
gcc -O2 -Wall -Wextra -Werror -I"$native/include" "$root/bench/unrar/la_extract.c" "$native/lib/libarchive.a" \
    -lz -o "$work/la_extract"

echo "Writing the inputs..." >&2
mkdir -p "$work/set" "$work/sample"
python3 "$root/tools/rarwrite.py" --out "$work/set/bench.rar" --format 5 --volume-size 205M \
    --generate data/a.bin:256M --generate data/b.bin:256M --generate data/c.bin:256M \
    --generate data/d.bin:256M >"$work/set.volumes"
mapfile -t volumes <"$work/set.volumes"
sample=$work/sample/test_read_format_rar_ppmd_lzss_conversion.rar
# The fixtures' decoder, which the tests' own libarchive samples go through.
python3 -c 'import sys; sys.path.insert(0, sys.argv[1]); import fixtures
open(sys.argv[3], "wb").write(fixtures.uudecode(sys.argv[2]))' "$root/tests/fixtures" \
    "$("$root/tools/deps.sh" --source libarchive)/libarchive/test/${sample##*/}.uu" "$sample"
cat "${volumes[@]}" "$sample" >/dev/null

windows_path() { echo "Z:${1//\//\\}"; }
min() { echo "if ($1 < $2) $1 else $2" | bc -l; }
now() { date +%s.%N; }

# Seconds native libarchive takes to extract the archive whose volumes follow into a fresh folder.
native_seconds() {
    local out=$work/native-out start end
    rm -rf "$out" && mkdir -p "$out"
    start=$(now)
    "$work/la_extract" "$out" "$@" || { echo "native extraction of $1 failed" >&2; exit 1; }
    end=$(now)
    rm -rf "$out"
    echo "$end - $start" | bc -l
}
