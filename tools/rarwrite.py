#!/usr/bin/env python3
"""Writes RAR archives, RAR 5 or RAR 4, for the tests: stored, or for RAR 4 also compressed.

  tools/rarwrite.py --out DIR/name.rar [--format 5|4] [--volume-size SIZE] [--naming part|old]
                    [--comment TEXT [--comment-every-volume]] [--mtime EPOCH]
                    [--compress [--solid] [--dictionary SIZE]]
                    [--add SRC[=ARCNAME]]... [--add-dir ARCNAME]... [--generate ARCNAME:SIZE]...
                    [--symlink ARCNAME=TARGET]... [--hardlink ARCNAME=TARGET]...
                    [--filecopy ARCNAME=TARGET]... [--junction ARCNAME=TARGET]...
                    [--corrupt-member ARCNAME]... [--attributes ARCNAME=VALUE]...
                    [--zeros ARCNAME:SIZE]... [--announce-ext-time ARCNAME]...
                    [--encrypt-headers] [--old-comment] [--old-packing [--solid]] [--old-blocks]
                    [--same-names]

Members go into the archive in the order they are given. ARCNAME is written exactly as given, so
hostile names (`../x`, `/x`, `C:\\x`) can be made; a RAR 4 archive stores Windows names with `\\`
as its separator, as RAR 4 does. --add of a directory adds it and everything below it, sorted;
with an empty ARCNAME (`--add DIR=`) only what is below it, at the archive's root. --generate
makes a member of SIZE bytes (suffix K, M or G: binary) from the pattern below without an input
file and without holding it in memory. --symlink makes a link that RAR 5 keeps as a redirection
record and RAR 4 as a Unix entry whose data is the target; --hardlink, --filecopy (a member that
repeats an earlier one) and --junction are RAR 5's only.
--corrupt-member stores that member with its middle byte inverted after its CRC was taken, so a
reader's CRC check must fail. --attributes gives a file Windows attributes other than archive alone
(0x20), such as 0x21 for read-only or 0x22 for hidden.
--zeros makes a member of SIZE zero bytes that is never written out: the archive file has a hole in
its place, so a member of more than 4 GiB costs neither the disk nor the time its size would, and
its CRC is found by combining that of a block of zeros.

Some archivers' ways, for readers that must take them as they are:
--announce-ext-time (RAR 4) sets that file's extended-time flag (0x1000) without writing the
extended times, as one archiver did by mistake. --old-comment (RAR 4) keeps --comment inside the
main header, as RAR 1.5 to 2.x do, whose main header CRC covers its own fields alone.
--old-packing (RAR 4) marks every file with data as packed by RAR 2.0 (unpack version 20, method
0x33); this writer has no such packer, so the bytes stand as they are for the packed stream, which a
reader that tried would find damaged. With --solid the archive is solid, as such archives often are.
--old-blocks (RAR 4, not in volumes) writes the blocks RAR 1.5 to 2.x add beside files: after each
file a sub-block of stored data (type 0x77, as NTFS security data is kept), and before the end header
a recovery record of one sector (type 0x78): the XOR of every 512-byte sector before it and the CRC
of each. Their header CRCs cover the header alone, as RAR's do.
--same-names lets a name be given more than once: the member is added again, as archivers that
append to an archive do; options that name a member apply to its first.
--encrypt-headers (RAR 5) writes the archive encryption header before the main header and every
header after it sealed: a 16-byte IV, then the header padded to 16 bytes. The seal is a stand-in for
AES-256 (this writer carries no AES): without the password a reader sees what it sees of a real one,
and no reader can open it with one. Member data is not sealed.

--compress (RAR 4 only) packs every file with the RAR 2.9 LZ format (unpack version 29, method
0x33), with Huffman-coded blocks and no PPMd and no filters; directories, empty files and links
carry no stream. The header keeps the CRC of the unpacked data; with --corrupt-member the byte
inverted is the middle one of the packed stream. --dictionary (64K to 4M, a power of two, default
4M) is as far back as a match reaches, and goes into every compressed file's header. --solid
makes one stream of all files: the main header says so, every entry after the first is marked
as continuing it, and matches reach back into the files before. How the streams are built is
told at Compressor below. Compressing holds each member in memory and takes a few microseconds a
byte: it is meant for archives of some hundred KB.

With --volume-size the archive is a volume set: no volume is larger than SIZE bytes and a member
continues from one volume into the next. --naming part (the default) writes name.part1.rar, ...,
with the number as wide as the count needs (part01 from 10 volumes on); --naming old writes
name.rar, name.r00, ... name.r99, name.s00, ... The written volumes are printed in order, one a
line; earlier volumes of the same name in DIR are removed first, since a reader would take a stale
later volume as part of the set. A compressed member's packed stream is cut just as stored data
is. A RAR 4 volume's end header carries its number, counting from 0.

Times come from the source files, else the time of the run; --mtime fixes every time (seconds
since 1970), so a re-run writes the same bytes. RAR 4 keeps DOS time, which is local time.

The generated pattern, for a reader that wants to check a member without a copy of it: the member
is a sequence of 4096-byte pages, the last one cut short. Page k starts with k as an 8-byte
little-endian number; its other 4088 bytes continue one endless stream that repeats the table T
of 65521 bytes, T[i] = x(i+1) >> 24 where x(0) = 1 and x(i+1) = (x(i) * 1103515245 + 12345) mod
2**32. So the stream starts at T[0] in page 0, at T[4088] in page 1, at T[(k * 4088) mod 65521]
in page k.
"""

import argparse
import hashlib
import heapq
import os
import re
import stat
import struct
import time
import zlib

PAGE = 4096
PAGE_BODY = PAGE - 8
TABLE_SIZE = 65521
CHUNK = 1 << 20


def _make_table():
    x, out = 1, bytearray(TABLE_SIZE)
    for i in range(TABLE_SIZE):
        x = (x * 1103515245 + 12345) & 0xFFFFFFFF
        out[i] = x >> 24
    # Long enough that one page body can be sliced from any starting point without wrapping.
    return bytes(out) + bytes(out[:PAGE_BODY])


_TABLE = None


def pattern(offset, length):
    """Bytes [offset, offset + length) of a generated member."""
    global _TABLE
    if _TABLE is None:
        _TABLE = _make_table()
    first, last = offset // PAGE, (offset + length + PAGE - 1) // PAGE
    pages = []
    for k in range(first, last):
        start = (k * PAGE_BODY) % TABLE_SIZE
        pages.append(struct.pack('<Q', k) + _TABLE[start:start + PAGE_BODY])
    skip = offset - first * PAGE
    return b''.join(pages)[skip:skip + length]


def parse_size(text):
    m = re.fullmatch(r'(\d+)([KMG]?)', text.strip(), re.IGNORECASE)
    if not m:
        raise ValueError(f'not a size: {text!r}')
    return int(m.group(1)) << {'': 0, 'K': 10, 'M': 20, 'G': 30}[m.group(2).upper()]


class Member:
    """One entry: a file (from disk or generated), a directory or a link."""

    def __init__(self, name, kind, mtime, size=0, source=None, target=None):
        self.name, self.kind, self.mtime = name, kind, mtime
        self.size, self.source, self.target = size, source, target
        self.corrupt = False
        self.attributes = None  # a file's Windows attributes; archive alone when None
        self.announce_ext_time = False
        self.data_in_archive = False
        # Set when compressed: the packed stream, the unpacked data's CRC, and whether the member
        # goes on from the solid stream of the members before it.
        self.packed, self.unpacked_crc, self.solid = None, 0, False

    def chunks(self):
        """The member's data in order, in pieces of at most CHUNK bytes."""
        if self.packed is not None:
            yield self.packed
        elif self.kind == 'generated':
            for off in range(0, self.size, CHUNK):
                yield pattern(off, min(CHUNK, self.size - off))
        elif self.kind == 'file':
            done = 0
            with open(self.source, 'rb') as f:
                while done < self.size:
                    block = f.read(min(CHUNK, self.size - done))
                    if not block:
                        raise SystemExit(f'rarwrite: {self.source} shrank while being read')
                    done += len(block)
                    yield block
        elif self.kind == 'symlink' and self.data_in_archive:
            yield self.target.encode('utf-8')
        elif self.kind == 'zeros':
            raise SystemExit('rarwrite: a member of zeros is never read whole')


ZERO_BLOCK = 1 << 20


def _affine(step):
    """The CRC after `step` as an affine map over GF(2): (images of the 32 bits, image of 0)."""
    base = step(0)
    return [step(1 << i) ^ base for i in range(32)], base


def _apply(m, crc):
    columns, constant = m
    for i in range(32):
        if crc >> i & 1:
            constant ^= columns[i]
    return constant


def crc32_zeros(crc, count):
    """zlib.crc32 of `count` zero bytes going on from `crc`, without passing them: the CRC is affine
    in the value it starts from, so the map for a block of zeros is squared for every doubling."""
    block = bytes(ZERO_BLOCK)
    m = _affine(lambda c: zlib.crc32(block, c))
    blocks, rest = divmod(count, ZERO_BLOCK)
    while blocks:
        if blocks & 1:
            crc = _apply(m, crc)
        blocks >>= 1
        if blocks:
            m = ([_apply((m[0], 0), c) for c in m[0]], _apply(m, m[1]))
    return zlib.crc32(bytes(rest), crc)


def vint(value):
    out = bytearray()
    while True:
        byte = value & 0x7F
        value >>= 7
        if value:
            out.append(byte | 0x80)
        else:
            out.append(byte)
            return bytes(out)


# RAR 5's redirection record types.
REDIRECTIONS = {'symlink': 1, 'junction': 3, 'hardlink': 4, 'filecopy': 5}


class Rar5:
    signature = b'Rar!\x1a\x07\x01\x00'
    HFL_EXTRA, HFL_DATA, HFL_SPLIT_BEFORE, HFL_SPLIT_AFTER = 0x01, 0x02, 0x08, 0x10
    HOST_WINDOWS, HOST_UNIX = 0, 1
    ATTR_ARCHIVE, ATTR_DIRECTORY = 0x20, 0x10

    def __init__(self, naming, encrypt_headers=False):
        self.naming, self.encrypt_headers = naming, encrypt_headers
        self.sealed = 0

    def seal(self, header):
        """The header as --encrypt-headers writes it: an IV, then the header padded to 16 bytes and
        mixed with a key stream drawn from the IV (see the usage text)."""
        if not self.encrypt_headers:
            return header
        self.sealed += 1
        iv = hashlib.sha256(b'rarwrite iv %d' % self.sealed).digest()[:16]
        padded = header + bytes(-len(header) % 16)
        stream = b''.join(hashlib.sha256(iv + struct.pack('<I', i)).digest()
                          for i in range((len(padded) + 31) // 32))
        return iv + bytes(a ^ b for a, b in zip(padded, stream))

    def encryption_header(self):
        """Version 0 (AES-256), a password check, 2**15 KDF rounds, a salt and the check value."""
        body = vint(0) + vint(0x01) + bytes([15]) + hashlib.sha256(b'rarwrite salt').digest()[:16]
        check = hashlib.sha256(b'rarwrite check').digest()[:8]
        return self.block(4, 0, body + check + hashlib.sha256(check).digest()[:4])

    @staticmethod
    def block(kind, flags, body, extra=b'', data_size=None):
        head = vint(kind)
        if extra:
            flags |= Rar5.HFL_EXTRA
        if data_size is not None:
            flags |= Rar5.HFL_DATA
        head += vint(flags)
        if extra:
            head += vint(len(extra))
        if data_size is not None:
            head += vint(data_size)
        head += body + extra
        sized = vint(len(head)) + head
        return struct.pack('<I', zlib.crc32(sized)) + sized

    def main_header(self, volume, index):
        flags = 0
        body = b''
        if volume:
            flags |= 0x01
            if index:
                flags |= 0x02
                body = vint(index)
        main = self.seal(self.block(1, 0, vint(flags) + body))
        return self.encryption_header() + main if self.encrypt_headers else main

    def end_header(self, volume, more, index):
        return self.seal(self.block(5, 0, vint(0x01 if more else 0)))

    def _file_block(self, kind, m, part, split_before, split_after, crc, name):
        file_flags, attr, host = 0, self.ATTR_ARCHIVE, self.HOST_WINDOWS
        extra = b''
        if m.mtime is not None:
            filetime = (int(m.mtime) + 11644473600) * 10_000_000
            record = vint(3) + vint(0x02) + struct.pack('<Q', filetime)
            extra += vint(len(record)) + record
        if m.kind == 'dir':
            file_flags |= 0x01
            attr = self.ATTR_DIRECTORY
        elif m.kind in REDIRECTIONS:
            target = m.target.encode('utf-8')
            if m.kind == 'symlink':
                host, attr = self.HOST_UNIX, 0o120777
            record = vint(5) + vint(REDIRECTIONS[m.kind]) + vint(0) + vint(len(target)) + target
            extra += vint(len(record)) + record
        else:
            file_flags |= 0x04
            attr = m.attributes if m.attributes is not None else attr
        body = vint(file_flags) + vint(m.size if m.kind not in REDIRECTIONS else 0)
        body += vint(attr)
        if file_flags & 0x04:
            body += struct.pack('<I', crc)
        body += vint(0) + vint(host) + vint(len(name)) + name
        flags = ((self.HFL_SPLIT_BEFORE if split_before else 0) |
                 (self.HFL_SPLIT_AFTER if split_after else 0))
        return self.seal(self.block(kind, flags, body, extra, data_size=part))

    def file_header(self, m, part, split_before, split_after, crc):
        return self._file_block(2, m, part, split_before, split_after, crc, m.name.encode('utf-8'))

    def comment(self, text):
        data = text.encode('utf-8')
        m = Member('CMT', 'file', None, size=len(data))
        return self._file_block(3, m, len(data), False, False, zlib.crc32(data), b'CMT') + data


# ---- RAR 2.9 compression --------------------------------------------------------------------------
# The tables and codes are those libarchive's RAR 4 reader decodes: a main code of 299 symbols
# (literals, 256 end of block, 257 filter, 258 the last match again, 259-262 an old distance,
# 263-270 a 2-byte match at a short distance, 271-298 a length slot with a distance from the
# distance code), a distance code of 60 slots, a code of 17 for the low 4 bits of far distances
# (16 repeats the last low value for it and the next 15) and a code of 28 length slots for the
# old distances. Codes are canonical, at most 15 bits, read most significant bit first.

MAIN_SYMBOLS, DISTANCE_SLOTS, LOW_SYMBOLS, LENGTH_SLOTS = 299, 60, 17, 28
TABLE_LENGTHS = MAIN_SYMBOLS + DISTANCE_SLOTS + LOW_SYMBOLS + LENGTH_SLOTS
MAX_CODE_LENGTH = 15
LENGTH_BASES = (0, 1, 2, 3, 4, 5, 6, 7, 8, 10, 12, 14, 16, 20, 24, 28, 32, 40, 48, 56, 64, 80, 96,
                112, 128, 160, 192, 224)
LENGTH_BITS = (0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 2, 2, 3, 3, 3, 3, 4, 4, 4, 4, 5, 5, 5, 5)
DISTANCE_BITS = (0, 0, 0, 0, 1, 1, 2, 2, 3, 3, 4, 4, 5, 5, 6, 6, 7, 7, 8, 8, 9, 9, 10, 10, 11, 11, 12,
                 12, 13, 13, 14, 14, 15, 15, 16, 16, 16, 16, 16, 16, 16, 16, 16, 16, 16, 16, 16, 16,
                 18, 18, 18, 18, 18, 18, 18, 18, 18, 18, 18, 18)
DISTANCE_BASES = tuple(sum(1 << b for b in DISTANCE_BITS[:i]) for i in range(DISTANCE_SLOTS))
SHORT_BASES = (0, 4, 8, 16, 32, 64, 128, 192)
SHORT_BITS = (2, 2, 3, 4, 5, 6, 6, 6)
MIN_DICTIONARY, MAX_DICTIONARY = 64 << 10, 4 << 20
BLOCK_BYTES = 16 << 10  # unpacked bytes under one set of tables
CHAIN_DEPTH = 16
MAIN, DIST, LOW, LEN = 0, 1, 2, 3  # the four codes of a table block
BITS = -1  # an op of plain bits: (BITS, value, count)
REPEAT_LAST, OLD_DISTANCE, SHORT, LONG = 258, 259, 263, 271


def _slots(bits, size):
    """The slot of every value below size, for slots of 1 << bits[slot] values each."""
    table = []
    for slot, n in enumerate(bits):
        table += [slot] * min(1 << n, size - len(table))
    return table


LENGTH_SLOT = _slots(LENGTH_BITS, 256)
SHORT_SLOT = _slots(SHORT_BITS, 256)


def distance_slot(value):
    lo, hi = 0, DISTANCE_SLOTS - 1
    while lo < hi:
        mid = (lo + hi + 1) // 2
        if DISTANCE_BASES[mid] <= value:
            lo = mid
        else:
            hi = mid - 1
    return lo


def length_bonus(distance):
    """What the reader adds to a long match's length for its distance."""
    return (distance >= 0x2000) + (distance >= 0x40000)


class BitWriter:
    def __init__(self):
        self.out, self.acc, self.count = bytearray(), 0, 0

    def put(self, value, bits):
        self.acc = (self.acc << bits) | value
        self.count += bits
        while self.count >= 8:
            self.count -= 8
            self.out.append((self.acc >> self.count) & 0xFF)
        self.acc &= (1 << self.count) - 1

    def align(self):
        if self.count:
            self.put(0, 8 - self.count)

    def tell(self):
        return len(self.out) * 8 + self.count


def code_lengths(freqs, limit=MAX_CODE_LENGTH):
    """Huffman code lengths of at most `limit` bits. The reader builds no table for a code that is
    not complete, so a code in use has two symbols at least: a lone one gets a partner."""
    used = [s for s, f in enumerate(freqs) if f]
    lengths = [0] * len(freqs)
    if not used:
        return lengths
    if len(used) == 1:
        used.append(1 if used[0] == 0 else 0)
    weights = [max(freqs[s], 1) for s in used]
    while True:
        heap = [(w, k, [k]) for k, w in enumerate(weights)]
        heapq.heapify(heap)
        depth = [0] * len(used)
        tie = len(heap)
        while len(heap) > 1:
            w1, _, a = heapq.heappop(heap)
            w2, _, b = heapq.heappop(heap)
            for k in a:
                depth[k] += 1
            for k in b:
                depth[k] += 1
            heapq.heappush(heap, (w1 + w2, tie, a + b))
            tie += 1
        if max(depth) <= limit:
            break
        weights = [(w + 1) // 2 for w in weights]
    for k, s in enumerate(used):
        lengths[s] = depth[k]
    return lengths


def canonical_codes(lengths):
    """Codes in the reader's order: by length, then by symbol."""
    codes, code = [0] * len(lengths), 0
    for length in range(1, MAX_CODE_LENGTH + 1):
        for s, n in enumerate(lengths):
            if n == length:
                codes[s] = code
                code += 1
        code <<= 1
    return codes


def match_length(buf, a, b, limit):
    n = 0
    while n < limit and n < 8:
        if buf[a + n] != buf[b + n]:
            return n
        n += 1
    if n == limit or buf[a:a + limit] == buf[b:b + limit]:
        return limit
    lo, hi = n, limit  # buf[a:a+lo] matches, buf[a:a+hi] does not
    while hi - lo > 1:
        mid = (lo + hi) // 2
        if buf[a + lo:a + mid] == buf[b + lo:b + mid]:
            lo = mid
        else:
            hi = mid
    return lo


class Parser:
    """Greedy LZ parse over one stream (a member, or every member of a solid archive) with a hash
    chain of 3-byte keys. Besides the matches it keeps the reader's match history (old distances,
    the last match), since which match symbol fits depends on it."""

    def __init__(self, buf, dictionary):
        self.buf, self.max_distance = buf, dictionary - 1
        self.head, self.pairs, self.prev = {}, [-1] * 65536, [-1] * len(buf)
        self.old, self.last_length, self.last_distance = [0, 0, 0, 0], 0, 0

    def parse(self, start, end, lo):
        """Tokens for buf[start:end], matching back no further than lo: a literal is its byte, a
        match (symbol, length, distance) with symbol REPEAT_LAST, OLD_DISTANCE + index, SHORT or
        LONG."""
        buf, head, pairs, prev = self.buf, self.head, self.pairs, self.prev
        max_distance, old = self.max_distance, self.old
        last_length, last_distance = self.last_length, self.last_distance
        tokens = []
        append = tokens.append
        i = start
        while i < end:
            left, room = end - i, i - lo
            c = buf[i]
            kind, length, distance, score = None, 1, 0, 0.5
            # The last match once more, at the length it had.
            n, d = last_length, last_distance
            if n and n <= left and d <= room and buf[i - d] == c and \
                    buf[i - d:i - d + n] == buf[i:i + n]:
                kind, length, distance, score = REPEAT_LAST, n, d, n - 0.5
            for index, d in enumerate(old):
                if d and d <= room and buf[i - d] == c:
                    n = match_length(buf, i - d, i, min(257, left))
                    if n >= 2 and n - 1 > score:
                        kind, length, distance, score = OLD_DISTANCE + index, n, d, n - 1
            key = buf[i:i + 3]
            p = head.get(key, -1)
            prev[i] = p
            head[key] = i
            if left >= 3:
                depth, best = CHAIN_DEPTH, 2
                while p >= lo and i - p <= max_distance and depth:
                    if buf[p + best] == buf[i + best]:
                        d = i - p
                        bonus = (d >= 0x2000) + (d >= 0x40000)
                        n = match_length(buf, p, i, min(258 + bonus, left))
                        if n > best and n >= 3 + bonus:
                            best = n
                            if n - 2 - (d >= 0x2000) > score:
                                kind, length, distance, score = LONG, n, d, n - 2 - (d >= 0x2000)
                            if n == left or n >= 258:
                                break
                    p = prev[p]
                    depth -= 1
            if left >= 2:
                pair = c << 8 | buf[i + 1]
                p = pairs[pair]
                pairs[pair] = i
                if kind is None and p >= lo and i - p <= 256:
                    kind, length, distance = SHORT, 2, i - p
            if kind is None:
                append(c)
                i += 1
                continue
            append((kind, length, distance))
            if kind != REPEAT_LAST:
                if kind < SHORT:
                    del old[kind - OLD_DISTANCE]
                else:
                    old.pop()
                old.insert(0, distance)
                last_length, last_distance = length, distance
            # Inside a long match only its ends are worth finding again, and skipping the rest
            # keeps long runs fast.
            inner = range(i + 1, i + length) if length <= 32 else \
                list(range(i + 1, i + 16)) + list(range(i + length - 8, i + length))
            for j in inner:
                key = buf[j:j + 3]
                prev[j] = head.get(key, -1)
                head[key] = j
                if j + 1 < end:
                    pairs[buf[j] << 8 | buf[j + 1]] = j
            i += length
        self.last_length, self.last_distance = last_length, last_distance
        return tokens


class LowState:
    """The reader's memory of far distances' low 4 bits: the last value and how many more far
    distances take it without a symbol."""

    def __init__(self):
        self.last, self.valid, self.repeats = 0, False, 0


def symbolize(tokens, low, ops, freqs):
    """Appends the ops of `tokens` to ops and counts their symbols. A run of low values that the
    reader repeats (symbol 16) is started only when the next 15 far distances of these tokens
    take the same value and after a value was sent in this member, so no run is left open at the
    end of a block or member and none depends on what came before the member."""
    fars = [k for k, t in enumerate(tokens) if type(t) is tuple and t[0] == LONG and
            distance_slot(t[2] - 1) > 9]
    run = {}
    for n in range(len(fars) - 1, -1, -1):
        k = fars[n]
        value = (tokens[k][2] - 1) & 15
        run[k] = run[fars[n + 1]] + 1 if n + 1 < len(fars) and \
            (tokens[fars[n + 1]][2] - 1) & 15 == value else 1
    main, dist, lows, lens = freqs
    for k, t in enumerate(tokens):
        if type(t) is int:
            ops.append((MAIN, t))
            main[t] += 1
            continue
        kind, length, distance = t
        if kind == REPEAT_LAST:
            ops.append((MAIN, REPEAT_LAST))
            main[REPEAT_LAST] += 1
        elif kind < SHORT:
            slot = LENGTH_SLOT[length - 2]
            ops += [(MAIN, kind), (LEN, slot)]
            main[kind] += 1
            lens[slot] += 1
            if LENGTH_BITS[slot]:
                ops.append((BITS, length - 2 - LENGTH_BASES[slot], LENGTH_BITS[slot]))
        elif kind == SHORT:
            slot = SHORT_SLOT[distance - 1]
            ops += [(MAIN, SHORT + slot), (BITS, distance - 1 - SHORT_BASES[slot], SHORT_BITS[slot])]
            main[SHORT + slot] += 1
        else:
            coded = length - length_bonus(distance) - 3
            slot = LENGTH_SLOT[coded]
            ops.append((MAIN, LONG + slot))
            main[LONG + slot] += 1
            if LENGTH_BITS[slot]:
                ops.append((BITS, coded - LENGTH_BASES[slot], LENGTH_BITS[slot]))
            value = distance - 1
            slot = distance_slot(value)
            ops.append((DIST, slot))
            dist[slot] += 1
            extra, bits = value - DISTANCE_BASES[slot], DISTANCE_BITS[slot]
            if slot <= 9:
                if bits:
                    ops.append((BITS, extra, bits))
                continue
            if bits > 4:
                ops.append((BITS, extra >> 4, bits - 4))
            if low.repeats:
                low.repeats -= 1
            elif low.valid and low.last == extra & 15 and run[k] >= 16:
                ops.append((LOW, 16))
                lows[16] += 1
                low.repeats = 15
            else:
                ops.append((LOW, extra & 15))
                lows[extra & 15] += 1
                low.last, low.valid = extra & 15, True


def write_tables(bw, lengths, old, keep):
    """A table block: not PPMd, whether the old lengths are kept (then the new ones are sent as
    differences from them, mod 16), the 20 lengths of the code for the lengths, and the 404
    lengths in that code with runs of the previous length (16, 17) and of zeros (18, 19)."""
    bw.align()
    bw.put(0, 1)
    bw.put(1 if keep else 0, 1)
    base = old if keep else [0] * TABLE_LENGTHS
    ops, i = [], 0
    while i < TABLE_LENGTHS:
        n = lengths[i]
        run = 1
        while i + run < TABLE_LENGTHS and lengths[i + run] == n and run < 138:
            run += 1
        if n == 0 and run >= 3:
            ops.append((18, run - 3, 3) if run <= 10 else (19, run - 11, 7))
        elif i and n == lengths[i - 1] and run >= 3:
            ops.append((16, run - 3, 3) if run <= 10 else (17, run - 11, 7))
        else:
            ops.append(((n - base[i]) & 15, 0, 0))
            run = 1
        i += run
    freqs = [0] * 20
    for sym, _, _ in ops:
        freqs[sym] += 1
    pre = code_lengths(freqs)
    i = 0
    while i < 20:
        if pre[i] == 0:
            run = 1
            while i + run < 20 and pre[i + run] == 0 and run < 17:
                run += 1
            if run >= 3:
                bw.put(15, 4)
                bw.put(run - 2, 4)
                i += run
                continue
        bw.put(pre[i], 4)
        if pre[i] == 15:
            bw.put(0, 4)
        i += 1
    codes = canonical_codes(pre)
    for sym, value, bits in ops:
        bw.put(codes[sym], pre[sym])
        if bits:
            bw.put(value, bits)


class Compressor:
    """Packs members' data as RAR 2.9 LZ streams, one per member with data, each starting at its
    own first byte, to be read by itself or, when solid, after the members before it.

    A stream: tables (unless it goes on with the tables before it, below), then symbols; after the
    symbol that brings a block to BLOCK_BYTES unpacked bytes, 256, bit 1 and a new set of tables
    from the next byte; at the member's end 256, bit 0 (end of the member) and a bit that is 1
    when the next member's stream starts with tables, then zero bits to the byte and zero bytes
    until 10 bits follow the start of that last 256 (libarchive looks as far ahead for every
    symbol). A set of tables starts with bit 0 (no PPMd) and the keep bit; the keep bit is set on
    every second set of the archive when there is an earlier set to keep, and never on a
    non-solid member's first set.

    Not solid: a member refers to nothing before it, neither data nor old distances nor the last
    match. Solid: the window, the tables, the old distances and the last match go on from member
    to member, and the boundary before every second member with data after the first (the 3rd,
    the 5th, ...) keeps the tables: the stream before it ends with 256, 0, 0, and the member's
    stream starts with symbols, in tables that were made for both sides. Entries without data
    (directories, empty files) take no part. In either mode a low-bits repeat (symbol 16 of that
    code) is sent only after a low value of the same member and only when the next 15 far
    distances of the same block and member take it too, so neither a member's start nor its end
    depends on how a reader keeps that memory across members."""

    def __init__(self, solid, dictionary):
        self.solid, self.dictionary = solid, dictionary

    def pack(self, datas):
        """[packed bytes] for [unpacked bytes], in member order; empty data gives no stream."""
        if self.solid:
            whole = b''.join(datas)
            parser = Parser(whole, self.dictionary)
            tokens, at = [], 0
            for data in datas:
                tokens.append(parser.parse(at, at + len(data), 0))
                at += len(data)
        else:
            tokens = []
            for data in datas:
                tokens.append(Parser(data, self.dictionary).parse(0, len(data), 0))
        streams = [i for i, data in enumerate(datas) if data]
        # Segments: (member, tokens); blocks: lists of segments under one set of tables.
        blocks = []
        for n, m in enumerate(streams):
            pieces, piece, size = [], [], 0
            for t in tokens[m]:
                piece.append(t)
                size += 1 if type(t) is int else t[1]
                if size >= BLOCK_BYTES:
                    pieces.append(piece)
                    piece, size = [], 0
            if piece:
                pieces.append(piece)
            keep_tables = self.solid and n % 2 == 0 and n > 0
            for k, piece in enumerate(pieces):
                if k == 0 and keep_tables:
                    blocks[-1].append((m, piece))
                else:
                    blocks.append([(m, piece)])
        low, member = LowState(), None
        planned = []
        for block in blocks:
            freqs = [[0] * MAIN_SYMBOLS, [0] * DISTANCE_SLOTS, [0] * LOW_SYMBOLS, [0] * LENGTH_SLOTS]
            segments = []
            for m, piece in block:
                if m != member:
                    low.valid, member = False, m
                ops = []
                symbolize(piece, low, ops, freqs)
                freqs[MAIN][256] += 1
                segments.append((m, ops))
            lengths = []
            for f in freqs:
                lengths += code_lengths(f)
            planned.append((lengths, segments))
        packed = {}
        old, tables = None, 0
        writers = {}
        for b, (lengths, segments) in enumerate(planned):
            for s, (m, ops) in enumerate(segments):
                bw = writers.get(m)
                fresh = bw is None
                if fresh:
                    bw = writers[m] = BitWriter()
                    if not self.solid:
                        old = None
                if s == 0:
                    write_tables(bw, lengths, old, old is not None and tables % 2 == 1)
                    old, tables = lengths, tables + 1
                    codes = [canonical_codes(lengths[:MAIN_SYMBOLS]),
                             canonical_codes(lengths[MAIN_SYMBOLS:MAIN_SYMBOLS + DISTANCE_SLOTS]),
                             canonical_codes(lengths[MAIN_SYMBOLS + DISTANCE_SLOTS:-LENGTH_SLOTS]),
                             canonical_codes(lengths[-LENGTH_SLOTS:])]
                    sizes = [lengths[:MAIN_SYMBOLS],
                             lengths[MAIN_SYMBOLS:MAIN_SYMBOLS + DISTANCE_SLOTS],
                             lengths[MAIN_SYMBOLS + DISTANCE_SLOTS:-LENGTH_SLOTS],
                             lengths[-LENGTH_SLOTS:]]
                put = bw.put
                for op in ops:
                    if op[0] == BITS:
                        put(op[1], op[2])
                    else:
                        put(codes[op[0]][op[1]], sizes[op[0]][op[1]])
                last_of_member = (s + 1 < len(segments) and segments[s + 1][0] != m) or (
                    s + 1 == len(segments) and (b + 1 == len(planned) or planned[b + 1][1][0][0] != m))
                at = bw.tell()
                put(codes[MAIN][256], sizes[MAIN][256])
                if last_of_member:
                    put(0, 1)
                    put(0 if s + 1 < len(segments) else 1, 1)
                    bw.align()
                    # The reader looks 10 bits ahead for every symbol, the last one too.
                    while len(bw.out) * 8 < at + 10:
                        bw.out.append(0)
                    packed[m] = bytes(bw.out)
                else:
                    put(1, 1)
        return [packed.get(i, b'') for i in range(len(datas))]


class Rar4:
    signature = b'Rar!\x1a\x07\x00'
    MHD_VOLUME, MHD_SOLID, MHD_NEWNUMBERING, MHD_FIRSTVOLUME = 0x0001, 0x0008, 0x0010, 0x0100
    LHD_SPLIT_BEFORE, LHD_SPLIT_AFTER, LHD_SOLID, LHD_DIRECTORY = 0x0001, 0x0002, 0x0010, 0x00E0
    MHD_COMMENT = 0x0002
    LHD_LARGE, LHD_UNICODE, LHD_EXTTIME, LONG_BLOCK = 0x0100, 0x0200, 0x1000, 0x8000
    HOST_WIN32, HOST_UNIX = 2, 3
    STORE, NORMAL = 0x30, 0x33
    OLD_VERSION = 20

    def __init__(self, naming, solid=False, dictionary=MAX_DICTIONARY, old_comment=None,
                 old_packing=False, old_blocks=False):
        self.naming, self.solid, self.dictionary = naming, solid, dictionary
        self.old_comment, self.old_packing, self.old_blocks = old_comment, old_packing, old_blocks

    @staticmethod
    def block(kind, flags, body):
        head = struct.pack('<BHH', kind, flags, 7 + len(body)) + body
        return struct.pack('<H', zlib.crc32(head) & 0xFFFF) + head

    def main_header(self, volume, index):
        flags = 0
        if volume:
            flags |= self.MHD_VOLUME
            if self.naming == 'part':
                flags |= self.MHD_NEWNUMBERING
            if index == 0:
                flags |= self.MHD_FIRSTVOLUME
        if self.solid:
            flags |= self.MHD_SOLID
        if self.old_comment is None or index:
            return self.block(0x73, flags, bytes(6))
        # The comment's own block inside the main header, stored; the main header's CRC covers its
        # own fields alone.
        data = self.old_comment.encode('utf-8')
        inner = struct.pack('<BHHHBBH', 0x75, 0, 13 + len(data), len(data), self.OLD_VERSION, self.STORE,
                            zlib.crc32(data) & 0xFFFF)
        inner = struct.pack('<H', zlib.crc32(inner) & 0xFFFF) + inner + data
        head = struct.pack('<BHH', 0x73, flags | self.MHD_COMMENT, 13 + len(inner)) + bytes(6)
        return struct.pack('<H', zlib.crc32(head) & 0xFFFF) + head + inner

    def end_header(self, volume, more, index):
        if not volume:
            return self.block(0x7B, 0, b'')
        return self.block(0x7B, 0x0008 | (0x0001 if more else 0), struct.pack('<H', index))

    @staticmethod
    def dos_time(mtime):
        t = time.localtime(mtime)
        if t.tm_year < 1980:
            return (1 << 21) | (1 << 16)
        return ((t.tm_year - 1980) << 25 | t.tm_mon << 21 | t.tm_mday << 16 |
                t.tm_hour << 11 | t.tm_min << 5 | t.tm_sec // 2)

    @staticmethod
    def encode_name(name):
        """The name field and whether it carries RAR 4's encoded Unicode form."""
        try:
            return name.encode('ascii'), False
        except UnicodeEncodeError:
            pass
        plain = ''.join(c if ord(c) < 128 else '_' for c in name).encode('ascii')
        units = struct.unpack(f'<{len(name.encode("utf-16-le")) // 2}H', name.encode('utf-16-le'))
        highs = [u >> 8 for u in units if u >> 8]
        high = max(set(highs), key=highs.count) if highs else 0
        out = bytearray([high])
        for i in range(0, len(units), 4):
            group = units[i:i + 4]
            flags, payload = 0, bytearray()
            for j, u in enumerate(group):
                if u >> 8 == 0:
                    op, payload = 0, payload + bytes([u & 0xFF])
                elif u >> 8 == high:
                    op, payload = 1, payload + bytes([u & 0xFF])
                else:
                    op, payload = 2, payload + bytes([u & 0xFF, u >> 8])
                flags |= op << (6 - 2 * j)
            out += bytes([flags]) + payload
        return plain + b'\0' + bytes(out), True

    def stored_name(self, m):
        return m.name if m.kind == 'symlink' else m.name.replace('/', '\\')

    def _file_block(self, kind, m, name, part, split_before, split_after, crc, flags=LONG_BLOCK):
        host, attr = self.HOST_WIN32, 0x20
        unp = m.size
        version, method = 20, self.STORE
        if m.packed is not None:
            version, method = 29, self.NORMAL
            # The dictionary size: 64 KB << n in the bits that hold 7 for a directory.
            flags |= (self.dictionary.bit_length() - 17) << 5
        elif self.old_packing and m.kind in ('file', 'generated') and m.size:
            version, method = self.OLD_VERSION, self.NORMAL
        if m.announce_ext_time:
            flags |= self.LHD_EXTTIME
        if m.solid:
            flags |= self.LHD_SOLID
        if m.kind == 'dir':
            flags |= self.LHD_DIRECTORY
            attr = 0x10
        elif m.kind == 'symlink':
            host, attr = self.HOST_UNIX, 0o120777
            unp = part
        elif m.attributes is not None:
            attr = m.attributes
        flags |= ((self.LHD_SPLIT_BEFORE if split_before else 0) |
                  (self.LHD_SPLIT_AFTER if split_after else 0))
        field, unicode = self.encode_name(name)
        if unicode:
            flags |= self.LHD_UNICODE
        large = part >= 1 << 32 or unp >= 1 << 32
        if large:
            flags |= self.LHD_LARGE
        ftime = self.dos_time(m.mtime) if m.mtime is not None else 0
        body = struct.pack('<IIBIIBBHI', part & 0xFFFFFFFF, unp & 0xFFFFFFFF, host, crc, ftime, version,
                           method, len(field), attr)
        if large:
            body += struct.pack('<II', part >> 32, unp >> 32)
        return self.block(kind, flags, body + field)

    def file_header(self, m, part, split_before, split_after, crc):
        return self._file_block(0x74, m, self.stored_name(m), part, split_before, split_after, crc)

    def sub_block(self, m):
        """An NTFS security sub-block for file M, its data stored: what follows the file's data."""
        if not self.old_blocks or m.kind not in ('file', 'generated'):
            return b''
        data = f'security of {m.name}'.encode('utf-8')
        fields = struct.pack('<IHBIBBI', len(data), 0x104, 0, len(data), self.OLD_VERSION, self.STORE,
                             zlib.crc32(data))
        return self.block(0x77, self.LONG_BLOCK, fields) + data

    def recovery_record(self, written):
        """The recovery record for the bytes WRITTEN before it, or nothing."""
        if not self.old_blocks:
            return b''
        sectors = [written[i:i + 512].ljust(512, b'\0') for i in range(0, len(written), 512)]
        parity = bytearray(512)
        for sector in sectors:
            parity = bytearray(a ^ b for a, b in zip(parity, sector))
        data = bytes(parity) + b''.join(struct.pack('<H', zlib.crc32(x) & 0xFFFF) for x in sectors)
        fields = struct.pack('<IBHI', len(data), 1, 1, len(sectors)) + b'Protect!'
        return self.block(0x78, self.LONG_BLOCK, fields) + data

    def comment(self, text):
        if self.old_comment is not None:
            return b''
        data = text.encode('utf-8')
        m = Member('CMT', 'file', None, size=len(data))
        return self._file_block(0x7A, m, 'CMT', len(data), False, False, zlib.crc32(data)) + data


def volume_name(base, naming, index, count):
    if count is None:
        return base + '.rar'
    if naming == 'part':
        return f'{base}.part{index + 1:0{len(str(count))}d}.rar'
    if index == 0:
        return base + '.rar'
    letter = chr(ord('r') + (index - 1) // 100)
    return f'{base}.{letter}{(index - 1) % 100:02d}'


def stale_volumes(directory, base):
    pattern_ = re.compile(re.escape(base) + r'(\.rar|\.part\d+\.rar|\.[r-z]\d\d)')
    return [os.path.join(directory, n) for n in os.listdir(directory) if pattern_.fullmatch(n)]


class Writer:
    def __init__(self, fmt, out, volume_size, comment, comment_every_volume=False):
        self.fmt, self.volume_size, self.comment = fmt, volume_size, comment
        self.comment_every_volume = comment_every_volume
        self.directory = os.path.dirname(os.path.abspath(out))
        self.base = os.path.basename(out)
        self.base = re.sub(r'(\.part\d+)?\.rar$', '', self.base, flags=re.IGNORECASE)
        self.temps = []
        self.f = None
        self.fresh = True
        self.end_size = len(fmt.end_header(volume_size is not None, True, 0))

    @property
    def volume(self):
        return self.volume_size is not None

    def open_volume(self):
        index = len(self.temps)
        path = os.path.join(self.directory, f'.{self.base}.rarwrite-{os.getpid()}-{index}')
        self.temps.append(path)
        self.f = open(path, 'wb')
        commented = self.comment is not None and (index == 0 or self.comment_every_volume)
        # Only a volume without the comment shows that a member fits in no volume at all.
        self.fresh = not commented
        self.f.write(self.fmt.signature + self.fmt.main_header(self.volume, index))
        if commented:
            self.f.write(self.fmt.comment(self.comment))
        if self.volume and self.f.tell() + self.end_size > self.volume_size:
            raise SystemExit('rarwrite: the volume size is too small for the archive headers')

    def close_volume(self, more):
        if getattr(self.fmt, 'old_blocks', False):
            self.f.flush()
            with open(self.temps[-1], 'rb') as written:
                self.f.write(self.fmt.recovery_record(written.read()))
        self.f.write(self.fmt.end_header(self.volume, more, len(self.temps) - 1))
        self.f.close()

    def room(self):
        return self.volume_size - self.f.tell() - self.end_size if self.volume else None

    def write_member(self, m):
        data_size = len(m.target.encode('utf-8')) if m.data_in_archive else (
            m.size if m.kind in ('file', 'generated', 'zeros') else 0)
        if m.packed is not None:
            data_size = len(m.packed)
        splittable = m.kind in ('file', 'generated', 'zeros') and data_size > 0
        remaining, whole_crc, first = data_size, 0, True
        chunks = m.chunks()
        pending, written = b'', 0
        while True:
            header_len = len(self.fmt.file_header(m, remaining, not first, False, 0))
            if self.volume:
                room = self.room() - header_len
                if room < (1 if splittable else remaining):
                    if self.fresh:
                        raise SystemExit(f'rarwrite: the volume size is too small for {m.name!r}')
                    self.close_volume(True)
                    self.open_volume()
                    continue
                part = min(remaining, room)
                if part < remaining:
                    # A shorter part may need a shorter size field, which leaves room for more data.
                    header_len = len(self.fmt.file_header(m, part, not first, True, 0))
                    fuller = self.room() - header_len
                    if len(self.fmt.file_header(m, fuller, not first, True, 0)) == header_len:
                        part = min(remaining, fuller)
            else:
                part = remaining
            split_after = part < remaining
            header_at = self.f.tell()
            self.fresh = False
            self.f.write(self.fmt.file_header(m, part, not first, split_after, 0))
            part_crc, left = 0, part
            if m.kind == 'zeros':
                # A hole in the file: the next header written after it fills the space in between.
                part_crc, whole_crc = crc32_zeros(0, part), crc32_zeros(whole_crc, part)
                self.f.seek(part, os.SEEK_CUR)
                left = 0
            while left:
                if not pending:
                    pending = memoryview(next(chunks))
                piece, pending = pending[:left], pending[left:]
                part_crc = zlib.crc32(piece, part_crc)
                whole_crc = zlib.crc32(piece, whole_crc)
                if m.corrupt and written <= data_size // 2 < written + len(piece):
                    at = data_size // 2 - written
                    piece = bytes(piece[:at]) + bytes([piece[at] ^ 0xFF]) + bytes(piece[at + 1:])
                self.f.write(piece)
                written += len(piece)
                left -= len(piece)
            # A part that the member goes on from keeps the CRC of its own bytes; the last part
            # keeps the CRC of the whole member, unpacked.
            if m.packed is not None:
                whole_crc = m.unpacked_crc
            header = self.fmt.file_header(m, part, not first, split_after,
                                          part_crc if split_after else whole_crc)
            end = self.f.tell()
            self.f.seek(header_at)
            self.f.write(header)
            self.f.seek(end)
            remaining -= part
            first = False
            if not split_after:
                if getattr(self.fmt, 'old_blocks', False):
                    self.f.write(self.fmt.sub_block(m))
                return

    def write(self, members):
        for stale in stale_volumes(self.directory, self.base):
            os.remove(stale)
        try:
            self.open_volume()
            for m in members:
                self.write_member(m)
            self.close_volume(False)
        except BaseException:
            if self.f:
                self.f.close()
            for t in self.temps:
                if os.path.exists(t):
                    os.remove(t)
            raise
        count = len(self.temps) if self.volume else None
        names = []
        for i, t in enumerate(self.temps):
            path = os.path.join(self.directory, volume_name(self.base, self.fmt.naming, i, count))
            os.replace(t, path)
            names.append(path)
        return names


class Ordered(argparse.Action):
    """Keeps every kind of member option in one list, in command-line order."""

    def __call__(self, parser, namespace, values, option_string=None):
        items = getattr(namespace, 'members', None) or []
        items.append((self.dest, values))
        namespace.members = items


def split_pair(text, sep, what):
    if sep not in text:
        raise SystemExit(f'rarwrite: {what} needs {sep}: {text!r}')
    return text.split(sep, 1) if sep == '=' else text.rsplit(sep, 1)


def collect(args, default_mtime):
    members = []

    def add_path(src, name):
        try:
            st = os.lstat(src)
        except OSError as e:
            raise SystemExit(f'rarwrite: {e}')
        mtime = default_mtime if args.mtime is not None else st.st_mtime
        if stat.S_ISDIR(st.st_mode):
            # With no name of its own a directory gives only its contents, at the archive's root.
            if name:
                members.append(Member(name, 'dir', mtime))
            for child in sorted(os.listdir(src)):
                add_path(os.path.join(src, child), f'{name}/{child}' if name else child)
        elif stat.S_ISREG(st.st_mode) and name:
            members.append(Member(name, 'file', mtime, size=st.st_size, source=src))
        else:
            raise SystemExit(f'rarwrite: {src} is no directory, nor a file with a name')

    for kind, value in args.members or []:
        if kind == 'add':
            if '=' in value:
                src, name = split_pair(value, '=', '--add')
            else:
                src, name = value, os.path.basename(value.rstrip('/'))
            add_path(src, name)
        elif kind == 'add_dir':
            members.append(Member(value, 'dir', default_mtime))
        elif kind in ('generate', 'zeros'):
            name, size = split_pair(value, ':', '--' + kind)
            members.append(Member(name, 'generated' if kind == 'generate' else 'zeros', default_mtime,
                                  size=parse_size(size)))
        elif kind in REDIRECTIONS:
            name, target = split_pair(value, '=', '--' + kind)
            members.append(Member(name, kind, default_mtime, target=target))
    names = [m.name for m in members]
    for name in args.corrupt_member or []:
        hits = [m for m in members if m.name == name]
        if not hits or hits[0].kind not in ('file', 'generated') or hits[0].size == 0:
            raise SystemExit(f'rarwrite: --corrupt-member {name!r} names no member with data')
        hits[0].corrupt = True
    for value in args.attributes or []:
        name, attributes = split_pair(value, '=', '--attributes')
        hits = [m for m in members if m.name == name and m.kind in ('file', 'generated')]
        if not hits:
            raise SystemExit(f'rarwrite: --attributes {name!r} names no file')
        try:
            hits[0].attributes = int(attributes, 0)
        except ValueError:
            raise SystemExit(f'rarwrite: --attributes {name}: {attributes!r} is no number') from None
    for name in args.announce_ext_time or []:
        hits = [m for m in members if m.name == name]
        if not hits:
            raise SystemExit(f'rarwrite: --announce-ext-time {name!r} names no member')
        hits[0].announce_ext_time = True
    if len(set(names)) != len(names) and not args.same_names:
        raise SystemExit('rarwrite: a name is given twice')
    return members


def compress(members, solid, dictionary):
    files = [m for m in members if m.kind in ('file', 'generated')]
    datas = [b''.join(m.chunks()) for m in files]
    for m, data, packed in zip(files, datas, Compressor(solid, dictionary).pack(datas)):
        m.packed, m.unpacked_crc = packed, zlib.crc32(data)
    if solid:
        for m in members[1:]:
            m.solid = True


def main(argv=None):
    p = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    p.add_argument('--out', required=True, help='DIR/name.rar; volumes are named from it')
    p.add_argument('--format', choices=('4', '5'), default='5')
    p.add_argument('--volume-size', type=parse_size)
    p.add_argument('--naming', choices=('part', 'old'), default='part')
    p.add_argument('--comment')
    p.add_argument('--comment-every-volume', action='store_true',
                   help='RAR 5: the comment block in every volume, as some archivers repeat it')
    p.add_argument('--mtime', type=float, help='every time, in seconds since 1970')
    p.add_argument('--add', action=Ordered, metavar='SRC[=ARCNAME]')
    p.add_argument('--add-dir', action=Ordered, metavar='ARCNAME')
    p.add_argument('--generate', action=Ordered, metavar='ARCNAME:SIZE')
    p.add_argument('--zeros', action=Ordered, metavar='ARCNAME:SIZE',
                   help='a member of zeros, left as a hole in the archive file')
    p.add_argument('--symlink', action=Ordered, metavar='ARCNAME=TARGET')
    p.add_argument('--hardlink', action=Ordered, metavar='ARCNAME=TARGET')
    p.add_argument('--filecopy', action=Ordered, metavar='ARCNAME=TARGET')
    p.add_argument('--junction', action=Ordered, metavar='ARCNAME=TARGET')
    p.add_argument('--corrupt-member', action='append', metavar='ARCNAME')
    p.add_argument('--attributes', action='append', metavar='ARCNAME=VALUE',
                   help="a file's Windows attributes, 0x01 read-only, 0x02 hidden (default 0x20)")
    p.add_argument('--announce-ext-time', action='append', metavar='ARCNAME',
                   help='RAR 4: the extended-time flag without the times')
    p.add_argument('--encrypt-headers', action='store_true',
                   help='RAR 5: the encryption header, and every header after it sealed')
    p.add_argument('--old-comment', action='store_true',
                   help='RAR 4: --comment inside the main header, as RAR 1.5 to 2.x keep it')
    p.add_argument('--same-names', action='store_true', help='a name may be given more than once')
    p.add_argument('--old-blocks', action='store_true',
                   help="RAR 4: RAR 2.x's sub-blocks after files and a recovery record")
    p.add_argument('--old-packing', action='store_true',
                   help='RAR 4: files marked as packed by RAR 2.0, their bytes standing for it')
    p.add_argument('--compress', action='store_true', help='RAR 4: pack files with RAR 2.9 LZ')
    p.add_argument('--solid', action='store_true', help='with --compress: one stream for all files')
    p.add_argument('--dictionary', type=parse_size, default=MAX_DICTIONARY,
                   help='with --compress: how far back a match reaches, 64K to 4M (default 4M)')
    args = p.parse_args(argv)

    if args.compress and args.format != '4':
        raise SystemExit('rarwrite: --compress is for RAR 4 only')
    if args.solid and not (args.compress or args.old_packing):
        raise SystemExit('rarwrite: --solid needs --compress or --old-packing')
    if args.format == '5' and (args.announce_ext_time or args.old_comment or args.old_packing or
                               args.old_blocks):
        raise SystemExit('rarwrite: --announce-ext-time, --old-comment, --old-packing and --old-blocks '
                         'are for RAR 4')
    if args.old_blocks and args.volume_size is not None:
        raise SystemExit('rarwrite: --old-blocks is for an archive of one volume')
    if args.format == '4' and args.encrypt_headers:
        raise SystemExit('rarwrite: --encrypt-headers is for RAR 5')
    if args.old_comment and args.comment is None:
        raise SystemExit('rarwrite: --old-comment needs --comment')
    if args.old_packing and args.compress:
        raise SystemExit('rarwrite: --old-packing and --compress are two packings')
    if args.compress and any(kind == 'zeros' for kind, _ in args.members or []):
        raise SystemExit('rarwrite: a member of zeros is stored, never compressed')
    d = args.dictionary
    if d & (d - 1) or not MIN_DICTIONARY <= d <= MAX_DICTIONARY:
        raise SystemExit('rarwrite: --dictionary is a power of two from 64K to 4M')
    fmt = Rar5(args.naming, args.encrypt_headers) if args.format == '5' else Rar4(
        args.naming, args.solid, d, args.comment if args.old_comment else None, args.old_packing,
        args.old_blocks)
    members = collect(args, args.mtime if args.mtime is not None else time.time())
    for m in members:
        if m.kind in ('hardlink', 'filecopy', 'junction') and isinstance(fmt, Rar4):
            raise SystemExit(f'rarwrite: RAR 4 has no --{m.kind}')
        # RAR 4 keeps a Unix symlink's target as the entry's data.
        m.data_in_archive = m.kind == 'symlink' and isinstance(fmt, Rar4)
    if args.compress:
        compress(members, args.solid, d)
    elif args.solid:
        for m in members[1:]:
            m.solid = True
    os.makedirs(os.path.dirname(os.path.abspath(args.out)), exist_ok=True)
    if args.comment_every_volume and (args.format != '5' or args.comment is None):
        raise SystemExit('rarwrite: --comment-every-volume is for RAR 5 with --comment')
    writer = Writer(fmt, args.out, args.volume_size, args.comment, args.comment_every_volume)
    for path in writer.write(members):
        print(path)


if __name__ == '__main__':
    main()
