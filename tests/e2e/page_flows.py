#!/usr/bin/env python3
"""The install pages driven like a user: the real installer under Wine,
against the vendor API simulator, checked by pixels, journal records,
config.ini and what it hands the browser. Screenshots of every page it
passes go to build/screenshots/page-*-100.png and dialog-*-100.png.

usage: page_flows.py --build DIR --flow NAME [--fake-product EXE]
"""
import argparse
import hashlib
import os
import shutil
import subprocess
import sys
import time

from installer_driver import (BEGIN_AGREE, BEGIN_AGREEMENT, BEGIN_CUSTOM, BEGIN_INSTALL, CLOSE,
                              CUSTOM_EXPERIENCE, CUSTOM_FOLDER, CUSTOM_INSTALL, CUSTOM_TITLE,
                              FINISHED_TRY, FIRST_BUTTON, MAIN_WND, SECOND_BUTTON,
                              WM_APP_SHOW_PAGE, WM_CLOSE, Build, DriverError, Installer, Sim,
                              near)

ACCENT = 0x4F7DFF
DISABLED = 0x6A748B
RED = 0xFF4D4F
BEGIN_WARN = "BeginChildCloseWnd"
CUSTOM_WARN = "CustomeChildCloseWnd"
# a download that stays at 50 % (the fault server), so that no failure
# dialog of the progress page comes between a flow and its next step
PACKAGE = {"downloadUrl": "http://127.0.0.17/half/pages/4000", "size": 4000,
           "md5": "0123456789abcdef0123456789abcdef", "versionCode": "2.0.0.1",
           "installationSize": 1048576}
PRODUCT = "\\Orvane\\栖木工坊"


class Checks:
    def __init__(self):
        self.failures, self.passed = [], 0

    def expect(self, ok, what):
        if ok:
            self.passed += 1
        else:
            self.failures.append(what)

    def equal(self, got, want, what):
        self.expect(got == want, f"{what}: {got!r}, want {want!r}")

    def stopped(self, build, error, shot_name):
        """a flow the driver could not go on with: the whole screen as it was, to look at"""
        os.makedirs(build.screenshots, exist_ok=True)
        shot = os.path.join(build.screenshots, shot_name + ".png")
        subprocess.run(["import", "-window", "root", shot], check=False)
        self.failures.append(f"stopped: {error}; the screen: {shot}")

    def report(self, started):
        """prints the failures and the count, and ends the script with its verdict"""
        for f in self.failures:
            print("FAIL", f)
        print(f"{self.passed} checks passed, {len(self.failures)} failed in "
              f"{time.time() - started:.1f} s")
        sys.exit(1 if self.failures else 0)


def props(app, event):
    """the properties of the event's last record, {} without one"""
    found = app.events(event)
    return found[-1].get("props", {}) if found else {}


def confirm_cancel(app, c, dialog, page_code, windows_name, reinstall=False):
    """"确认" in the cancel confirmation ends the installer with 0"""
    app.wait_for(lambda: app.visible_window(dialog), dialog)
    app.click(*FIRST_BUTTON, dialog)
    c.equal(app.wait_exit(), 0, "exit code after the confirmed cancel")
    c.expect((page_code, "0001") in app.operations(), f"operation record {page_code}/0001")
    c.equal(props(app, "pCancelInstall"),
            {"is_reinstall": reinstall, "windows_name": windows_name},
            "pCancelInstall")


def flow_begin(app, sim, c, build):
    """the agreement check box, the red hint, the disabled controls, the
    agreement's page, and the cancel confirmation declined, then confirmed"""
    sim.set_scenario({})
    app.start()
    app.wait_for(lambda: app.pixel(221, 259) == ACCENT, "the painted begin page")
    app.screenshot("page-begin-100")
    c.equal(props(app, "vInstallPage"), {"is_reinstall": False, "windows_name": "立即安装"},
            "vInstallPage")
    c.equal(app.count((257, 362, 472, 376), RED), 0, "red hint while the agreement is accepted")

    app.click(*BEGIN_AGREE)  # the check box
    app.wait_for(lambda: app.pixel(221, 259) == DISABLED, "the disabled install button")
    app.screenshot("page-begin-unticked-100")
    c.expect(app.count((257, 362, 472, 376), RED, 40) > 50, "the red hint shows")
    app.click(*BEGIN_INSTALL)  # the disabled install button and custom link do nothing
    app.click(*BEGIN_CUSTOM)
    time.sleep(0.5)
    c.equal(app.events("pConfirmInstall"), [], "no install from a disabled button")
    c.equal(app.operations(), [("0001", "0003")], "only the check box's record")

    app.click(*BEGIN_AGREE)
    app.wait_for(lambda: app.pixel(221, 259) == ACCENT, "the install button again")
    c.equal(app.count((257, 362, 472, 376), RED, 40), 0, "the red hint is gone")

    app.click(*BEGIN_AGREEMENT)  # the agreement, with the machine id
    urls = app.wait_for(app.opened_urls, "the agreement in the browser")
    c.equal(urls, ["http://www.orvane.test/kestrelvault/agreement?_mid=" +
                   app.records()[0].get("mid", "")], "the agreement's address")
    c.expect(("0001", "0004") in app.operations(), "operation record 0001/0004")

    app.click(*CLOSE)  # close: the confirmation, declined
    app.wait_for(lambda: app.visible_window(BEGIN_WARN), "the cancel confirmation")
    time.sleep(0.5)
    app.screenshot("dialog-warn-begin-100", BEGIN_WARN)
    app.click(*SECOND_BUTTON, BEGIN_WARN)
    app.wait_for(lambda: not app.window(BEGIN_WARN), "the confirmation to close")
    time.sleep(0.3)
    c.expect(app.running(), "the installer goes on after 取消")
    c.equal(app.events("pCancelInstall"), [], "no event after 取消")
    c.expect(("0005", "0002") in app.operations(), "operation record 0005/0002")

    app.click(*CLOSE)
    confirm_cancel(app, c, BEGIN_WARN, "0005", "立即安装")
    c.equal(app.operations().count(("0001", "0001")), 2, "two clicks on the close button")


def retype(app, text):
    """replaces the edit field's text and moves the focus away"""
    app.click(*CUSTOM_FOLDER)
    app.type_keys("End", "shift+Home", "BackSpace")
    app.type_text(text, delay=2)
    app.click(*CUSTOM_TITLE)  # the page title takes the focus
    time.sleep(0.3)


def flow_custom(app, sim, c, build):
    """the custom page: a typed folder gets the product's sub-folder, an
    unusable one is put back, and nothing is created for either"""
    sim.set_scenario({})
    drive_d = os.path.join(build.prefix, "drive_d")
    shutil.rmtree(os.path.join(drive_d, "Apps"), ignore_errors=True)
    with open(os.path.join(drive_d, "afile.txt"), "w") as f:
        f.write("a file, not a folder\n")
    app.start()
    app.click(*BEGIN_CUSTOM)  # 自定义安装
    default = app.wait_for(lambda: app.edit_text(5), "the custom page's edit field")
    c.equal(default, "C:\\Program Files" + PRODUCT, "the default install folder")
    c.equal(props(app, "vInstallPage"), {"is_reinstall": False, "windows_name": "自定义安装"},
            "vInstallPage of the custom page")
    c.expect(("0001", "0005") in app.operations(), "operation record 0001/0005")
    time.sleep(0.5)
    app.screenshot("page-custom-100")

    before = sorted(os.listdir(drive_d))
    retype(app, "D:\\Apps")
    c.equal(app.edit_text(5), "D:\\Apps" + PRODUCT, "a typed folder")
    for what, typed in [("relative", "Apps\\x"), ("forbidden character", "D:\\a*b"),
                        ("a file", "D:\\afile.txt"), ("no such drive", "Q:\\Apps"),
                        ("longer than MAX_PATH", "D:\\" + "a" * 262)]:
        retype(app, typed)
        c.equal(app.edit_text(5), "D:\\Apps" + PRODUCT, f"{what} put back")
    c.equal(sorted(os.listdir(drive_d)), before, "nothing created on D:")

    app.post(MAIN_WND, WM_CLOSE)
    app.wait_for(lambda: app.visible_window(CUSTOM_WARN), "the custom page's confirmation")
    time.sleep(0.5)
    app.screenshot("dialog-warn-custom-100", CUSTOM_WARN)
    confirm_cancel(app, c, CUSTOM_WARN, "0006", "自定义安装")
    os.remove(os.path.join(drive_d, "afile.txt"))


def flow_small_drive(app, sim, c, build):
    """a product larger than the drive: the warning shows and the install
    button is disabled"""
    # the answer comes late: a size no drive has would leave the installer
    # no default folder at all (a message box, and it ends)
    sim.set_scenario({"package": {"data": dict(PACKAGE, installationSize=10 ** 15),
                                  "delay_ms": 1500}})
    app.start()
    app.wait_for(lambda: sim.requests("package"), "the package query")
    time.sleep(2)
    app.click(*BEGIN_CUSTOM)
    app.wait_for(lambda: app.edit_text(5), "the custom page")
    app.move(535, 148)  # over 浏览: the page catches up with the drive
    app.wait_for(lambda: app.pixel(221, 290) == DISABLED, "the disabled install button")
    time.sleep(0.3)
    app.screenshot("page-custom-small-drive-100")
    c.expect(app.count((372, 178, 556, 202), RED, 40) > 50, "the red warning shows")
    app.click(*CUSTOM_INSTALL)
    time.sleep(0.5)
    c.equal(app.events("pConfirmInstall"), [], "no install from the disabled button")
    app.post(MAIN_WND, WM_CLOSE)
    confirm_cancel(app, c, CUSTOM_WARN, "0006", "自定义安装")


def flow_reinstall(app, sim, c, build):
    """the installed version is current: page 0 at 400 x 200, whose 安装
    leads to the begin page at 600 x 400 with the installation's folder"""
    sim.set_scenario({"package": {"data": dict(PACKAGE, versionCode="1.0.0.2")}})
    folder = os.path.join(build.prefix, "drive_d", "Tools", "KestrelVault")
    os.makedirs(folder, exist_ok=True)
    shutil.copy(build.installer, os.path.join(folder, "app.exe"))  # version 1.0.0.2
    build.set_uninstall_key("D:\\Tools\\KestrelVault\\app.exe")
    try:
        app.start()
        c.equal(app.window(MAIN_WND)[2:4], (400, 200), "page 0's window size")
        c.expect(app.events("vReInstall"), "vReInstall")
        c.equal(props(app, "vInstallPage"), {"is_reinstall": True, "windows_name": "覆盖安装"},
                "vInstallPage of page 0")
        time.sleep(0.5)
        app.screenshot("page-reminder-100")
        app.click(*SECOND_BUTTON)  # 安装
        app.wait_for(lambda: app.window(MAIN_WND)[2:4] == (600, 400), "the begin page's size")
        c.equal(props(app, "vReInstallOpera"), {"event_name": "直接安装"}, "vReInstallOpera")
        c.equal(props(app, "vInstallPage"), {"is_reinstall": True, "windows_name": "立即安装"},
                "vInstallPage of the begin page")
        app.click(*BEGIN_CUSTOM)
        folder_text = app.wait_for(lambda: app.edit_text(5), "the custom page")
        c.equal(folder_text, "D:\\Tools\\KestrelVault", "the installation's own folder")
        app.post(MAIN_WND, WM_CLOSE)
        confirm_cancel(app, c, CUSTOM_WARN, "0006", "自定义安装", reinstall=True)
    finally:
        build.delete_uninstall_key()
        shutil.rmtree(os.path.join(build.prefix, "drive_d", "Tools"), ignore_errors=True)


def flow_declined_plan(app, sim, c, build):
    """without the experience plan: "vJoinPlan" false and then nothing more,
    though the install completes; WM_CLOSE is ignored on the progress page"""
    sim.set_scenario({"package": {"data": PACKAGE}})
    app.start()
    app.click(*BEGIN_CUSTOM)
    app.wait_for(lambda: app.edit_text(5), "the custom page")
    app.click(*CUSTOM_EXPERIENCE)  # the experience check box
    time.sleep(0.3)
    app.click(*CUSTOM_INSTALL)  # 立即安装
    app.wait_for(lambda: app.events("vJoinPlan"), "vJoinPlan")
    c.equal(props(app, "vJoinPlan"), {"choose_join_plan": False}, "vJoinPlan")
    c.equal(props(app, "pConfirmInstall"), {"confirm_entrance": "开始安装"}, "pConfirmInstall")
    c.expect(("0002", "0005") in app.operations(), "operation record 0002/0005")
    count = len(app.records())
    time.sleep(0.5)
    app.screenshot("page-progress-100")
    app.post(MAIN_WND, WM_CLOSE)
    time.sleep(1)
    c.expect(app.running(), "WM_CLOSE is ignored on the progress page")
    app.post(MAIN_WND, WM_APP_SHOW_PAGE, 4)
    app.wait_for(lambda: app.config().get("General", {}).get("install") == "1", "the install key")
    app.click(*CLOSE)  # the finished page's close button
    c.equal(app.wait_exit(), 0, "exit code")
    c.equal(app.records()[count:], [], "no record after vJoinPlan")


def flow_finished(app, sim, c, build, fake_product):
    """the finished page: config.ini, the welcome address with hostile server
    text, the telemetry, and "立即体验" starting the installed product"""
    welcome = 'http://www.orvane.test/hw page"?a=1&b=2&'
    account = 'acct "x"\r\n[evil]\r\ninjected=1'
    sim.set_scenario({"package": {"data": PACKAGE},
                      "welcome": {"channels": {"huawei00": {
                          "appId": "40917263", "appName": "栖木工坊", "welcomeUrl": welcome,
                          "advertisingAccountName": account, "kelmorOcpc": False}}}})
    product = os.path.join(build.prefix, "drive_d", "Product")
    shutil.rmtree(product, ignore_errors=True)
    os.makedirs(product)
    shutil.copy(fake_product, os.path.join(product, "app.exe"))
    app.start()
    app.wait_for(lambda: sim.requests("welcome") and sim.requests("package"), "both queries")
    time.sleep(0.5)
    app.click(*BEGIN_INSTALL)  # 立即安装
    app.wait_for(lambda: app.events("vJoinPlan"), "the progress page")
    # the package's installer has run: the product is there
    build.set_uninstall_key("D:\\Product\\app.exe")
    try:
        app.post(MAIN_WND, WM_APP_SHOW_PAGE, 4)
        app.wait_for(lambda: app.opened_urls(), "the welcome page in the browser")
        time.sleep(0.5)
        app.screenshot("page-finished-100")
        # shown on the screen, though nothing on the page was clicked
        c.expect(near(app.pixel(*FINISHED_TRY), ACCENT, 12), "the finished page is painted")
        config = app.config()
        general = config.get("General", {})
        c.equal(sorted(config), ["General"], "config.ini's sections")
        for key, value in [("install", "1"), ("is_sem", "1"), ("app_id", "40917263"),
                           ("channel_id", "huawei00"), ("app_version", "2.0.0.1"),
                           ("advertising_account_name", 'acct "x"[evil]injected=1')]:
            c.equal(general.get(key), value, f"config.ini {key}")
        c.expect("injected" not in general, "no key injected through a value")
        url = general.get("welcome_url", "")
        c.equal(app.opened_urls(), [url], "the browser got the welcome_url")
        head = url.split("&session_id=")[0]
        c.equal(general.get("session_id"), hashlib.md5(head.encode()).hexdigest(), "session_id")
        c.expect(head.startswith("http://www.orvane.test/hw%20page%22?a=1&b=2&&_channel=huawei00"
                                 "&_mid="), f"the welcome URL's start: {head}")
        c.expect(url.endswith("&ad_account=acct+%22x%22%0D%0A%5Bevil%5D%0D%0Ainjected%3D1"
                              "&def_welcom_url=http%3A%2F%2Fwww.orvane.test%2Fkestrelvault"
                              "%2Fwelcome"), f"the welcome URL's end: {url}")
        c.equal([k.split("=")[0] for k in url.split("?", 1)[1].split("&")[3:10]],
                ["_channel", "_mid", "cam", "app_version", "time_stamp", "session_id",
                 "ad_account"], "the parameters' order")
        c.equal(props(app, "pSoftInstallResult"),
                {"install_status": "安装成功", "install_type": "安装器", "is_first_install": True,
                 "is_reinstall": False, "soft_package_name": "KestrelVaultSetup_huawei00"},
                "pSoftInstallResult")
        app.click(*FINISHED_TRY)  # 立即体验
        c.equal(app.wait_exit(), 0, "exit code")
        c.expect(app.events("pImmediateUse"), "pImmediateUse")
        c.expect(("0004", "0002") in app.operations(), "operation record 0004/0002")
        log = os.path.join(product, "app.exe.log")
        app.wait_for(lambda: os.path.exists(log), "the product to start")
        c.expect("Product\\app.exe" in open(log, encoding="utf-8").read(), "the product started")
    finally:
        open(os.path.join(product, "stop"), "w").close()
        build.delete_uninstall_key()
        time.sleep(0.5)  # the product sees "stop" and ends
        shutil.rmtree(product, ignore_errors=True)


def forget_earlier_runs(build):
    """What a flow that was ended early (by ctest's time limit, in an earlier
    test run in this prefix) left: an installed product would turn the begin
    page into page 0, its folders would change what D: holds."""
    build.delete_uninstall_key()
    drive_d = os.path.join(build.prefix, "drive_d")
    for name in ("Product", "Tools", "Apps"):
        shutil.rmtree(os.path.join(drive_d, name), ignore_errors=True)
    try:
        os.remove(os.path.join(drive_d, "afile.txt"))
    except FileNotFoundError:
        pass


FLOWS = {
    "BeginPage": (flow_begin, "KestrelVaultSetup.exe"),
    "CustomPage": (flow_custom, "KestrelVaultSetup.exe"),
    "SmallDrive": (flow_small_drive, "KestrelVaultSetup.exe"),
    "InstalledCurrentVersion": (flow_reinstall, "KestrelVaultSetup.exe"),
    "DeclinedExperiencePlan": (flow_declined_plan, "KestrelVaultSetup.exe"),
    "FinishedPage": (flow_finished, "KestrelVaultSetup_huawei00.exe"),
}


def main():
    p = argparse.ArgumentParser()
    p.add_argument("--build", required=True)
    p.add_argument("--flow", required=True, choices=sorted(FLOWS))
    p.add_argument("--fake-product")
    args = p.parse_args()
    build = Build(args.build)
    flow, name = FLOWS[args.flow]
    forget_earlier_runs(build)
    c = Checks()
    started = time.time()
    with Installer(build, name=name) as app:
        try:
            if args.flow == "FinishedPage":
                flow(app, Sim(build), c, build, args.fake_product)
            else:
                flow(app, Sim(build), c, build)
        except DriverError as e:
            c.stopped(build, e, f"failed-{args.flow}")
    c.report(started)


if __name__ == "__main__":
    main()
