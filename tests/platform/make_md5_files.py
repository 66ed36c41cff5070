#!/usr/bin/env python3
"""Writes the files of the Md5File test and their digests as md5sum gives
them: sizes around the 64-byte block and the 4 KiB and 64 KiB pieces, and
one large file, with bytes that do not repeat with any small period.

usage: make_md5_files.py OUTDIR
"""
import os
import subprocess
import sys

SIZES = [1, 55, 64, 4095, 4096, 4097, 8193, 65535, 65536, 65537, (32 << 20) + 123]


def pattern(size):
    # a linear congruential stream, one byte per step
    out = bytearray(size)
    state = 0x9E3779B97F4A7C15
    mask = (1 << 64) - 1
    for i in range(min(size, 1 << 16)):
        state = (state * 6364136223846793005 + 1442695040888963407) & mask
        out[i] = state >> 56
    # beyond 64 KiB, blocks of the stream shifted by their index
    block = bytes(out[: 1 << 16])
    for start in range(1 << 16, size, 1 << 16):
        n = min(1 << 16, size - start)
        k = (start >> 16) % 251
        out[start : start + n] = bytes((b + k) & 0xFF for b in block[:n])
    return bytes(out)


def main():
    folder = sys.argv[1]
    os.makedirs(folder, exist_ok=True)
    names = []
    for size in SIZES:
        name = f"data-{size}"
        with open(os.path.join(folder, name), "wb") as f:
            f.write(pattern(size))
        names.append(name)
    digests = subprocess.run(["md5sum", *names], cwd=folder, check=True, capture_output=True,
                             text=True).stdout
    with open(os.path.join(folder, "md5sum.txt"), "w") as f:
        f.write(digests)


if __name__ == "__main__":
    main()
