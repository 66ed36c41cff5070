#!/usr/bin/env python3
"""The end-to-end world under the real installer, before any page is
clicked: the CDN serves the demo package as the package answer describes
it, the installer started under a channel's name reaches the gateway and
the analytics sink, the prefix's shell opens web pages in the recording
browser, and the world's processes end with it.

Each case runs in a network namespace of its own (ctest starts it with
`unshare --net --mount`), so the cases run in parallel. What a run left is
kept in build/wine-tests/e2e/runs/<case>."""
import faulthandler
import hashlib
import os
import subprocess
import unittest

import stage as st

# where a case hangs, printed before ctest's time limit (300 s) ends it
faulthandler.dump_traceback_later(270, exit=True)

BUILD = os.environ.get("ORVANE_E2E_BUILD", os.path.join(st.ROOT, "build", "wine-tests"))
TEMPLATE = os.environ.get("ORVANE_E2E_TEMPLATE",
                          os.path.join(BUILD, "e2e", "prefix-template"))
def endpoints(stage):
    return [endpoint for _, endpoint, _ in stage.sim_requests()]


class World(unittest.TestCase):
    def setUp(self):
        case = self.id().rsplit(".", 1)[-1]
        self.stage = st.Stage(os.path.join(BUILD, "e2e", "runs", case), BUILD, TEMPLATE)
        self.addCleanup(self.stage.stop)

    def curl(self, *args):
        return subprocess.run(["curl", "-s", "--max-time", "20", *args], capture_output=True,
                              check=True).stdout

    def test_serves_the_demo_package(self):
        s = self.stage
        s.enter()
        s.start_vendor()
        s.start_cdn()
        answer = s.package_answer()
        package = st.read_bytes(s.paths["package"])

        # the CDN as the download engine sees it: HEAD, the whole file, a range
        head = self.curl("-I", answer["downloadUrl"]).decode()
        self.assertIn("HTTP/1.1 200", head)
        self.assertIn(f"Content-Length: {answer['size']}", head)
        self.assertEqual(len(package), answer["size"])
        self.assertEqual(hashlib.md5(self.curl(answer["downloadUrl"])).hexdigest(),
                         answer["md5"])
        ranged = self.curl("-r", "100-109", "-w", "%{http_code}", answer["downloadUrl"])
        self.assertEqual(ranged, package[100:110] + b"206")

        # the installer under a channel's file name reaches the gateway and the sink
        s.start_display()
        s.make_prefix()
        s.start_installer("KestrelVaultSetup_huawei00.exe")
        st.wait_for(lambda: {"package", "welcome"} <= set(endpoints(s)), 90,
                    "the package and welcome queries")
        lines = {endpoint: line for _, endpoint, line in s.sim_requests()}
        self.assertIn("appId=40917263&versionCode=1.0.0.2&packageSystemSupport=1",
                      lines["package"])
        self.assertIn("channel=huawei00", lines["welcome"])
        st.wait_for(lambda: any(r.get("event") == "pSoftInstall" for r in s.sink_records()),
                    90, "pSoftInstall at the analytics sink")

        # the prefix's shell hands web pages to the recording browser
        url = "http://www.orvane.test/kestrelvault/welcome?_channel=huawei00&_mid=e2e"
        s.wine(["start", url])
        self.assertEqual(st.wait_for(s.opened_pages, 60, "the recording browser"), [url])

        # every process of the stage ends with it
        pids = [proc.pid for _, proc in s.procs]
        s.stop()
        for pid in pids:
            self.assertFalse(os.path.exists(f"/proc/{pid}") and
                             open(f"/proc/{pid}/stat").read().split()[2] != "Z", pid)


if __name__ == "__main__":
    unittest.main()
