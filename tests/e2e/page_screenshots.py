#!/usr/bin/env python3
"""Every page and dialog of the installer, built by its own class in the
gallery, at one display ratio: screenshots under build/screenshots/
(gallery-page-NAME-PCT.png), each checked for its size and its colours.

usage: page_screenshots.py --build DIR --ratio R
"""
import argparse
import os
import subprocess
import sys
import time

from installer_driver import Build, near, windows_path

# name: (base width, base height, a colour the sheet must show)
SHEETS = {
    "begin": (600, 400, 0x4F7DFF),
    "custom": (600, 400, 0x4F7DFF),
    "progress": (600, 400, 0xE0E7FA),
    "finished": (600, 400, 0x4F7DFF),
    "reminder": (400, 200, 0x4F7DFF),
    "warn": (400, 200, 0x303349),
    "error": (400, 200, 0xFF4D4F),
    "download": (400, 200, 0x303349),
    "install": (400, 200, 0x303349),
}


def read_info(path):
    info = {}
    with open(path) as f:
        for line in f:
            fields = line.split()
            if fields and fields[0] in ("sheet", "window", "scale"):
                info[fields[0]] = fields[1:]
    return info


def main():
    p = argparse.ArgumentParser()
    p.add_argument("--build", required=True)
    p.add_argument("--ratio", required=True)
    args = p.parse_args()
    build = Build(args.build)
    ratio = float(args.ratio)
    pct = str(round(ratio * 100))
    os.makedirs(build.screenshots, exist_ok=True)
    info_path = os.path.join(build.screenshots, f"gallery-pages-{pct}.info")
    for stale in (info_path, info_path + ".next"):
        if os.path.exists(stale):
            os.remove(stale)
    gallery = subprocess.Popen(
        [build.wine_run, build.prefix, os.path.join(build.dir, "tools", "gallery", "gallery.exe"),
         "--sheet", ",".join(SHEETS), "--ratio", args.ratio, "--info", windows_path(info_path)],
        stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    failures = []
    try:
        for name, (width, height, color) in SHEETS.items():
            deadline = time.time() + 60
            info = {}
            while info.get("sheet") != [name]:
                if time.time() > deadline or gallery.poll() is not None:
                    raise SystemExit(f"the gallery did not show {name}")
                time.sleep(0.1)
                info = read_info(info_path) if os.path.exists(info_path) else {}
            x, y, w, h = (int(v) for v in info["window"])
            if (w, h) != (round(width * ratio), round(height * ratio)):
                failures.append(f"{name}: {w}x{h} at ratio {ratio}")
            out = os.path.join(build.screenshots, f"gallery-page-{name}-{pct}.png")
            # the sheet paints while this waits: until its colour shows
            for _ in range(30):
                subprocess.run(["import", "-window", "root", "-crop", f"{w}x{h}+{x}+{y}",
                                "+repage", out], check=True)
                data = subprocess.run(["convert", out, "-depth", "8", "rgb:-"],
                                      capture_output=True, check=True).stdout
                seen = sum(1 for i in range(0, len(data), 3)
                           if near((data[i] << 16) | (data[i + 1] << 8) | data[i + 2], color, 3))
                if seen > 20 * ratio * ratio:
                    break
                time.sleep(0.2)
            else:
                failures.append(f"{name}: no #{color:06X} in {out}")
            open(info_path + ".next", "w").close()
        gallery.wait(timeout=30)
    finally:
        if gallery.poll() is None:
            gallery.kill()
            gallery.wait()
    for f in failures:
        print("FAIL", f)
    print(f"{len(SHEETS)} sheets, {len(failures)} failures; screenshots in {build.screenshots}")
    sys.exit(1 if failures else 0)


if __name__ == "__main__":
    main()
