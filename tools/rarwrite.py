#!/usr/bin/env python3
"""Writes stored (uncompressed) RAR archives, RAR 5 or RAR 4, for the tests.

  tools/rarwrite.py --out DIR/name.rar [--format 5|4] [--volume-size SIZE] [--naming part|old]
                    [--comment TEXT] [--mtime EPOCH]
                    [--add SRC[=ARCNAME]]... [--add-dir ARCNAME]... [--generate ARCNAME:SIZE]...
                    [--symlink ARCNAME=TARGET]... [--hardlink ARCNAME=TARGET]...
                    [--corrupt-member ARCNAME]...

Members go into the archive in the order they are given. ARCNAME is written exactly as given, so
hostile names (`../x`, `/x`, `C:\\x`) can be made; a RAR 4 archive stores Windows names with `\\`
as its separator, as RAR 4 does. --add of a directory adds it and everything below it, sorted;
with an empty ARCNAME (`--add DIR=`) only what is below it, at the archive's root. --generate
makes a member of SIZE bytes (suffix K, M or G: binary) from the pattern below without an input
file and without holding it in memory. --symlink makes a link that RAR 5 keeps as a redirection
record and RAR 4 as a Unix entry whose data is the target; --hardlink is RAR 5's only.
--corrupt-member stores that member with its middle byte inverted after its CRC was taken, so a
reader's CRC check must fail.

With --volume-size the archive is a volume set: no volume is larger than SIZE bytes and a member
continues from one volume into the next. --naming part (the default) writes name.part1.rar, ...,
with the number as wide as the count needs (part01 from 10 volumes on); --naming old writes
name.rar, name.r00, ... name.r99, name.s00, ... The written volumes are printed in order, one a
line; earlier volumes of the same name in DIR are removed first, since a reader would take a stale
later volume as part of the set.

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
        self.data_in_archive = False

    def chunks(self):
        """The member's data in order, in pieces of at most CHUNK bytes."""
        if self.kind == 'generated':
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


class Rar5:
    signature = b'Rar!\x1a\x07\x01\x00'
    HFL_EXTRA, HFL_DATA, HFL_SPLIT_BEFORE, HFL_SPLIT_AFTER = 0x01, 0x02, 0x08, 0x10
    HOST_WINDOWS, HOST_UNIX = 0, 1
    ATTR_ARCHIVE, ATTR_DIRECTORY = 0x20, 0x10

    def __init__(self, naming):
        self.naming = naming

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
        return self.block(1, 0, vint(flags) + body)

    def end_header(self, volume, more, index):
        return self.block(5, 0, vint(0x01 if more else 0))

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
        elif m.kind in ('symlink', 'hardlink'):
            target = m.target.encode('utf-8')
            if m.kind == 'symlink':
                host, attr = self.HOST_UNIX, 0o120777
                record = vint(5) + vint(1) + vint(0) + vint(len(target)) + target
            else:
                record = vint(5) + vint(4) + vint(0) + vint(len(target)) + target
            extra += vint(len(record)) + record
        else:
            file_flags |= 0x04
        body = vint(file_flags) + vint(m.size if m.kind not in ('symlink', 'hardlink') else 0)
        body += vint(attr)
        if file_flags & 0x04:
            body += struct.pack('<I', crc)
        body += vint(0) + vint(host) + vint(len(name)) + name
        flags = ((self.HFL_SPLIT_BEFORE if split_before else 0) |
                 (self.HFL_SPLIT_AFTER if split_after else 0))
        return self.block(kind, flags, body, extra, data_size=part)

    def file_header(self, m, part, split_before, split_after, crc):
        return self._file_block(2, m, part, split_before, split_after, crc, m.name.encode('utf-8'))

    def comment(self, text):
        data = text.encode('utf-8')
        m = Member('CMT', 'file', None, size=len(data))
        return self._file_block(3, m, len(data), False, False, zlib.crc32(data), b'CMT') + data


class Rar4:
    signature = b'Rar!\x1a\x07\x00'
    MHD_VOLUME, MHD_NEWNUMBERING, MHD_FIRSTVOLUME = 0x0001, 0x0010, 0x0100
    LHD_SPLIT_BEFORE, LHD_SPLIT_AFTER, LHD_DIRECTORY = 0x0001, 0x0002, 0x00E0
    LHD_LARGE, LHD_UNICODE, LONG_BLOCK = 0x0100, 0x0200, 0x8000
    HOST_WIN32, HOST_UNIX = 2, 3

    def __init__(self, naming):
        self.naming = naming

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
        return self.block(0x73, flags, bytes(6))

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
        if m.kind == 'dir':
            flags |= self.LHD_DIRECTORY
            attr = 0x10
        elif m.kind == 'symlink':
            host, attr = self.HOST_UNIX, 0o120777
            unp = part
        flags |= ((self.LHD_SPLIT_BEFORE if split_before else 0) |
                  (self.LHD_SPLIT_AFTER if split_after else 0))
        field, unicode = self.encode_name(name)
        if unicode:
            flags |= self.LHD_UNICODE
        large = part >= 1 << 32 or unp >= 1 << 32
        if large:
            flags |= self.LHD_LARGE
        ftime = self.dos_time(m.mtime) if m.mtime is not None else 0
        body = struct.pack('<IIBIIBBHI', part & 0xFFFFFFFF, unp & 0xFFFFFFFF, host, crc, ftime, 20, 0x30,
                           len(field), attr)
        if large:
            body += struct.pack('<II', part >> 32, unp >> 32)
        return self.block(kind, flags, body + field)

    def file_header(self, m, part, split_before, split_after, crc):
        return self._file_block(0x74, m, self.stored_name(m), part, split_before, split_after, crc)

    def comment(self, text):
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
    def __init__(self, fmt, out, volume_size, comment):
        self.fmt, self.volume_size, self.comment = fmt, volume_size, comment
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
        # Only a volume without the comment shows that a member fits in no volume at all.
        self.fresh = index > 0 or self.comment is None
        self.f.write(self.fmt.signature + self.fmt.main_header(self.volume, index))
        if index == 0 and self.comment is not None:
            self.f.write(self.fmt.comment(self.comment))
        if self.volume and self.f.tell() + self.end_size > self.volume_size:
            raise SystemExit('rarwrite: the volume size is too small for the archive headers')

    def close_volume(self, more):
        self.f.write(self.fmt.end_header(self.volume, more, len(self.temps) - 1))
        self.f.close()

    def room(self):
        return self.volume_size - self.f.tell() - self.end_size if self.volume else None

    def write_member(self, m):
        data_size = len(m.target.encode('utf-8')) if m.data_in_archive else (
            m.size if m.kind in ('file', 'generated') else 0)
        splittable = m.kind in ('file', 'generated') and data_size > 0
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
            # keeps the CRC of the whole member.
            header = self.fmt.file_header(m, part, not first, split_after,
                                          part_crc if split_after else whole_crc)
            end = self.f.tell()
            self.f.seek(header_at)
            self.f.write(header)
            self.f.seek(end)
            remaining -= part
            first = False
            if not split_after:
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
        elif kind == 'generate':
            name, size = split_pair(value, ':', '--generate')
            members.append(Member(name, 'generated', default_mtime, size=parse_size(size)))
        elif kind in ('symlink', 'hardlink'):
            name, target = split_pair(value, '=', '--' + kind)
            members.append(Member(name, kind, default_mtime, target=target))
    names = [m.name for m in members]
    for name in args.corrupt_member or []:
        hits = [m for m in members if m.name == name]
        if not hits or hits[0].kind not in ('file', 'generated') or hits[0].size == 0:
            raise SystemExit(f'rarwrite: --corrupt-member {name!r} names no member with data')
        hits[0].corrupt = True
    if len(set(names)) != len(names):
        raise SystemExit('rarwrite: a name is given twice')
    return members


def main(argv=None):
    p = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    p.add_argument('--out', required=True, help='DIR/name.rar; volumes are named from it')
    p.add_argument('--format', choices=('4', '5'), default='5')
    p.add_argument('--volume-size', type=parse_size)
    p.add_argument('--naming', choices=('part', 'old'), default='part')
    p.add_argument('--comment')
    p.add_argument('--mtime', type=float, help='every time, in seconds since 1970')
    p.add_argument('--add', action=Ordered, metavar='SRC[=ARCNAME]')
    p.add_argument('--add-dir', action=Ordered, metavar='ARCNAME')
    p.add_argument('--generate', action=Ordered, metavar='ARCNAME:SIZE')
    p.add_argument('--symlink', action=Ordered, metavar='ARCNAME=TARGET')
    p.add_argument('--hardlink', action=Ordered, metavar='ARCNAME=TARGET')
    p.add_argument('--corrupt-member', action='append', metavar='ARCNAME')
    args = p.parse_args(argv)

    fmt = Rar5(args.naming) if args.format == '5' else Rar4(args.naming)
    members = collect(args, args.mtime if args.mtime is not None else time.time())
    for m in members:
        if m.kind == 'hardlink' and isinstance(fmt, Rar4):
            raise SystemExit('rarwrite: RAR 4 has no hard links')
        # RAR 4 keeps a Unix symlink's target as the entry's data.
        m.data_in_archive = m.kind == 'symlink' and isinstance(fmt, Rar4)
    os.makedirs(os.path.dirname(os.path.abspath(args.out)), exist_ok=True)
    for path in Writer(fmt, args.out, args.volume_size, args.comment).write(members):
        print(path)


if __name__ == '__main__':
    main()
