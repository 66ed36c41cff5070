#!/usr/bin/env python3
"""The progress page driven like a user: the real installer under Wine
downloads a package stand-in (tests/support/package_standin.cpp) from
nginx or the fault server, runs it and reacts to its exit code, against
the vendor API simulator. Checked by the bar's pixels, the banner's pixels,
journal records, the stand-in's log of its command lines and what the
installer hands the browser. Screenshots go to build/screenshots/progress-*.

usage: progress_flows.py --build DIR --flow NAME
"""
import argparse
import hashlib
import os
import subprocess
import time
import uuid

from installer_driver import (BEGIN_CUSTOM, BEGIN_INSTALL, CUSTOM_EXPERIENCE, CUSTOM_INSTALL,
                              FIRST_BUTTON, MAIN_WND, PROGRESS_HIDE, Build, DriverError, Installer,
                              Sim, windows_path)
from page_flows import Checks, props

ACCENT = 0x4F7DFF
RETRY_WND = "ProgressChildCloseWnd"
MANUAL_DOWNLOAD_WND = "ProgressDReminderWnd"
MANUAL_INSTALL_WND = "ProgressIReminderWnd"
WM_LBUTTONUP = 0x0202
WM_APP_TRAY_NOTIFY = 0x8000 + 110
FOLDER = "C:\\Program Files\\Orvane\\栖木工坊"  # spaces and Chinese characters
SILENT = " /SILENT /VERYSILENT /SP- /noicons "
# the page's geometry at scale 1.0 (logical pixels of the 600 x 400 window)
BAR = (48, 552, 361)  # the bar's left and right, and a row through its middle


class Package:
    """the stand-in on the CDN (nginx), as the package query names it"""

    def __init__(self, build, broken=False):
        self.source = os.path.join(build.dir, "tests", "support", "package_standin.exe")
        self.www = os.path.join(build.peers, "nginx-cdn", "www", "progress")
        os.makedirs(self.www, exist_ok=True)
        self.name = uuid.uuid4().hex[:8] + ".exe"
        self.bytes = open(self.source, "rb").read()
        self.put(broken)

    def put(self, broken):
        """the right stand-in, or one whose last byte differs (its MD5 fails)"""
        data = self.bytes[:-1] + bytes([self.bytes[-1] ^ 1]) if broken else self.bytes
        temp = os.path.join(self.www, self.name + ".tmp")
        with open(temp, "wb") as f:
            f.write(data)
        os.replace(temp, os.path.join(self.www, self.name))

    def data(self):
        return {"downloadUrl": "http://cdn.orvane.test/progress/" + self.name,
                "size": len(self.bytes), "md5": hashlib.md5(self.bytes).hexdigest(),
                "versionCode": "2.0.0.1", "installationSize": 1048576}


def standin(app, exit_code=0, sleep_ms=0):
    """what the stand-in does when the installer starts it; its log's path"""
    log = os.path.join(app.scratch, "standin.log")
    os.environ.update(ORVANE_STANDIN_EXIT=str(exit_code), ORVANE_STANDIN_SLEEP_MS=str(sleep_ms),
                      ORVANE_STANDIN_LOG=windows_path(log))
    return log


def log_lines(path):
    try:
        with open(path, encoding="utf-8") as f:
            return [line.rstrip("\n") for line in f]
    except FileNotFoundError:
        return []


def forget_packages(build):
    """no package remembered by an earlier run (it would stand in for a failed download)"""
    try:
        os.remove(os.path.join(build.cache_root(), "KESTRELVAULT", "config.ini"))
    except FileNotFoundError:
        pass


def bar_percent(app):
    """the bar's filled share of its track, in percent, from its pixels"""
    left, right, y = BAR
    return round(100 * app.count((left, y, right, y + 1), ACCENT, 30) / (right - left))


def wait_percent(app, want, what, timeout=None):
    return app.wait_for(lambda: bar_percent(app) == want, f"{what}: the bar at {want} %", timeout)


def install(app):
    app.wait_for(lambda: app.pixel(221, 259) == ACCENT, "the painted begin page")
    app.click(*BEGIN_INSTALL)
    app.wait_for(lambda: app.events("vSoftDownloadStart"), "the download's start")


def flow_download(app, sim, c, build):
    """40 % at a download of 50 %; the skin picture until the GIF arrives,
    then an animation; hiding in the notification area and coming back by
    the icon and by a second instance"""
    forget_packages(build)
    tag = uuid.uuid4().hex[:8]
    sim.set_scenario({"package": {"data": {"downloadUrl": f"http://127.0.0.17/half/{tag}/4000",
                                           "size": 4000, "versionCode": "2.0.0.1"}},
                      "config": {"delay_ms": 4000}})
    app.start()
    install(app)
    wait_percent(app, 40, "a download at 50 %")
    skin = app.banner()
    app.screenshot("progress-downloading-100")
    app.wait_for(lambda: sim.requests("picture"), "the banner's picture")
    app.wait_for(lambda: app.banner() != skin, "the GIF in the banner")
    first = app.banner()
    app.screenshot("progress-banner-a-100")
    app.wait_for(lambda: app.banner() not in (skin, first), "the banner's next frame", 5)
    app.screenshot("progress-banner-b-100")
    c.equal(bar_percent(app), 40, "still 40 % while the download stays at 50 %")

    app.click(*PROGRESS_HIDE)
    app.wait_for(lambda: not app.visible_window(), "the window to hide")
    c.expect(("0003", "0001") in app.operations(), "operation record 0003/0001")
    # what the shell sends for a click on the icon
    app.post(MAIN_WND, WM_APP_TRAY_NOTIFY, 0, WM_LBUTTONUP)
    app.wait_for(lambda: app.visible_window(), "the window back from the icon")
    c.expect(("0003", "0002") in app.operations(), "operation record 0003/0002")

    app.click(*PROGRESS_HIDE)
    app.wait_for(lambda: not app.visible_window(), "the window to hide again")
    second = subprocess.Popen([build.wine_run, build.prefix, app.path],
                              stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                              stderr=subprocess.DEVNULL)
    c.equal(second.wait(60), 0, "the second instance ends")
    app.wait_for(lambda: app.visible_window(), "the window back for the second instance")
    c.equal(app.operations().count(("0003", "0002")), 1, "no icon click recorded for it")


def flow_install(app, sim, c, build):
    """the installer's run: 87 % seven seconds in, 99 % after twenty, the
    exact command line, and exit code 0 leading to the finished page"""
    forget_packages(build)
    package = Package(build)
    sim.set_scenario({"package": {"data": package.data()}})
    log = standin(app, exit_code=0, sleep_ms=22000)
    app.start()
    install(app)
    app.wait_for(lambda: log_lines(log), "the installer to start", 60)
    started = time.time()
    line = log_lines(log)[0]
    c.expect(line.startswith('"') and line.endswith(
        '"' + SILENT + '-nowelcome /DIR="' + FOLDER + '"'), f"the command line: {line}")
    c.expect(line.split('"')[1].endswith("\\KESTRELVAULT\\KestrelVaultSetup_install_v2.0.0.1.exe"),
             f"the package's path: {line}")
    c.expect(app.events("vSoftInstallStart"), "vSoftInstallStart")
    time.sleep(max(0, started + 7.4 - time.time()))
    c.expect(bar_percent(app) in (87, 88), f"87 % seven seconds in: {bar_percent(app)}")
    app.screenshot("progress-installing-100")
    time.sleep(max(0, started + 20.5 - time.time()))
    c.equal(bar_percent(app), 99, "99 % after twenty seconds")
    app.wait_for(lambda: app.events("pSoftInstallResult"), "the finished page", 30)
    c.equal(app.events("vSoftInstallError"), [], "no install error")


def retry_now(app, failed, what, screenshot=None, before=None):
    """waits for the failure and its retry dialog, then clicks 立即重试; a
    new dialog of the next failure may come at once, so the wait is for the
    failure's record, not for the dialog to close"""
    app.wait_for(failed, what)
    app.wait_for(lambda: app.visible_window(RETRY_WND), f"the retry dialog after {what}")
    time.sleep(0.5)
    if screenshot:
        app.screenshot(screenshot, RETRY_WND)
    if before:
        before()
    app.click(*FIRST_BUTTON, cls=RETRY_WND)


def flow_failures(app, sim, c, build):
    """two download failures, then three install failures (exit code 2),
    counted apart: retry dialogs of kind 1 and 2, then the manual install,
    whose 确认 runs the package with its own user interface"""
    forget_packages(build)
    package = Package(build, broken=True)
    sim.set_scenario({"package": {"data": package.data()}})
    log = standin(app, exit_code=2)
    app.start()
    install(app)
    for attempt in (1, 2):
        retry_now(app, lambda: len(app.events("pSoftDownloadResult")) >= attempt,
                  f"download failure {attempt}",
                  screenshot="progress-dialog-download-retry-100" if attempt == 1 else None,
                  before=None if attempt == 1 else lambda: package.put(broken=False))
    c.equal([props_of(e) for e in app.events("pSoftDownloadResult")],
            [{"download_time": -1, "soft_download_status": "下载失败"}] * 2 +
            [{"download_time": "any", "soft_download_status": "下载成功"}],
            "two failed downloads, then one")
    c.equal(app.operations().count(("0007", "0001")), 2, "retry-now records of kind 1")

    for attempt in (1, 2):
        retry_now(app, lambda: len(app.events("vSoftInstallError")) >= attempt,
                  f"install failure {attempt}")
        c.equal(props(app, "vSoftInstallError"), {"error_status": "2"}, "vSoftInstallError")
    c.equal(app.operations().count(("0008", "0001")), 2, "retry-now records of kind 2")
    app.wait_for(lambda: app.visible_window(MANUAL_INSTALL_WND), "the manual install")
    time.sleep(0.5)
    app.screenshot("progress-dialog-manual-install-100", MANUAL_INSTALL_WND)
    c.equal(len(app.events("vSoftInstallError")), 3, "three install errors")
    app.click(*FIRST_BUTTON, cls=MANUAL_INSTALL_WND)
    c.equal(app.wait_exit(), 0, "the installer ends")
    c.expect(("0011", "0001") in app.operations(), "operation record 0011/0001")
    runs = app.wait_for(lambda: len(log_lines(log)) >= 4 and log_lines(log), "the manual run")
    c.expect(all(SILENT in r for r in runs[:3]), "three silent runs")
    c.expect(SILENT.strip() not in runs[3] and runs[3].split('"')[1] == runs[0].split('"')[1],
             f"the manual run, with its own interface: {runs[3]}")


def props_of(event):
    p = dict(event.get("props", {}))
    if p.get("soft_download_status") == "下载成功":
        p["download_time"] = "any"
    return p


def flow_download_failures(app, sim, c, build):
    """three download failures lead to the manual download, whose 确认
    opens the package's address through the SDK"""
    forget_packages(build)
    sim.set_scenario({"package": {"data": {"downloadUrl": "http://127.0.0.19/none.exe",
                                           "size": 4000, "versionCode": "2.0.0.1"}}})
    app.start()
    install(app)
    for attempt in (1, 2):
        retry_now(app, lambda: len(app.events("pSoftDownloadResult")) >= attempt,
                  f"download failure {attempt}")
    app.wait_for(lambda: app.visible_window(MANUAL_DOWNLOAD_WND), "the manual download")
    time.sleep(0.5)
    app.screenshot("progress-dialog-manual-download-100", MANUAL_DOWNLOAD_WND)
    app.click(*FIRST_BUTTON, cls=MANUAL_DOWNLOAD_WND)
    c.equal(app.wait_exit(), 0, "the installer ends")
    # the shell hands it to the browser on its own time
    c.equal(app.wait_for(app.opened_urls, "the browser"),
            ["https://cdn.orvane.test/application/soft_package/pc/10284/software/32bit/install.exe"],
            "the package's address in the browser")
    c.expect(("0010", "0001") in app.operations(), "operation record 0010/0001")
    c.equal(len(app.events("pSoftDownloadResult")), 3, "three failed downloads")


def flow_without_plan(app, sim, c, build):
    """without the experience plan the command line carries -noexperience"""
    forget_packages(build)
    package = Package(build)
    sim.set_scenario({"package": {"data": package.data()}})
    log = standin(app)
    app.start()
    app.click(*BEGIN_CUSTOM)  # 自定义安装
    app.wait_for(lambda: app.edit_text(5), "the custom page")
    app.click(*CUSTOM_EXPERIENCE)  # the experience plan's check box
    time.sleep(0.3)
    app.click(*CUSTOM_INSTALL)  # 立即安装
    lines = app.wait_for(lambda: log_lines(log), "the installer to start", 60)
    c.expect(lines[0].endswith('"' + SILENT + '-noexperience -nowelcome /DIR="' + FOLDER + '"'),
             f"the command line: {lines[0]}")


FLOWS = {
    "Download": flow_download,
    "Install": flow_install,
    "Failures": flow_failures,
    "DownloadFailures": flow_download_failures,
    "WithoutPlan": flow_without_plan,
}


def main():
    p = argparse.ArgumentParser()
    p.add_argument("--build", required=True)
    p.add_argument("--flow", required=True, choices=sorted(FLOWS))
    args = p.parse_args()
    build = Build(args.build)
    c = Checks()
    started = time.time()
    with Installer(build) as app:
        try:
            FLOWS[args.flow](app, Sim(build), c, build)
        except DriverError as e:
            c.stopped(build, e, f"progress-stopped-{args.flow}")
    c.report(started)


if __name__ == "__main__":
    main()
