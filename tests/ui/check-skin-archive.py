#!/usr/bin/env python3
"""Checks the skin archive that the build puts into resource 103.

usage: check-skin-archive.py SKIN.zip SKIN.list

The archive must hold exactly the files that skin.list names, flat, each a
PNG of the listed size, with stored and deflated entries both present.
"""
import struct
import sys
import zipfile


def listed(path):
    files = {}
    with open(path, encoding="utf-8") as f:
        for line in f:
            line = line.strip()
            if line and not line.startswith("#"):
                fields = line.split()
                files[fields[0]] = (int(fields[2]), int(fields[3]))
    return files


def main():
    archive, skin_list = sys.argv[1], sys.argv[2]
    want = listed(skin_list)
    problems = []
    if len(want) != 18:
        problems.append(f"skin.list names {len(want)} files, not 18")
    with zipfile.ZipFile(archive) as zf:
        infos = zf.infolist()
        names = {i.filename for i in infos}
        if names != set(want):
            problems.append(f"entries differ: missing {sorted(set(want) - names)}, "
                            f"extra {sorted(names - set(want))}")
        methods = {i.compress_type for i in infos}
        if methods != {zipfile.ZIP_STORED, zipfile.ZIP_DEFLATED}:
            problems.append(f"compression methods {sorted(methods)}, want stored and deflated")
        for info in infos:
            data = zf.read(info)
            if "/" in info.filename or "\\" in info.filename:
                problems.append(f"{info.filename}: not flat")
            if data[:8] != b"\x89PNG\r\n\x1a\n" or data[12:16] != b"IHDR":
                problems.append(f"{info.filename}: not a PNG")
                continue
            size = struct.unpack(">II", data[16:24])
            if info.filename in want and size != want[info.filename]:
                problems.append(f"{info.filename}: {size}, want {want[info.filename]}")
    for p in problems:
        print(p)
    sys.exit(1 if problems else 0)


if __name__ == "__main__":
    main()
