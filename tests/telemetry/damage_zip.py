#!/usr/bin/env python3
"""Copies a ZIP archive and damages the stored data of one entry, so that
reading that entry fails its CRC check while the archive still opens.

usage: damage_zip.py IN.zip ENTRY OUT.zip
"""
import shutil
import struct
import sys
import zipfile


def main():
    src, entry, out = sys.argv[1:4]
    with zipfile.ZipFile(src) as zf:
        info = zf.getinfo(entry)
    shutil.copyfile(src, out)
    with open(out, "r+b") as f:
        f.seek(info.header_offset)
        header = f.read(30)
        name_len, extra_len = struct.unpack("<HH", header[26:30])
        data = info.header_offset + 30 + name_len + extra_len
        middle = data + info.compress_size // 2
        f.seek(middle)
        chunk = bytearray(f.read(64))
        for i in range(len(chunk)):
            chunk[i] ^= 0x5A
        f.seek(middle)
        f.write(chunk)


if __name__ == "__main__":
    main()
