#!/usr/bin/env python3
"""Builds a ZIP archive reproducibly (sorted entries, fixed time stamps).

usage: mkzip.py OUT.zip [--store GLOB]... [--dir FOLDER]... [--file NAME=PATH]...

--dir adds every file under FOLDER, named by its path relative to FOLDER.
--file adds one file under the given entry name.
Entries whose name matches a --store pattern are stored, the rest deflated.
"""
import argparse
import fnmatch
import os
import sys
import zipfile

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
            stored = any(fnmatch.fnmatch(name, p) for p in args.store)
            info.compress_type = zipfile.ZIP_STORED if stored else zipfile.ZIP_DEFLATED
            info.external_attr = 0o644 << 16
            with open(entries[name], "rb") as f:
                zf.writestr(info, f.read())
    os.replace(tmp, args.out)


if __name__ == "__main__":
    main()
