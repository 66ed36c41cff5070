#!/usr/bin/env python3
"""The end-to-end scenarios: the real installer, driven like a user through
the pages' driver (installer_driver.py, via clickthrough.User), installing
the demo package in a loopback world of its own (stage.py). Each run checks
the pages it saw by their pixels (and keeps their screenshots), config.ini,
the uninstall entry, the demo product's files, the SDK journal's event
sequence, and the simulator's and the CDN's request logs.

ctest starts each case in a network namespace of its own (`unshare --net
--mount`), so the cases run in parallel. What a run left is kept in
build/wine-tests/e2e/runs/<case>, its screenshots in <case>/screenshots."""
import faulthandler
import hashlib
import os
import subprocess
import unittest

import clickthrough as ct
import stage as st
from installer_driver import MAIN_WND, Installer

# where a case hangs, printed before ctest's time limit (300 s) ends it
faulthandler.dump_traceback_later(270, exit=True)

BUILD = os.environ.get("ORVANE_E2E_BUILD", os.path.join(st.ROOT, "build", "wine-tests"))
TEMPLATE = os.environ.get("ORVANE_E2E_TEMPLATE",
                          os.path.join(BUILD, "e2e", "prefix-template"))
# the gateway's address where the build's own endpoints do not point
HIDDEN_API_IP = "127.0.0.41"
DEFAULT_FOLDER = "C:\\Program Files\\Orvane\\栖木工坊"  # spaces and Chinese characters
SILENT = " /SILENT /VERYSILENT /SP- /noicons "
WM_CLOSE = 0x0010
# what every run sends before its first page (records without an event
# name by their kind)
START = ["pSoftInstall", "(launch)", "(report)", "vResourceMgrStart"]
INSTALLED = ["vJoinPlan", "vSoftDownloadStart", "pSoftDownloadResult", "vSoftInstallStart",
             "pSoftInstallResult", "vOpenUrl"]
END = ["(report)", "vSoftQuit"]


def names(records):
    """journal records as names: the event, or the record's kind"""
    kinds = {1: "(launch)", 2: "(operation)", 4: "(report)"}
    return [r.get("event") or kinds.get(r.get("type"), "(other)") for r in records]


def in_order(items, wanted):
    """True when `wanted` appears in `items` in this order (gaps allowed)."""
    it = iter(items)
    return all(any(x == w for x in it) for w in wanted)


def props(app, event):
    found = app.events(event)
    return found[-1].get("props", {}) if found else None


class Scenario(unittest.TestCase):
    def setUp(self):
        case = self.id().rsplit(".", 1)[-1]
        self.stage = st.Stage(os.path.join(BUILD, "e2e", "runs", case), BUILD, TEMPLATE)
        self.addCleanup(self.stage.stop)
        self.shots = os.path.join(self.stage.work, "screenshots")
        for name in ("ORVANE_DEMO_FAIL", "ORVANE_DEMO_DELAY_MS"):
            os.environ.pop(name, None)

    # --- the world and the run ----------------------------------------------------

    def world(self, gateway="direct", package=None):
        """The vendor simulator answering with the demo package (or
        `package`'s changes to that answer), nginx serving it, a display and
        a fresh prefix. `gateway`: "direct"; "dns", reachable only through the
        installer's own resolver; "proxy", only through the user's proxy."""
        s = self.stage
        if gateway == "direct":
            s.enter()
            api = (st.API_IP,)
        elif gateway == "dns":
            s.enter(api_in_hosts=False)
            api = (HIDDEN_API_IP,)
        else:
            s.enter(api_ip=st.UNREACHABLE_IP)
            api = (HIDDEN_API_IP,)
        answer = s.package_answer(**(package or {}))
        s.start_vendor({"package": {"reply": "ok", "data": answer}}, api_ips=api)
        s.start_cdn()
        if gateway == "dns":
            # once the own resolver worked, every name of the run goes to it
            s.start_public_dns({st.API_HOST: HIDDEN_API_IP, st.CDN_HOST: st.CDN_IP,
                                "conv.orvane.test": st.CONV_IP})
        if gateway == "proxy":
            # once the proxy worked, every connection of the run goes through it
            s.start_proxy({st.API_HOST: HIDDEN_API_IP, st.CDN_HOST: st.CDN_IP,
                           "conv.orvane.test": st.CONV_IP})
        s.start_display()
        s.make_prefix()
        if gateway == "proxy":
            s.set_user_proxy(f"{st.PROXY_IP}:{st.PROXY_PORT}")
        self.build, self.sim = ct.driver_for(s, self.shots)
        return answer

    def run_installer(self, name="KestrelVaultSetup_huawei00.exe", **env):
        """a run of the installer and the user at it; `env` goes to the
        installer and so to the package (ORVANE_DEMO_FAIL, ..._DELAY_MS)"""
        # the package takes a moment, so that the progress page is seen
        env.setdefault("ORVANE_DEMO_DELAY_MS", "1500")
        os.environ.update(env)
        app = Installer(self.build, name=name)
        self.addCleanup(app.__exit__, None, None, None)
        app.start()
        return app, ct.User(self.stage, app)

    def install_from_begin_page(self, user):
        user.see("begin")
        user.click(ct.BEGIN_INSTALL)
        user.see("progress")
        user.wait_finished()

    def close_finished_page(self, app, user):
        user.click(ct.CLOSE)
        self.assertEqual(app.wait_exit(), 0)

    # --- checks -------------------------------------------------------------------

    def assert_installed(self, folder, experience=True, answer=None, runs=1):
        """the demo product in `folder`, its uninstall entry, and what the
        installer recorded about it (the last of `runs` installs)"""
        s = self.stage
        version = s.paths["version"]
        entry = s.uninstall_entry()
        self.assertIsNotNone(entry, "no uninstall entry")
        self.assertEqual(entry.get("DisplayIcon"), folder + "\\KestrelVault.exe")
        self.assertEqual(entry.get("DisplayVersion"), version)
        self.assertEqual(entry.get("InstallLocation"), folder + "\\")
        self.assertEqual(entry.get("UninstallString"), f'"{folder}\\uninstall.exe"')
        self.assertEqual(s.product_files(folder), ["KestrelVault.exe", "product.ini",
                                                   "uninstall.exe"])
        product = st.read_ini(s.host_path(folder + "\\product.ini"))["Setup"]
        self.assertEqual(product["version"], version)
        self.assertEqual(product["experience"], "1" if experience else "0")
        self.assertEqual(product["welcome"], "0")
        self.assertEqual(product["icons"], "0")
        # the progress page's command line, as the package got it
        self.assertEqual(product["command_line"],
                         SILENT.lstrip() + ("" if experience else "-noexperience ")
                         + f'-nowelcome /DIR="{folder}"')

        config = s.config_ini()
        answer = answer or s.package_answer()
        for key, value in (("install", "1"), ("is_sem", "1"), ("app_id", st.APP_ID),
                           ("channel_id", "huawei00"), ("app_version", version),
                           ("advertising_account_name", "acct_huawei00"),
                           ("md5", answer["md5"])):
            self.assertEqual(config.get(key), value, key)
        url = config.get("welcome_url", "")
        self.assertTrue(url.startswith("http://www.orvane.test/kestrelvault/welcome?"
                                       "from=huawei00&_channel=huawei00&_mid="), url)
        head = url.split("&session_id=")[0]
        self.assertEqual(config.get("session_id"), hashlib.md5(head.encode()).hexdigest())
        opened = s.opened_pages()
        self.assertEqual(len(opened), runs, opened)
        self.assertEqual(opened[-1], url)

    def assert_nothing_installed(self):
        s = self.stage
        self.assertIsNone(s.uninstall_entry())
        self.assertIsNone(s.product_files(DEFAULT_FOLDER))

    def assert_downloads(self, answer, rounds):
        """the CDN saw one probe and `rounds` complete downloads of the package
        in ranges"""
        requests = self.stage.cdn_requests()
        path = "/" + answer["downloadUrl"].split("/", 3)[3]
        heads = [r for r in requests if r.startswith(f"HEAD {path} 200")]
        gets = [r for r in requests if r.startswith(f"GET {path} 206")]
        self.assertEqual(len(heads), 1, requests)
        self.assertEqual(sum(int(r.split()[3]) for r in gets), rounds * answer["size"], requests)

    def assert_queries(self):
        endpoints = [e for _, e, _ in self.stage.sim_requests()]
        self.assertIn("package", endpoints)
        self.assertIn("welcome", endpoints)

    def assert_sequence(self, app, middle, complete=True):
        got = names(app.records())
        self.assertTrue(in_order(got, START + middle + (END if complete else [])), got)
        # the skin ships whole: no start reports a missing resource
        self.assertNotIn("vResourceError", got)
        if complete:
            self.assertEqual(got[-1], "vSoftQuit", got)

    # --- the scenarios ------------------------------------------------------------

    def test_happy_path(self):
        """begin page, progress page, finished page, the welcome page in the
        browser, and 立即体验 starting the installed product"""
        answer = self.world()
        app, user = self.run_installer(ORVANE_DEMO_DELAY_MS="2000")
        self.install_from_begin_page(user)
        user.click(ct.FINISHED_TRY)
        self.assertEqual(app.wait_exit(), 0)
        product = app.wait_for(lambda: app.visible_window(ct.PRODUCT_WND), "the product")
        app.post(ct.PRODUCT_WND, WM_CLOSE)

        self.assertEqual(product[2:4], (420, 220))
        self.assert_installed(DEFAULT_FOLDER)
        self.assert_downloads(answer, 1)
        self.assert_queries()
        self.assert_sequence(app, ["vInstallPage", "pConfirmInstall"] + INSTALLED
                             + ["pImmediateUse"])
        self.assertEqual(props(app, "pSoftDownloadResult")["soft_download_status"], "下载成功")
        self.assertEqual(props(app, "pSoftInstallResult"),
                         {"install_status": "安装成功", "install_type": "安装器",
                          "is_first_install": True, "is_reinstall": False,
                          "soft_package_name": "KestrelVaultSetup_huawei00"})
        self.assertEqual(app.events("vSoftInstallError"), [])

    def test_reinstall_through_page_0(self):
        """the product of the same version is installed: page 0, whose 安装
        leads to the begin page and an install into the same folder"""
        answer = self.world()
        folder = "C:\\老 版本\\栖木工坊"
        self.stage.wine([self.stage.paths["package"], "/VERYSILENT", "/noicons",
                         f"/DIR={folder}"])
        app, user = self.run_installer()
        user.see("reminder", "page 0: the installed version is current")
        self.assertTrue(app.events("vReInstall"))
        user.click(ct.REMINDER_INSTALL)
        self.install_from_begin_page(user)
        self.close_finished_page(app, user)

        self.assert_installed(folder)
        self.assert_downloads(answer, 1)
        self.assert_sequence(app, ["vReInstall", "vInstallPage", "vReInstallOpera",
                                   "pConfirmInstall"] + INSTALLED + ["pCloseStartPage"])
        result = props(app, "pSoftInstallResult")
        self.assertEqual((result["is_first_install"], result["is_reinstall"]), (False, True))

    def test_custom_folder_with_spaces_and_chinese_characters(self):
        """a folder typed on the custom page gets the product's sub-folder
        and is where the package installs"""
        answer = self.world()
        app, user = self.run_installer()
        user.see("begin")
        user.click(ct.BEGIN_CUSTOM)
        user.see("custom")
        self.assertEqual(app.edit_text(ct.FOLDER_FIELD), DEFAULT_FOLDER)
        folder = user.set_folder("C:\\我的 软件")
        self.assertEqual(folder, "C:\\我的 软件\\Orvane\\栖木工坊")
        user.shot(f"{len(user.pages) + 1}-custom-typed", "custom page, folder typed")
        user.click(ct.CUSTOM_INSTALL)
        user.see("progress")
        user.wait_finished()
        self.close_finished_page(app, user)

        self.assert_installed(folder)
        self.assert_downloads(answer, 1)
        self.assertIsNone(self.stage.product_files(DEFAULT_FOLDER))

    def test_cancel_confirmation(self):
        """the begin page's close button, then 确认: the installer ends with
        0, nothing is downloaded or installed"""
        self.world()
        app, user = self.run_installer()
        user.see("begin")
        user.click(ct.CLOSE)
        user.see_dialog(ct.BEGIN_WARN, "cancel confirmation")
        # its 确认 button, the secondary colour
        self.assertGreater(app.count((220, 150, 280, 178), 0x303349, 12, ct.BEGIN_WARN), 800)
        user.click(ct.FIRST_BUTTON, ct.BEGIN_WARN)
        self.assertEqual(app.wait_exit(), 0)

        self.assert_nothing_installed()
        self.assertEqual(self.stage.cdn_requests(), [])
        self.assert_queries()
        self.assert_sequence(app, ["vInstallPage", "(operation)", "pCancelInstall"])
        self.assertNotIn("vJoinPlan", names(app.records()))
        self.assertEqual(self.stage.opened_pages(), [])
        self.assertNotIn("install", self.stage.config_ini() or {})

    def test_three_download_failures(self):
        """a package whose MD5 never matches: two retries, then the manual
        download, whose 确认 opens the package's address in the browser"""
        answer = self.world(package={"md5": "0" * 32})
        app, user = self.run_installer()
        user.see("begin")
        user.click(ct.BEGIN_INSTALL)
        for attempt in (1, 2):
            app.wait_for(lambda: len(app.events("pSoftDownloadResult")) >= attempt,
                         f"download failure {attempt}")
            user.see_dialog(ct.RETRY_WND, f"retry after download failure {attempt}")
            user.click(ct.FIRST_BUTTON, ct.RETRY_WND)  # 立即重试
        user.see_dialog(ct.MANUAL_DOWNLOAD_WND, "manual download")
        user.click(ct.FIRST_BUTTON, ct.MANUAL_DOWNLOAD_WND)  # 确认
        self.assertEqual(app.wait_exit(), 0)

        self.assert_nothing_installed()
        self.assert_downloads(answer, 3)
        self.assertEqual([e["props"] for e in app.events("pSoftDownloadResult")],
                         [{"soft_download_status": "下载失败", "download_time": -1}] * 3)
        self.assertEqual(app.events("vSoftInstallStart"), [])
        self.assertEqual(app.wait_for(self.stage.opened_pages, "the browser"),
                         [answer["downloadUrl"]])
        self.assert_sequence(app, INSTALLED[:3] + ["(operation)", "vSoftDownloadStart"])

    def test_three_install_failures(self):
        """the package ends with 4 (a fatal error during the install) every
        time: two retries, then the manual install, here declined"""
        answer = self.world()
        app, user = self.run_installer(ORVANE_DEMO_FAIL="4")
        self.install_and_fail_three_times(app, user)
        user.see_dialog(ct.MANUAL_INSTALL_WND, "manual install")
        user.click(ct.SECOND_BUTTON, ct.MANUAL_INSTALL_WND)  # 取消
        self.assertEqual(app.wait_exit(), 0)

        self.assert_nothing_installed()
        # downloaded once; the retries run the same package again
        self.assert_downloads(answer, 1)
        self.assertEqual([e["props"] for e in app.events("vSoftInstallError")],
                         [{"error_status": "4"}] * 3)
        self.assertEqual(len(app.events("vSoftInstallStart")), 3)
        self.assertEqual(app.events("pSoftInstallResult"), [])
        self.assertIn(("0011", "0002"), app.operations())

    def install_and_fail_three_times(self, app, user):
        user.see("begin")
        user.click(ct.BEGIN_INSTALL)
        for attempt in (1, 2):
            app.wait_for(lambda: len(app.events("vSoftInstallError")) >= attempt,
                         f"install failure {attempt}")
            user.see_dialog(ct.RETRY_WND, f"retry after install failure {attempt}")
            user.click(ct.FIRST_BUTTON, ct.RETRY_WND)  # 立即重试
        app.wait_for(lambda: len(app.events("vSoftInstallError")) >= 3, "install failure 3")

    def test_experience_plan_declined(self):
        """without the experience plan: "vJoinPlan" false is the last record
        that leaves the installer, and the package gets -noexperience"""
        self.world()
        app, user = self.run_installer()
        user.see("begin")
        user.click(ct.BEGIN_CUSTOM)
        user.see("custom")
        user.click(ct.CUSTOM_EXPERIENCE)
        user.shot(f"{len(user.pages) + 1}-custom-no-plan", "custom page, plan declined")
        user.click(ct.CUSTOM_INSTALL)
        user.see("progress")
        user.wait_finished()
        self.close_finished_page(app, user)

        self.assert_installed(DEFAULT_FOLDER, experience=False)
        records = app.records()
        self.assertEqual(names(records)[-1], "vJoinPlan", names(records))
        self.assertEqual(records[-1]["props"], {"choose_join_plan": False})
        # nothing after it reached the analytics sink either
        stored = {r["uid"] for r in self.stage.sink_records()}
        self.assertTrue(stored <= {r["uid"] for r in records})

    def test_second_instance_while_hidden(self):
        """a second start while the progress page hides in the notification
        area brings the window back and ends at once"""
        self.world()
        app, user = self.run_installer(ORVANE_DEMO_DELAY_MS="8000")
        user.see("begin")
        user.click(ct.BEGIN_INSTALL)
        user.see("progress")
        app.wait_for(lambda: app.events("vSoftInstallStart"), "the package to run")
        user.click(ct.PROGRESS_HIDE)
        app.wait_for(lambda: not app.visible_window(), "the window to hide")
        second = subprocess.run([self.build.wine_run, self.build.prefix, app.path],
                                stdin=subprocess.DEVNULL, capture_output=True, timeout=60)
        self.assertEqual(second.returncode, 0)
        app.wait_for(lambda: app.visible_window(), "the window back")
        user.see("progress", "progress page, back after the second start")
        user.wait_finished()
        self.close_finished_page(app, user)

        self.assert_installed(DEFAULT_FOLDER)
        self.assertEqual(len(app.events("pSoftInstall")), 1)  # the second sent nothing
        self.assertIn(("0003", "0001"), app.operations())

    def test_run_after_an_earlier_verified_download(self):
        """a second run finds the package that the first one downloaded and
        checked: it installs it without a request to the CDN"""
        answer = self.world()
        app, user = self.run_installer()
        self.install_from_begin_page(user)
        self.close_finished_page(app, user)
        remembered = self.stage.config_ini()["path"]
        # the uninstaller runs on from a copy of itself in the temp folder
        self.stage.wine([f"{DEFAULT_FOLDER}\\uninstall.exe", "/S"])
        st.wait_for(lambda: self.stage.uninstall_entry() is None
                    and not self.stage.product_files(DEFAULT_FOLDER), 60, "the uninstall")
        cdn_before = self.stage.cdn_requests()

        app, user = self.run_installer()
        self.install_from_begin_page(user)
        self.close_finished_page(app, user)

        self.assertEqual(self.stage.cdn_requests(), cdn_before)
        self.assertEqual(props(app, "pSoftDownloadResult"),
                         {"soft_download_status": "存在本地文件", "download_time": -1})
        self.assertEqual(self.stage.config_ini()["path"], remembered)
        self.assertEqual(self.stage.config_ini()["md5"], answer["md5"])
        self.assertEqual(st.md5_of(self.stage.host_path(remembered)), answer["md5"])
        self.assert_installed(DEFAULT_FOLDER, runs=2)

    def test_gateway_only_through_the_dns_fallback(self):
        """the gateway's name is known only to the public resolvers"""
        answer = self.world(gateway="dns")
        app, user = self.run_installer()
        self.install_from_begin_page(user)
        self.close_finished_page(app, user)

        self.assert_installed(DEFAULT_FOLDER)
        self.assert_downloads(answer, 1)
        self.assertEqual([e["props"] for e in app.events("vNetworkCheck")],
                         [{"network_type": "DNS解析", "conn_type": 1,
                           "host_name": st.PUBLIC_DNS[0]}])

    def test_gateway_only_through_the_proxy(self):
        """the gateway is reached only through the user's proxy"""
        answer = self.world(gateway="proxy")
        app, user = self.run_installer()
        self.install_from_begin_page(user)
        self.close_finished_page(app, user)

        self.assert_installed(DEFAULT_FOLDER)
        self.assert_downloads(answer, 1)
        self.assertEqual([e["props"] for e in app.events("vNetworkCheck")],
                         [{"network_type": "网络代理", "conn_type": 1, "host_name": st.PROXY_IP}])
        with open(os.path.join(self.stage.work, "tinyproxy.log"), errors="replace") as f:
            self.assertIn(f"CONNECT {st.API_HOST}:80", f.read())


if __name__ == "__main__":
    unittest.main()
