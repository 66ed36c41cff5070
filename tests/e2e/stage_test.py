#!/usr/bin/env python3
"""The stage's own helpers, natively: the prefix copy must never let a run
write into the template, and the readers of what a run left must read the
formats Wine, the simulator and the recording browser write."""
import hashlib
import os
import tempfile
import unittest

import stage as st


class CopyPrefix(unittest.TestCase):
    def setUp(self):
        self.tmp = tempfile.TemporaryDirectory()
        self.template = os.path.join(self.tmp.name, "template")
        self.files = {
            "system.reg": b"registry",
            "drive_c/windows/system32/kernel32.dll": b"MZ dll",
            "drive_c/windows/system32/NOTEPAD.EXE": b"MZ exe",
            "drive_c/windows/win.ini": b"[windows]",
            "drive_c/users/root/AppData/Roaming/config.ini": b"[General]",
            "drive_c/Program Files/tool.exe": b"MZ outside windows",
        }
        for rel, data in self.files.items():
            path = os.path.join(self.template, rel)
            os.makedirs(os.path.dirname(path), exist_ok=True)
            with open(path, "wb") as f:
                f.write(data)
        os.symlink("../drive_c", os.path.join(self.template, "c_link"))
        self.dest = os.path.join(self.tmp.name, "run")

    def tearDown(self):
        self.tmp.cleanup()

    def test_only_wines_binaries_are_shared(self):
        st.copy_prefix(self.template, self.dest)
        shared = {rel for rel in self.files
                  if os.path.samefile(os.path.join(self.template, rel),
                                      os.path.join(self.dest, rel))}
        self.assertEqual(shared, {"drive_c/windows/system32/kernel32.dll",
                                  "drive_c/windows/system32/NOTEPAD.EXE"})
        self.assertEqual(os.readlink(os.path.join(self.dest, "c_link")), "../drive_c")

    def test_writes_to_the_copy_leave_the_template_alone(self):
        st.copy_prefix(self.template, self.dest)
        for rel in ("system.reg", "drive_c/windows/win.ini",
                    "drive_c/users/root/AppData/Roaming/config.ini"):
            with open(os.path.join(self.dest, rel), "r+b") as f:  # in place, as Wine may
                f.write(b"changed")
            with open(os.path.join(self.template, rel), "rb") as f:
                self.assertEqual(f.read(), self.files[rel], rel)

    def test_a_second_copy_starts_afresh(self):
        st.copy_prefix(self.template, self.dest)
        leftover = os.path.join(self.dest, "drive_c", "leftover.txt")
        open(leftover, "w").close()
        st.copy_prefix(self.template, self.dest)
        self.assertFalse(os.path.exists(leftover))


class Readers(unittest.TestCase):
    def setUp(self):
        self.tmp = tempfile.TemporaryDirectory()

    def tearDown(self):
        self.tmp.cleanup()

    def write(self, name, data):
        path = os.path.join(self.tmp.name, name)
        with open(path, "wb") as f:
            f.write(data)
        return path

    def test_ini_in_utf16_and_in_plain_text(self):
        text = "[General]\r\nchannel_id=huawei00\r\nwelcome_url=http://x/?a=1&b=2\r\n[Setup]\r\nk=栖木\r\n"
        for name, data in (("utf16.ini", b"\xff\xfe" + text.encode("utf-16-le")),
                           ("plain.ini", text.encode())):
            sections = st.read_ini(self.write(name, data))
            self.assertEqual(sections["General"],
                             {"channel_id": "huawei00", "welcome_url": "http://x/?a=1&b=2"})
            self.assertEqual(sections["Setup"], {"k": "栖木"})

    def test_reg_export(self):
        text = ('Windows Registry Editor Version 5.00\r\n\r\n'
                '[HKEY_LOCAL_MACHINE\\SOFTWARE\\x]\r\n'
                '"DisplayIcon"="C:\\\\栖木 工坊\\\\KestrelVault.exe"\r\n'
                '"UninstallString"="\\"C:\\\\a b\\\\uninstall.exe\\""\r\n'
                '"NoModify"=dword:00000001\r\n')
        values = st.parse_reg_export(self.write("x.reg", b"\xff\xfe" + text.encode("utf-16-le")))
        self.assertEqual(values, {"DisplayIcon": "C:\\栖木 工坊\\KestrelVault.exe",
                                  "UninstallString": '"C:\\a b\\uninstall.exe"',
                                  "NoModify": 1})

    def test_simulator_log_frames(self):
        one = b"GET /applicationService/channel/welcome?channel=c HTTP/1.1\r\nHost: a\r\n\r\n"
        # a body holding a newline and a frame-like line must not split the frame
        two = (b"POST /v1/install/kelmor HTTP/1.1\r\nContent-Length: 20\r\n\r\n"
               b"x\n=== 9 a b 1 2\nyyyy")
        log = (b"=== 1 127.0.0.10:80 welcome 1700000000000 %d\n" % len(one) + one + b"\n"
               + b"=== 2 127.0.0.14:80 conversion 1700000000001 %d\n" % len(two) + two + b"\n")
        stage = st.Stage.__new__(st.Stage)
        stage.sim_dir = self.tmp.name
        self.write("requests.log", log)
        self.assertEqual(stage.sim_requests(), [
            ("127.0.0.10:80", "welcome",
             "GET /applicationService/channel/welcome?channel=c HTTP/1.1"),
            ("127.0.0.14:80", "conversion", "POST /v1/install/kelmor HTTP/1.1")])

    def test_recording_browser_log(self):
        prefix = os.path.join(self.tmp.name, "prefix")
        os.makedirs(os.path.join(prefix, "drive_c", "orvane-test"))
        with open(os.path.join(prefix, "drive_c", "orvane-test", "recording_browser.exe.log"),
                  "w", encoding="utf-8") as f:
            f.write('"C:\\orvane-test\\recording_browser.exe" --record '
                    '"http://www.orvane.test/w?_channel=huawei00&_mid=m"\n'
                    '"C:\\other.exe" started without a page\n')
        stage = st.Stage.__new__(st.Stage)
        stage.prefix = prefix
        self.assertEqual(stage.opened_pages(),
                         ["http://www.orvane.test/w?_channel=huawei00&_mid=m"])

    def test_package_answer_names_the_real_file(self):
        package = self.write("KestrelVault_2.1.0.5.exe", b"MZ" + bytes(range(256)) * 10)
        stage = st.Stage.__new__(st.Stage)
        stage.paths = {"package": package, "version": "2.1.0.5"}
        stage.package_url = "http://cdn.orvane.test/10284/KestrelVault_2.1.0.5.exe"
        answer = stage.package_answer(md5="x" * 32)
        self.assertEqual(answer["size"], 2562)
        self.assertEqual(answer["versionCode"], "2.1.0.5")
        self.assertEqual(answer["md5"], "x" * 32)  # an override wins
        self.assertEqual(stage.package_answer()["md5"],
                         hashlib.md5(open(package, "rb").read()).hexdigest())


if __name__ == "__main__":
    unittest.main()
