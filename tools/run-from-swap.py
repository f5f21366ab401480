#!/usr/bin/env python3
"""Marks PE images to be run from the swap file when started from removable or network media.

GNU ld has no switch for these two COFF characteristics. Without them Windows pages the code in
again from the medium, which by then may hold the next disc.
Usage: run-from-swap.py IMAGE...
"""
import struct
import sys

REMOVABLE_RUN_FROM_SWAP = 0x0400
NET_RUN_FROM_SWAP = 0x0800
PE_SIGNATURE = b"PE\0\0"


def checksum(image, field):
    """The PE checksum over the whole file, its own field counted as 0."""
    data = image[:field] + b"\0\0\0\0" + image[field + 4:]
    if len(data) % 2:
        data += b"\0"
    total = 0
    for (word,) in struct.iter_unpack("<H", data):
        total += word
        total = (total & 0xFFFF) + (total >> 16)
    return (total + len(image)) & 0xFFFFFFFF


def mark(path):
    with open(path, "r+b") as file:
        image = bytearray(file.read())
        (header,) = struct.unpack_from("<I", image, 0x3C)
        if image[:2] != b"MZ" or image[header:header + 4] != PE_SIGNATURE:
            sys.exit(f"run-from-swap.py: {path} is not a PE image")
        characteristics = header + 4 + 18
        (flags,) = struct.unpack_from("<H", image, characteristics)
        struct.pack_into("<H", image, characteristics, flags | REMOVABLE_RUN_FROM_SWAP | NET_RUN_FROM_SWAP)
        # A checksum Windows checks must cover the new flags; an image without one stays without.
        field = header + 24 + 64
        (old,) = struct.unpack_from("<I", image, field)
        if old:
            struct.pack_into("<I", image, field, checksum(image, field))
        file.seek(0)
        file.write(image)


if __name__ == "__main__":
    if len(sys.argv) < 2:
        sys.exit(__doc__)
    for image_path in sys.argv[1:]:
        mark(image_path)
