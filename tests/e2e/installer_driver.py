"""Drives the real installer under Wine on the test display like a user does,
for the end-to-end tests. Python standard library plus xdotool and
ImageMagick; runs inside scripts/test's namespace (loopback only, Xvfb,
the test prefix).

    from installer_driver import Build, Installer, Sim

    build = Build("build/wine-tests")                # paths of a wine-tests build
    sim = Sim(build)
    sim.set_scenario({"package": {"data": {"versionCode": "1.0.0.2"}}})
    with Installer(build, name="KestrelVaultSetup_huawei00.exe") as app:
        app.start()                                  # copy, start, wait for the main window
        app.click(*BEGIN_INSTALL)                    # logical pixels of the window, x the ratio
        app.visible_window("BeginChildCloseWnd")     # (x, y, w, h, 1) of a window class, or None
        app.click(250, 164, "BeginChildCloseWnd")    # ... and a click in that window
        app.type_keys("End", "shift+Home")
        app.type_text("D:\\\\Apps")
        app.edit_text(5)                             # the text of the main window's edit field
        app.pixel(217 + 4, 255 + 4)                  # RGB at logical pixels, as an int
        app.screenshot("begin-100")                  # PNG under build/screenshots/
        app.records()                                # what this run recorded (dicts)
        app.events("vInstallPage")                   # ... only those events
        app.operations()                             # [(page code, control code), ...]
        app.config()                                 # config.ini as {section: {key: value}}
        app.opened_urls()                            # what the installer gave the browser
        app.post(MAIN_WND, WM_APP_SHOW_PAGE, 4)      # a window message, as a page would post it
        app.wait_exit()                              # the exit code
    sim.requests("package")                          # the simulator's log of an endpoint
    build.set_uninstall_key("D:\\\\Tools\\\\app.exe")  # an installed product; delete_uninstall_key

Every wait polls with a deadline (Installer.TIMEOUT seconds) and raises
DriverError when it passes; Installer's exit kills an installer that is
still running, so that none outlives its test, and parks the pointer in
the screen's corner (as start does), so that no test begins with a control
under it. Coordinates given to click, pixel and screenshot are the design's
logical pixels of a window (the main window unless another class is
named), multiplied by the window's own scale (its width over its base
width). The test prefix has a drive D: (its folder drive_d) for install
folders.
"""
import glob
import json
import os
import shutil
import subprocess
import tempfile
import time

MAIN_WND = "OrvanePkg-Window-5F2E9A71-3C08-4B6D-9E14-A7D2C0B84F63"
UNINSTALL_KEY = ("HKLM\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\"
                 "{5F2E9A71-3C08-4B6D-9E14-A7D2C0B84F63}_is1")
BROWSER_KEY = "HKCU\\Software\\Wine\\WineBrowser"
WM_CLOSE = 0x0010
WM_APP_SHOW_PAGE = 0x8000 + 106

# The pages' controls, in logical pixels of their window: every flow and
# scripts/demo click these places.
BEGIN_AGREE = (27, 369)  # the agreement's check box
BEGIN_AGREEMENT = (203, 369)  # 用户使用协议
BEGIN_INSTALL = (300, 279)
BEGIN_CUSTOM = (530, 369)
CUSTOM_FOLDER = (300, 148)
CUSTOM_TITLE = (100, 94)  # takes the focus away from the folder field
CUSTOM_EXPERIENCE = (135, 232)
CUSTOM_INSTALL = (300, 310)
PROGRESS_HIDE = (540, 36)
FINISHED_TRY = (300, 324)  # 立即体验
CLOSE = (570, 32)  # the close button of the 600 x 400 pages
FIRST_BUTTON, SECOND_BUTTON = (250, 164), (338, 164)  # a dialog's two buttons
REMINDER_INSTALL = SECOND_BUTTON
BANNER = (0, 0, 600, 300)  # the progress page's picture


class DriverError(Exception):
    pass


class Build:
    """The paths of a wine-tests build folder and of the source tree."""

    def __init__(self, build_dir, source_dir=None):
        self.dir = os.path.abspath(build_dir)
        self.source = os.path.abspath(source_dir or os.path.join(os.path.dirname(__file__),
                                                                 "..", ".."))
        self.prefix = os.environ.get("WINEPREFIX") or os.path.join(self.dir, "wineprefix")
        self.wine_run = os.path.join(self.source, "scripts", "lib", "wine-run")
        self.installer = os.path.join(self.dir, "KestrelVaultSetup.exe")
        self.wintool = os.path.join(self.dir, "tests", "e2e", "wintool.exe")
        self.peers = os.path.join(self.dir, "peers")
        # what the analytics sink stored (peer analytics)
        self.sink_records = os.path.join(self.peers, "analytics", "records.jsonl")
        self.screenshots = os.path.join(self.dir, "screenshots")

    def wine(self, *args, check=True):
        """runs a Windows program to its end; its output as text"""
        done = subprocess.run([self.wine_run, self.prefix] + [str(a) for a in args],
                              stdin=subprocess.DEVNULL, capture_output=True, timeout=60)
        if check and done.returncode != 0:
            raise DriverError(f"{args[0]} {args[1:]} ended with {done.returncode}: "
                              f"{done.stderr.decode(errors='replace')[-300:]}")
        return done.stdout.decode("utf-8", errors="replace")

    def cache_root(self):
        """the installer's package cache root (roaming AppData\\OrvanePkg) on the Linux side"""
        found = glob.glob(os.path.join(self.prefix, "drive_c", "users", "*", "AppData",
                                       "Roaming"))
        found = [f for f in found if "/Public/" not in f]
        if not found:
            raise DriverError("no roaming AppData folder in the prefix")
        return os.path.join(found[0], "OrvanePkg")

    def set_uninstall_key(self, display_icon):
        """an installed product whose program is display_icon (a Windows path)"""
        self.wine("reg", "add", UNINSTALL_KEY, "/v", "DisplayIcon", "/t", "REG_SZ",
                  "/d", display_icon, "/f")

    def delete_uninstall_key(self):
        self.wine("reg", "delete", UNINSTALL_KEY, "/f", check=False)


def windows_path(path):
    """the Windows path of a Linux path (Wine maps / to Z:)"""
    return "Z:" + os.path.abspath(path).replace("/", "\\")


class Sim:
    """The vendor API simulator of peer vendor-sim: its scenario and request log."""

    def __init__(self, build):
        self.state = os.path.join(build.peers, "vendor-sim")
        self.serial = 0

    def set_scenario(self, scenario):
        """replaces the scenario (a dict) and empties the request log"""
        self.serial += 1
        scenario = dict(scenario, _serial=f"{os.getpid()}.{self.serial}.{time.time()}")
        temp = os.path.join(self.state, "scenario.json.tmp")
        with open(temp, "w") as f:
            json.dump(scenario, f)
        os.replace(temp, os.path.join(self.state, "scenario.json"))
        open(os.path.join(self.state, "requests.log"), "wb").close()

    def requests(self, endpoint=None):
        """[(endpoint, raw bytes), ...] since the last scenario, in order"""
        try:
            with open(os.path.join(self.state, "requests.log"), "rb") as f:
                log = f.read()
        except FileNotFoundError:
            return []
        out, at = [], 0
        while log.startswith(b"=== ", at):
            end = log.index(b"\n", at)
            fields = log[at + 4:end].split()
            size = int(fields[4])
            out.append((fields[2].decode(), log[end + 1:end + 1 + size]))
            at = end + 1 + size + 1
        return [r for r in out if endpoint is None or r[0] == endpoint]


class Installer:
    """One run of the installer, copied under a file name of its own."""

    TIMEOUT = 30

    def __init__(self, build, name="KestrelVaultSetup.exe"):
        self.build = build
        self.name = name
        self.scratch = tempfile.mkdtemp(prefix="orvane-e2e-")
        self.path = os.path.join(self.scratch, name)
        self.process = None
        self.exit_code = None
        self.journal_path = os.path.join(build.cache_root(), "Qlx", "Qlx.journal")
        self.sink_path = build.sink_records
        self.recorded_before = set()
        self.pid = None
        self.folders_before = working_folders(build.prefix)
        self.urls_path = os.path.join(self.scratch, "opened-urls.txt")

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        if self.process and self.process.poll() is None:
            self.process.kill()
            self.process.wait()
        # a killed installer leaves its working folder: the next run, and
        # the next test run in this prefix, find the drives as this one did
        for folder in working_folders(self.build.prefix) - self.folders_before:
            shutil.rmtree(folder, ignore_errors=True)
        park_pointer()  # for the next test on the display
        self.build.wine("reg", "delete", BROWSER_KEY, "/v", "Browsers", "/f", check=False)
        shutil.rmtree(self.scratch, ignore_errors=True)

    # -- the process -------------------------------------------------------

    def start(self):
        """copies and starts the installer; waits until its main window shows"""
        shutil.copy(self.build.installer, self.path)
        # the browser the installer hands URLs to notes them instead of opening them
        recorder = os.path.join(self.scratch, "browser.sh")
        with open(recorder, "w") as f:
            f.write(f"#!/bin/sh\nprintf '%s\\n' \"$@\" >> '{self.urls_path}'\n")
        os.chmod(recorder, 0o755)
        self.build.wine("reg", "add", BROWSER_KEY, "/v", "Browsers", "/t", "REG_SZ",
                        "/d", recorder, "/f")
        # one installer at a time (the tests hold the installer-session lock):
        # working folders found now are those of runs that were killed
        for folder in working_folders(self.build.prefix):
            shutil.rmtree(folder, ignore_errors=True)
        self.folders_before = working_folders(self.build.prefix)
        self.recorded_before = recorded_uids(self.journal_path, self.sink_path)
        self.pid = None
        park_pointer()
        self.process = subprocess.Popen([self.build.wine_run, self.build.prefix, self.path],
                                        stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                                        stderr=subprocess.DEVNULL)
        # a first start in a fresh prefix takes longer
        shown = self.wait_for(lambda: self.visible_window(MAIN_WND), "the main window",
                              timeout=2 * self.TIMEOUT)
        # the Windows process id that its records carry
        self.pid = int(self.build.wine(self.build.wintool, "pid", MAIN_WND).split()[0])
        return shown

    def running(self):
        return self.process is not None and self.process.poll() is None

    def wait_exit(self, timeout=None):
        """the exit code once the installer has ended"""
        try:
            self.exit_code = self.process.wait(timeout or self.TIMEOUT)
        except subprocess.TimeoutExpired:
            raise DriverError("the installer did not end")
        return self.exit_code

    def wait_for(self, probe, what="a condition", timeout=None):
        """polls probe() until it gives something true; returns that"""
        deadline = time.time() + (timeout or self.TIMEOUT)
        while True:
            got = probe()
            if got:
                return got
            if time.time() > deadline:
                raise DriverError(f"waited in vain for {what}")
            time.sleep(0.15)

    # -- windows -----------------------------------------------------------

    def window(self, cls=MAIN_WND):
        """(x, y, width, height, visible) of the first window of the class, or None"""
        out = self.build.wine(self.build.wintool, "find", cls, check=False).split()
        return tuple(int(v) for v in out) if len(out) == 5 else None

    def visible_window(self, cls=MAIN_WND):
        w = self.window(cls)
        return w if w and w[4] else None

    def scale(self, cls=MAIN_WND):
        w = self.window(cls)
        if not w:
            raise DriverError(f"no window of class {cls}")
        # 600 x 400 pages; 400 x 200 dialogs and the main window on page 0
        base = 400 if w[2] == 2 * w[3] else 600
        return w, w[2] / base

    def to_screen(self, x, y, cls=MAIN_WND):
        w, s = self.scale(cls)
        return int(w[0] + x * s), int(w[1] + y * s)

    def click(self, x, y, cls=MAIN_WND):
        """a left click at logical pixels of the window"""
        sx, sy = self.to_screen(x, y, cls)
        subprocess.run(["xdotool", "mousemove", str(sx), str(sy)], check=True)
        time.sleep(0.1)
        subprocess.run(["xdotool", "click", "1"], check=True)
        time.sleep(0.2)

    def move(self, x, y, cls=MAIN_WND):
        sx, sy = self.to_screen(x, y, cls)
        subprocess.run(["xdotool", "mousemove", str(sx), str(sy)], check=True)
        time.sleep(0.2)

    def type_text(self, text, delay=30):
        """types into the window that has the keyboard, `delay` ms a key"""
        subprocess.run(["xdotool", "type", "--delay", str(delay), text], check=True)

    def type_keys(self, *keys):
        subprocess.run(["xdotool", "key", "--delay", "30"] + list(keys), check=True)

    def post(self, cls, message, wparam=0, lparam=0):
        self.build.wine(self.build.wintool, "post", cls, hex(message), hex(wparam), hex(lparam))

    def edit_text(self, control_id, cls=MAIN_WND):
        return self.build.wine(self.build.wintool, "text", cls, control_id).rstrip("\r\n")

    # -- pixels --------------------------------------------------------------

    def grab(self, cls=MAIN_WND):
        """the window's pixels now: (width, height, scale, RGB bytes)"""
        w, s = self.scale(cls)
        data = subprocess.run(["import", "-window", "root", "-crop",
                               f"{w[2]}x{w[3]}+{w[0]}+{w[1]}", "+repage", "-depth", "8",
                               "rgb:-"], capture_output=True, check=True).stdout
        return w[2], w[3], s, data

    def banner(self):
        """the progress page's banner, every fourth pixel in both directions"""
        width, _, s, data = self.grab()
        left, top, right, bottom = (int(v * s) for v in BANNER)
        return bytes(data[(y * width + x) * 3 + k] for y in range(top, bottom, 4)
                     for x in range(left, right, 4) for k in range(3))

    def pixel(self, x, y, cls=MAIN_WND):
        """the RGB of a logical pixel of the window, as 0xRRGGBB"""
        width, _, s, data = self.grab(cls)
        i = (int(y * s) * width + int(x * s)) * 3
        return (data[i] << 16) | (data[i + 1] << 8) | data[i + 2]

    def count(self, rect, color, tolerance=12, cls=MAIN_WND):
        """pixels near the colour inside a logical rectangle (left, top, right, bottom)"""
        width, _, s, data = self.grab(cls)
        left, top, right, bottom = (int(v * s) for v in rect)
        n = 0
        for y in range(top, bottom):
            for x in range(left, right):
                i = (y * width + x) * 3
                if near((data[i] << 16) | (data[i + 1] << 8) | data[i + 2], color, tolerance):
                    n += 1
        return n

    def screenshot(self, name, cls=MAIN_WND):
        """the window as build/screenshots/<name>.png; its path"""
        w, _ = self.scale(cls)
        os.makedirs(self.build.screenshots, exist_ok=True)
        path = os.path.join(self.build.screenshots, name + ".png")
        subprocess.run(["import", "-window", "root", "-crop", f"{w[2]}x{w[3]}+{w[0]}+{w[1]}",
                        "+repage", path], check=True)
        return path

    # -- what the installer wrote -------------------------------------------

    def records(self):
        """what this run recorded through the SDK, in order (see recorded_records)"""
        if self.pid is None:
            return []
        return recorded_records(self.journal_path, self.sink_path, self.recorded_before,
                                {self.pid})

    def events(self, name=None):
        """the event records, or those of one event"""
        return [r for r in self.records()
                if r.get("type") == 6 and (name is None or r.get("event") == name)]

    def operations(self):
        """the operation records as (page code, control code)"""
        out = []
        for r in self.records():
            if r.get("type") == 2:
                fields = dict((f[0], f[1]) for f in r.get("fields", []))
                out.append((fields.get(10, ""), fields.get(11, "")))
        return out

    def config(self):
        """config.ini as {section: {key: value}}; {} without the file"""
        path = os.path.join(self.build.cache_root(), "KESTRELVAULT", "config.ini")
        try:
            with open(path, "rb") as f:
                raw = f.read()
        except FileNotFoundError:
            return {}
        if raw.startswith(b"\xff\xfe"):
            text = raw[2:].decode("utf-16-le", errors="replace")
        else:
            text = raw.decode("utf-8", errors="replace")
        section, out = None, {}
        for line in text.splitlines():
            line = line.strip()
            if line.startswith("[") and line.endswith("]"):
                section = line[1:-1]
            elif "=" in line:
                key, value = line.split("=", 1)
                out.setdefault(section, {})[key] = value
        return out

    def opened_urls(self):
        try:
            with open(self.urls_path) as f:
                return [line.rstrip("\n") for line in f]
        except FileNotFoundError:
            return []


def working_folders(prefix):
    """the installer's per-run working folders at the drives' roots"""
    return set(glob.glob(os.path.join(prefix, "drive_[cd]", "OrvanePkg_*")))


def complete_lines(path):
    """the lines of a file that end with a newline, as bytes"""
    try:
        with open(path, "rb") as f:
            return f.read().split(b"\n")[:-1]
    except FileNotFoundError:
        return []


def _recorded(journal_path, sink_path):
    """(uid, record) of the sink's stored records, then of the journal's lines
    that the sink does not hold: uploads go from the journal's front, so that
    is journal order"""
    out, seen = [], set()
    for path in (sink_path, journal_path):
        for line in complete_lines(path):
            try:
                record = json.loads(line)
            except ValueError:
                continue  # a line a killed writer left unfinished
            uid = record.get("uid") if isinstance(record, dict) else None
            if uid and uid not in seen:
                seen.add(uid)
                out.append((uid, record))
    return out


def recorded_uids(journal_path, sink_path):
    """the uids of everything recorded so far"""
    return {uid for uid, _ in _recorded(journal_path, sink_path)}


def recorded_records(journal_path, sink_path, before=(), pids=None):
    """What programs recorded through the SDK: the SDK drops the lines the
    analytics sink acknowledged from its journal, so the records are those
    the sink stored (records.jsonl) and the journal's lines not sent yet,
    each once by uid, in journal order; without the uids in `before` (what
    was there before a run), and only those of the Windows process ids in
    `pids` unless it is None."""
    return [r for uid, r in _recorded(journal_path, sink_path)
            if uid not in before and (pids is None or r.get("pid") in pids)]


def park_pointer():
    """the pointer to the screen's corner: where an earlier test left it, it
    would hover over a control"""
    subprocess.run(["xdotool", "mousemove", "0", "0"], check=True)


def near(a, b, tolerance):
    return all(abs(((a >> s) & 255) - ((b >> s) & 255)) <= tolerance for s in (0, 8, 16))
