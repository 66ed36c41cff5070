#!/usr/bin/env python3
"""The end-to-end scenarios: the real installer, driven like a user through
the pages' driver (installer_driver.py), with the demo package in a loopback
world of its own (stage.py). Each run checks the pages it saw by their
pixels, config.ini, the uninstall entry, the demo product's files, the SDK
journal's event sequence and the simulator's and the CDN's request logs.

ctest starts each case in a network namespace of its own (`unshare --net
--mount`), so the cases run in parallel. What a run left is kept in
build/wine-tests/e2e/runs/<case>, its screenshots in <case>/screenshots."""
import os
import time
import unittest

import clickthrough
import stage as st
from installer_driver import MAIN_WND, Installer

BUILD = os.environ.get("ORVANE_E2E_BUILD", os.path.join(st.ROOT, "build", "wine-tests"))
TEMPLATE = os.environ.get("ORVANE_E2E_TEMPLATE",
                          os.path.join(BUILD, "e2e", "prefix-template"))

BEGIN_WARN = "BeginChildCloseWnd"
WARN_CONFIRM = (250, 164)  # "确认" of a cancel confirmation
CLOSE = (570, 32)  # the close button of the 600 x 400 pages
DIALOG_SIZE = (400, 200)
PAGE_SIZE = (600, 400)
# what every run sends before the first page, in order (journal records
# without an event name are shown by their kind)
START = ["pSoftInstall", "(launch)", "(report)", "vResourceMgrStart"]


def sequence(stage):
    """The journal's records as names: the event, or the record's kind."""
    kinds = {1: "(launch)", 2: "(operation)", 4: "(report)"}
    return [r.get("event") or kinds.get(r.get("type"), "(other)")
            for r in stage.journal_events()]


def subsequence(items, wanted):
    """True when `wanted` appears in `items` in this order (gaps allowed)."""
    it = iter(items)
    return all(any(x == w for x in it) for w in wanted)


class Scenario(unittest.TestCase):
    """One world per case: the vendor simulator answering with the demo
    package, nginx serving it, a display and a fresh prefix."""

    def setUp(self):
        case = self.id().rsplit(".", 1)[-1]
        self.stage = st.Stage(os.path.join(BUILD, "e2e", "runs", case), BUILD, TEMPLATE)
        self.addCleanup(self.stage.stop)
        self.shots = os.path.join(self.stage.work, "screenshots")
        s = self.stage
        s.enter()
        s.start_vendor()
        s.start_cdn()
        s.start_display()
        s.make_prefix()
        self.build, self.sim = clickthrough.driver_for(s, self.shots)

    def installer(self, name="KestrelVaultSetup_huawei00.exe"):
        app = Installer(self.build, name=name)
        self.addCleanup(app.__exit__, None, None, None)
        return app

    def assert_window(self, app, cls, size):
        """the window of the class is shown at its base size (the test
        display's ratio is 1)"""
        w = app.wait_for(lambda: app.visible_window(cls), cls)
        self.assertEqual(tuple(w[2:4]), size, cls)

    def assert_nothing_installed(self):
        s = self.stage
        self.assertIsNone(s.uninstall_entry())
        self.assertFalse(os.path.exists(s.drive_c("Program Files", "Orvane")))
        self.assertEqual(s.cdn_requests(), [])

    def test_cancel_confirmation(self):
        """the begin page's close button, then "确认": the installer ends
        with 0, nothing is downloaded or installed, pCancelInstall is sent"""
        app = self.installer()
        app.start()
        app.wait_for(lambda: app.pixel(*clickthrough.BEGIN_INSTALL_COLOUR_AT)
                     == clickthrough.ACCENT, "the painted begin page")
        self.assert_window(app, MAIN_WND, PAGE_SIZE)
        app.screenshot("1-begin")
        app.click(*CLOSE)
        self.assert_window(app, BEGIN_WARN, DIALOG_SIZE)
        time.sleep(0.5)
        app.screenshot("dialog-cancel", BEGIN_WARN)
        # the dialog's 确认 button (its grey-blue), not the page under it
        self.assertTrue(app.count((20, 20, 380, 180), 0x303349, 12, BEGIN_WARN) > 1000)
        app.click(*WARN_CONFIRM, BEGIN_WARN)
        self.assertEqual(app.wait_exit(), 0)

        self.assert_nothing_installed()
        events = sequence(self.stage)
        self.assertTrue(subsequence(events, START + ["vInstallPage", "(operation)",
                                                     "pCancelInstall", "(report)",
                                                     "vSoftQuit"]), events)
        self.assertNotIn("vJoinPlan", events)
        self.assertEqual(events[-1], "vSoftQuit")
        endpoints = [e for _, e, _ in self.stage.sim_requests()]
        self.assertIn("package", endpoints)
        self.assertIn("welcome", endpoints)
        self.assertEqual(self.stage.opened_pages(), [])
        config = self.stage.config_ini() or {}
        self.assertNotIn("install", config)


if __name__ == "__main__":
    unittest.main()
