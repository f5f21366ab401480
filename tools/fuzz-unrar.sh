#!/usr/bin/env bash
# Builds the unrar core natively with libFuzzer and AddressSanitizer, over our patched libarchive
# instrumented likewise (tools/deps.sh --prefix native-fuzz), and fuzzes it.
#   tools/fuzz-unrar.sh SECONDS
# Works in $KORVADEL_FUZZ_DIR (default build/fuzz): the fuzzer, its seed corpus (archives written by
# tools/rarwrite.py and libarchive's RAR samples) and the corpus it grows, kept between runs. A crash
# leaves its input there as crash-*; the run then fails. Needs what tools/deps.sh installs.
set -euo pipefail

seconds=${1:-}
[[ $seconds =~ ^[0-9]+$ ]] || { echo "usage: $0 SECONDS" >&2; exit 2; }
root=$(cd "$(dirname "$0")/.." && pwd)
work=${KORVADEL_FUZZ_DIR:-$root/build/fuzz}
mkdir -p "$work"
work=$(cd "$work" && pwd)
core=$root/libraries/unrar

archive=$("$root/tools/deps.sh" --prefix native-fuzz)

# Rebuilt only when a source or the library is newer than the fuzzer.
fuzzer=$work/unrar_fuzz
sources=("$core"/core/*.cpp "$root/tests/unrar/unrar_fuzz.cpp")
if [[ ! -x $fuzzer ]] || [[ -n $(find "${sources[@]}" "$core"/core/*.h "$core/unrar.h" "$archive/lib/libarchive.a" \
        -newer "$fuzzer" | head -1) ]]; then
    clang++ -std=c++20 -g -O1 -Wall -Wextra -Werror -fno-omit-frame-pointer \
        -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=undefined \
        -I"$core" -I"$archive/include" "${sources[@]}" "$archive/lib/libarchive.a" "$archive/lib/libz.a" -o "$fuzzer.new"
    mv "$fuzzer.new" "$fuzzer"
fi

# An input is an options byte, then the volumes separated by the target's mark (see unrar_fuzz.cpp).
seeds=$work/seeds
# Made again whenever this script changes: it holds the seeds' recipe.
recipe=$(sha256sum <"${BASH_SOURCE[0]}")
if [[ $(cat "$seeds/.done" 2>/dev/null) != "$recipe" ]]; then
    rm -rf "$seeds"
    mkdir -p "$seeds/gen"
    python3 - "$root" "$seeds" <<'EOF'
import binascii, glob, os, re, subprocess, sys
root, seeds = sys.argv[1], sys.argv[2]
MARK = b'KVOL\xff\xfe\xfd\xfc'
writer = os.path.join(root, 'tools', 'rarwrite.py')
gen = os.path.join(seeds, 'gen')

def seed(name, options, volumes):
    with open(os.path.join(seeds, name), 'wb') as f:
        f.write(bytes([options]) + MARK.join(volumes))

def read_all(paths):
    return [open(p, 'rb').read() for p in paths]

small = os.path.join(gen, 'small.txt')
with open(small, 'wb') as f:
    f.write(b'Korvadel fuzz seed\n' * 40)
cases = [
    ('plain', [], 0x08),
    ('comment', ['--comment', 'a comment \u2713'], 0x04),
    ('parts', ['--volume-size', '600', '--naming', 'part'], 0x08),
    ('old', ['--volume-size', '600', '--naming', 'old'], 0x09),
    ('hostile', ['--add', small + '=../up.txt', '--add', small + '=C:\\drive.txt',
                 '--symlink', 'link=../../out', '--add', small + '=CON.txt'], 0x08),
]
# Compressed and solid archives exist in RAR 4 only here, redirections in RAR 5; option 0x10 has the
# data callback stop members part-way.
only = {
    '4': [('solid', ['--compress', '--solid'], 0x08),
          ('solidparts', ['--compress', '--solid', '--volume-size', '800', '--naming', 'part'], 0x08),
          ('packedstop', ['--compress'], 0x18)],
    '5': [('links', ['--hardlink', 'hard=dir/a.txt', '--filecopy', 'copy=g.bin', '--junction', 'j=empty'],
           0x08)],
}
for fmt in ('4', '5'):
    for name, extra, options in cases + only[fmt]:
        out = os.path.join(gen, f'{name}{fmt}', 'set.rar')
        os.makedirs(os.path.dirname(out), exist_ok=True)
        args = [sys.executable, writer, '--out', out, '--format', fmt, '--mtime', '1714564800',
                '--add', small + '=dir/a.txt', '--add-dir', 'empty', '--generate', 'g.bin:3000'] + extra
        volumes = subprocess.run(args, check=True, stdout=subprocess.PIPE, text=True).stdout.split()
        seed(f'gen-{name}{fmt}', options, read_all(volumes))

source = subprocess.run([os.path.join(root, 'tools', 'deps.sh'), '--source', 'libarchive'],
                        check=True, stdout=subprocess.PIPE, text=True).stdout.strip()
def decode(path):
    out, lines = bytearray(), open(path, 'rb').read().splitlines()
    for line in lines[1:]:
        if line.strip() == b'end':
            break
        if line:
            count = (line[0] - 32) & 63
            out += binascii.a2b_uu(line[:1 + (count + 2) // 3 * 4])[:count]
    return bytes(out)
sets = {}
for uu in sorted(glob.glob(os.path.join(source, 'libarchive', 'test', 'test_*rar*.uu'))):
    name = os.path.basename(uu)[:-3]
    m = re.fullmatch(r'(.*)\.part(\d+)\.rar', name)
    key, order = (m.group(1), int(m.group(2))) if m else (name, 0)
    sets.setdefault(key, []).append((order, uu))
for key, parts in sets.items():
    volumes = [decode(uu) for _, uu in sorted(parts)]
    # Seeds stay small enough for the fuzzer to mutate; a large sample is cut.
    seed('la-' + key, 0x0c, [v[:1 << 15] for v in volumes])

# A volume whose member data is said to end two bytes in, inside the first compressed block's header.
def vint(data, at):
    value, shift = 0, 0
    while True:
        value |= (data[at] & 0x7F) << shift
        shift += 7
        at += 1
        if not data[at - 1] & 0x80:
            return value, at
def short_data(volume, size):
    at = 8
    while at < len(volume):
        size_at = at + 4
        header_size, p = vint(volume, size_at)
        end = p + header_size
        kind, p = vint(volume, p)
        flags, p = vint(volume, p)
        if flags & 0x01:
            _, p = vint(volume, p)
        data_size, data_end = vint(volume, p) if flags & 0x02 else (0, p)
        if kind == 2 and data_size > size:
            # The same number of bytes, the smaller value: 7 bits a byte, the last without 0x80.
            width = data_end - p
            field = bytes((size >> 7 * i & 0x7F) | (0x80 if i < width - 1 else 0) for i in range(width))
            header = volume[size_at:p] + field + volume[data_end:end]
            return volume[:at] + binascii.crc32(header).to_bytes(4, 'little') + header + volume[end:]
        at = end + data_size
    raise SystemExit('fuzz-unrar.sh: no compressed member in the multi-volume sample')
volumes = [decode(uu) for _, uu in sorted(sets['test_read_format_rar5_multiarchive'])]
seed('la-short-data-size', 0x0c, [short_data(volumes[0], 2)[:1 << 15]] + [v[:1 << 15] for v in volumes[1:]])
EOF
    rm -rf "$seeds/gen"
    echo "$recipe" >"$seeds/.done"
fi

corpus=$work/corpus
mkdir -p "$corpus"
cd "$work"
# The target extracts into a scratch folder of its own under $work; a killed run may leave one.
trap 'rm -rf "$work"/unrar-fuzz-*' EXIT
# A size no allocator can give (libarchive 3.6.2's RAR 5 decoder asks for one on some damaged blocks
# that span volumes) is a failed allocation, as it is in the DLL, which libarchive reports as an
# error: it is not stopped on. Reads and writes out of bounds still are.
export ASAN_OPTIONS=allocator_may_return_null=1${ASAN_OPTIONS:+:$ASAN_OPTIONS}
UNRAR_FUZZ_DIR=$work "$fuzzer" "$corpus" "$seeds" -max_total_time="$seconds" -max_len=131072 -timeout=20 \
    -rss_limit_mb=2048 -print_final_stats=1 -artifact_prefix="$work/"
