#!/usr/bin/env python3
"""Renders the skin's PNG files from their SVG sources.

usage: render.py [--out FOLDER] [--check FOLDER]

Reads skin.list beside this script: each line names a PNG, its SVG source
in src/, the pixel size and KEY=value substitutions for @KEY@ placeholders.
Without options the PNGs are written to resources/skin/ of the tree, each
recompressed without loss by zopflipng (the installer carries them, and
every user downloads it). --check renders into a scratch folder and compares
every pixel with the PNGs in FOLDER (ImageMagick's compare); exits 1 on any
difference.
"""
import argparse
import os
import re
import subprocess
import sys
import tempfile

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(os.path.dirname(HERE))


def entries():
    with open(os.path.join(HERE, "skin.list"), encoding="utf-8") as f:
        for number, line in enumerate(f, 1):
            line = line.strip()
            if not line or line.startswith("#"):
                continue
            fields = line.split()
            if len(fields) < 4:
                sys.exit(f"skin.list:{number}: want FILE SOURCE WIDTH HEIGHT [KEY=value...]")
            subs = dict(f.split("=", 1) for f in fields[4:])
            yield fields[0], fields[1], int(fields[2]), int(fields[3]), subs


def optimise(path):
    """Recompresses a PNG without changing a pixel: more iterations and the
    three filter strategies that win most often."""
    subprocess.run(["zopflipng", "-y", "-m", "--filters=0me", path, path],
                   check=True, stdout=subprocess.DEVNULL)


def render(out_dir):
    os.makedirs(out_dir, exist_ok=True)
    names = []
    for name, source, width, height, subs in entries():
        with open(os.path.join(HERE, "src", source), encoding="utf-8") as f:
            svg = f.read()
        for key, value in subs.items():
            svg = svg.replace(f"@{key}@", value)
        left = re.search(r"@[A-Z_]+@", svg)
        if left:
            sys.exit(f"{name}: placeholder {left.group(0)} left unfilled")
        subprocess.run(["rsvg-convert", "--width", str(width), "--height", str(height),
                        "--format", "png", "--output", os.path.join(out_dir, name)],
                       input=svg.encode("utf-8"), check=True)
        names.append(name)
    return names


def same_pixels(a, b):
    result = subprocess.run(["compare", "-metric", "AE", a, b, "null:"],
                            capture_output=True, text=True)
    return result.returncode == 0 and result.stderr.strip() == "0"


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--out", default=os.path.join(ROOT, "resources", "skin"))
    parser.add_argument("--check")
    args = parser.parse_args()
    if not args.check:
        for name in render(args.out):
            optimise(os.path.join(args.out, name))
            print(os.path.join(args.out, name))
        return
    with tempfile.TemporaryDirectory() as scratch:
        names = render(scratch)
        committed = sorted(n for n in os.listdir(args.check) if n.endswith(".png"))
        bad = [n for n in names
               if not os.path.exists(os.path.join(args.check, n))
               or not same_pixels(os.path.join(scratch, n), os.path.join(args.check, n))]
        extra = sorted(set(committed) - set(names))
        for n in bad:
            print(f"differs from its source: {n}")
        for n in extra:
            print(f"has no source: {n}")
        sys.exit(1 if bad or extra else 0)


if __name__ == "__main__":
    main()
