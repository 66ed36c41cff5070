#!/usr/bin/env python3
"""Runs the gallery under Wine on the test display, takes a screenshot of
its window with ImageMagick's import and checks pixels and geometry against
what the pages require.

usage: gallery-screenshot.py --wine-run SCRIPT --prefix DIR --gallery EXE
                             --sheet widgets|begin --ratio R --out PNG

The screenshot stays at PNG; for the begin sheet a second one, taken with
the pointer over the install button, goes next to it (-hover.png).
"""
import argparse
import os
import subprocess
import sys
import time

PAGE = 0x1F1F1F
ACCENT = 0x4F7DFF
ACCENT_LIGHT = 0x5D8EFC
TEXT = 0xE0E7FA
SUBTEXT = 0xA2ABC3
RED = 0xFF4D4F
DISABLED = 0x6A748B
SECONDARY = 0x303349
CLOSE_HOVER = 0xFF4D4F

# the begin page's geometry at scale 1.0 (left, top, right, bottom)
BEGIN_GEOMETRY = {
    "topbar": (20, 24, 580, 40),
    "close": (562, 24, 578, 40),
    "logo": (20, 52, 580, 186),
    "title": (20, 186, 580, 222),
    "redtext": (20, 222, 580, 247),
    "install": (217, 255, 383, 303),
    "row": (20, 352, 580, 376),
    "checkbox": (20, 362, 149, 376),
    "link": (149, 362, 257, 376),
    "hint": (257, 362, 472, 376),
    "custom": (472, 362, 580, 376),
}


def windows_path(path):
    return "Z:" + os.path.abspath(path).replace("/", "\\")


class Shot:
    def __init__(self, path, width, height):
        self.width, self.height = width, height
        self.data = subprocess.run(["convert", path, "-depth", "8", "rgb:-"],
                                   capture_output=True, check=True).stdout
        if len(self.data) != width * height * 3:
            raise SystemExit(f"{path}: {len(self.data)} bytes, want {width}x{height} RGB")

    def pixel(self, x, y):
        i = (int(y) * self.width + int(x)) * 3
        return (self.data[i] << 16) | (self.data[i + 1] << 8) | self.data[i + 2]

    def count(self, rect, color, tolerance):
        left, top, right, bottom = rect
        return sum(1 for y in range(top, bottom) for x in range(left, right)
                   if near(self.pixel(x, y), color, tolerance))


def near(a, b, tolerance):
    return all(abs(((a >> s) & 255) - ((b >> s) & 255)) <= tolerance for s in (0, 8, 16))


class Checker:
    def __init__(self):
        self.failures = []
        self.passed = 0

    def expect(self, ok, what):
        if ok:
            self.passed += 1
        else:
            self.failures.append(what)

    def color_at(self, shot, x, y, color, tolerance, what):
        got = shot.pixel(x, y)
        self.expect(near(got, color, tolerance),
                    f"{what}: pixel ({int(x)},{int(y)}) is #{got:06X}, want #{color:06X} ±{tolerance}")

    def ink(self, shot, rect, color, tolerance, minimum, what):
        n = shot.count(rect, color, tolerance)
        self.expect(n >= minimum, f"{what}: {n} pixels of #{color:06X} in {rect}, want {minimum}+")


def read_info(path):
    info = {"widgets": {}}
    with open(path) as f:
        for line in f:
            fields = line.split()
            if fields[0] == "window":
                info["window"] = tuple(int(v) for v in fields[1:5])
            elif fields[0] == "scale":
                info["scale"] = float(fields[1])
            elif fields[0] == "widget":
                info["widgets"][fields[1]] = tuple(int(v) for v in fields[2:6])
    return info


def at(rect, fx, fy):
    """a point at fractions of a rectangle"""
    left, top, right, bottom = rect
    return left + (right - left) * fx, top + (bottom - top) * fy


def check_widgets(c, shot, w, scale):
    gap = w["buttons.gap1"]
    c.color_at(shot, *at(gap, 0.5, 0.5), PAGE, 2, "page background")
    for state, color in enumerate([ACCENT, ACCENT_LIGHT, ACCENT_LIGHT, DISABLED]):
        r = w[f"btn.{state}"]
        c.color_at(shot, r[0] + 4, r[1] + 4, color, 3, f"button background, state {state}")
        c.color_at(shot, r[2] - 5, r[3] - 5, color, 3, f"button background, state {state}")
        c.ink(shot, r, TEXT, 12, int(20 * scale * scale), f"button caption, state {state}")
    for state, color in enumerate([SECONDARY, ACCENT, ACCENT]):
        r = w[f"sec.{state}"]
        c.color_at(shot, r[0] + 4, r[1] + 4, color, 3, f"secondary button, state {state}")
    c.color_at(shot, *at(w["close.0.image"], 0.12, 0.5), PAGE, 8, "close button without a disc")
    c.color_at(shot, *at(w["close.1.image"], 0.2, 0.5), CLOSE_HOVER, 40, "close button hover disc")
    for state, color in enumerate([TEXT, ACCENT_LIGHT, ACCENT_LIGHT, TEXT]):
        c.ink(shot, w[f"link.{state}"], color, 12, int(10 * scale * scale),
              f"agreement link text, state {state}")
    c.color_at(shot, *at(w["cb.sel.image"], 0.15, 0.5), ACCENT, 40, "selected check box")
    c.color_at(shot, *at(w["cb.desel.image"], 0.5, 0.5), PAGE, 16, "empty check box")
    c.ink(shot, w["cb.sel"], TEXT, 12, int(10 * scale * scale), "check box caption")
    c.ink(shot, w["cb.sel.hover"], ACCENT_LIGHT, 12, int(10 * scale * scale), "hovered caption")
    c.ink(shot, w["title"], TEXT, 10, int(40 * scale * scale), "title text")
    c.ink(shot, w["subtitle"], SUBTEXT, 10, int(20 * scale * scale), "subtitle text")
    c.ink(shot, w["hint"], RED, 10, int(20 * scale * scale), "red hint")
    bar = w["bar.50"]
    mid = (bar[1] + bar[3]) / 2
    c.color_at(shot, bar[0] + (bar[2] - bar[0]) * 0.25, mid, ACCENT, 3, "50 % bar, filled part")
    c.color_at(shot, bar[0] + (bar[2] - bar[0]) * 0.75, mid, SECONDARY, 3, "50 % bar, track")
    empty = w["bar.0"]
    c.expect(empty[3] > empty[1], "0 % bar has a size")
    c.ink(shot, empty, SECONDARY, 3, 10, "0 % bar track")
    c.expect(shot.count(empty, ACCENT, 30) == 0, "0 % bar shows no fill")
    full = w["bar.100"]
    c.color_at(shot, full[0] + (full[2] - full[0]) * 0.9, (full[1] + full[3]) / 2, ACCENT, 3,
               "100 % bar")
    c.expect(not near(shot.pixel(full[0], full[1]), ACCENT, 30), "pill bar has round ends")
    square = w["bar.square"]
    c.color_at(shot, square[0], square[1], ACCENT, 3, "square bar has square ends")
    edit = w["edit"]
    mid = (edit[1] + edit[3]) / 2
    # the page shows through where the sunken edge and the border would be
    for x in (edit[0], edit[0] + 1):
        c.color_at(shot, x, mid, shot.pixel(edit[0] - 2, mid), 6,
                   "edit field: no sunken edge painted")
    c.ink(shot, edit, TEXT, 30, int(10 * scale * scale), "edit field text")


def check_begin(c, shot, w, scale):
    for name, rect in BEGIN_GEOMETRY.items():
        want = tuple(v * scale for v in rect)
        got = w[name]
        c.expect(all(abs(g - v) <= 1 for g, v in zip(got, want)),
                 f"{name} at {got}, want {tuple(round(v, 1) for v in want)}")
    install = w["install"]
    c.color_at(shot, install[0] + 4, install[1] + 4, ACCENT, 3, "install button")
    c.ink(shot, install, TEXT, 12, int(60 * scale * scale), "install caption")
    c.ink(shot, w["title"], TEXT, 10, int(40 * scale * scale), "product name")
    c.ink(shot, w["link"], TEXT, 12, int(10 * scale * scale), "agreement link")
    c.expect(shot.count(w["hint"], RED, 20) == 0, "hint hidden while the agreement is accepted")
    c.color_at(shot, *at(w["checkbox.image"], 0.15, 0.5), ACCENT, 40, "check box selected")
    logo = w["logo"]
    c.color_at(shot, *at(logo, 0.02, 0.5), PAGE, 8, "logo cell beside the logo")
    c.expect(not near(shot.pixel(*at(logo, 0.5, 0.25)), PAGE, 30), "logo drawn in its cell")


def grab(window, path):
    x, y, width, height = window
    subprocess.run(["import", "-window", "root", "-crop", f"{width}x{height}+{x}+{y}", "+repage",
                    path], check=True)
    return Shot(path, width, height)


def settle(window, path, ready, seconds=20):
    """screenshots until `ready` holds for one, or the time is up"""
    deadline = time.time() + seconds
    while True:
        shot = grab(window, path)
        if ready(shot) or time.time() > deadline:
            return shot
        time.sleep(0.3)


def main():
    p = argparse.ArgumentParser()
    p.add_argument("--wine-run", required=True)
    p.add_argument("--prefix", required=True)
    p.add_argument("--gallery", required=True)
    p.add_argument("--sheet", required=True)
    p.add_argument("--ratio", required=True)
    p.add_argument("--out", required=True)
    args = p.parse_args()

    out = os.path.abspath(args.out)
    os.makedirs(os.path.dirname(out), exist_ok=True)
    info_path, until = out + ".info", out + ".done"
    for stale in (info_path, until):
        if os.path.exists(stale):
            os.remove(stale)
    gallery = subprocess.Popen(
        [args.wine_run, args.prefix, args.gallery, "--sheet", args.sheet, "--ratio", args.ratio,
         "--info", windows_path(info_path), "--until", windows_path(until)],
        stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    c = Checker()
    try:
        deadline = time.time() + 90
        while not os.path.exists(info_path):
            if gallery.poll() is not None:
                raise SystemExit(f"the gallery ended with {gallery.returncode} before showing")
            if time.time() > deadline:
                raise SystemExit("the gallery did not show its window within 90 seconds")
            time.sleep(0.2)
        info = read_info(info_path)
        scale = float(args.ratio)
        window = info["window"]
        c.expect(abs(info["scale"] - scale) < 1e-6, f"scale {info['scale']}, want {scale}")
        c.expect(window[2:] == (round(600 * scale), round(400 * scale)),
                 f"window {window[2]}x{window[3]}")
        # the window paints while the test waits; on a busy machine that
        # takes a while, so wait until a known pixel shows the page
        w = info["widgets"]
        probe = w["btn.0" if args.sheet == "widgets" else "install"]

        def painted(s):
            if not near(s.pixel(probe[0] + 4, probe[1] + 4), ACCENT, 3):
                return False
            # the edit control paints itself after the page
            return args.sheet != "widgets" or s.count(w["edit"], TEXT, 30) >= 10

        shot = settle(window, out, painted)
        if args.sheet == "begin":
            check_begin(c, shot, info["widgets"], scale)
            # the pointer over the install button: the page shows its hover look
            install = info["widgets"]["install"]
            cx, cy = at(install, 0.5, 0.5)
            subprocess.run(["xdotool", "mousemove", str(int(window[0] + cx)),
                            str(int(window[1] + cy))], check=True)
            hover = settle(window, out.replace(".png", "-hover.png"),
                           lambda s: near(s.pixel(install[0] + 4, install[1] + 4), ACCENT_LIGHT, 3))
            c.color_at(hover, install[0] + 4, install[1] + 4, ACCENT_LIGHT, 3,
                       "install button under the pointer")
            subprocess.run(["xdotool", "mousemove", "0", "0"], check=True)
        else:
            check_widgets(c, shot, info["widgets"], scale)
    finally:
        open(until, "w").close()
        try:
            gallery.wait(timeout=30)
        except subprocess.TimeoutExpired:
            gallery.kill()
            gallery.wait()
    for f in c.failures:
        print("FAIL", f)
    print(f"{c.passed} checks passed, {len(c.failures)} failed; screenshot {out}")
    sys.exit(1 if c.failures else 0)


if __name__ == "__main__":
    main()
