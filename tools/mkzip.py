#!/usr/bin/env python3
"""Builds a ZIP archive reproducibly (sorted entries, fixed time stamps).

usage: mkzip.py OUT.zip [--store GLOB]... [--dir FOLDER]... [--file NAME=PATH]...

--dir adds every file under FOLDER, named by its path relative to FOLDER.
--file adds one file under the given entry name.
Entries are deflated at zlib's highest level, or stored where deflating
does not make them smaller (or their name matches a --store pattern).
"""
import argparse
import fnmatch
import os
import sys
import zipfile
import zlib

FIXED_TIME = (1980, 1, 1, 0, 0, 0)


def collect(args):
    entries = {}
    for folder in args.dir:
        for base, dirs, files in os.walk(folder):
            dirs.sort()
            for name in sorted(files):
                path = os.path.join(base, name)
                rel = os.path.relpath(path, folder).replace(os.sep, "/")
                entries[rel] = path
    for item in args.file:
        name, _, path = item.partition("=")
        if not name or not path:
            sys.exit(f"mkzip: bad --file {item!r}, want NAME=PATH")
        entries[name] = path
    return entries


def deflates(data):
    """Whether raw deflate at level 9 makes the bytes smaller."""
    packer = zlib.compressobj(9, zlib.DEFLATED, -15)
    return len(packer.compress(data) + packer.flush()) < len(data)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("out")
    parser.add_argument("--dir", action="append", default=[])
    parser.add_argument("--file", action="append", default=[])
    parser.add_argument("--store", action="append", default=[])
    args = parser.parse_args()

    entries = collect(args)
    tmp = args.out + ".tmp"
    with zipfile.ZipFile(tmp, "w") as zf:
        for name in sorted(entries):
            info = zipfile.ZipInfo(name, FIXED_TIME)
            with open(entries[name], "rb") as f:
                data = f.read()
            stored = any(fnmatch.fnmatch(name, p) for p in args.store) or not deflates(data)
            info.compress_type = zipfile.ZIP_STORED if stored else zipfile.ZIP_DEFLATED
            info.external_attr = 0o644 << 16
            zf.writestr(info, data, compresslevel=None if stored else 9)
    os.replace(tmp, args.out)


if __name__ == "__main__":
    main()
