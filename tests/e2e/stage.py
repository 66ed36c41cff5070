"""The stage of one run of the real installer: a private loopback world with
the vendor's servers, the CDN serving the demo package, a display and a
fresh Wine prefix, and afterwards everything the run left behind.

Used by the end-to-end tests (tests/e2e) and by scripts/demo. It must run
inside a network and mount namespace of its own (`unshare --net --mount`):
`Stage.enter()` brings up loopback there and mounts the world's /etc/hosts
and /etc/resolv.conf over the machine's, and every peer listens on the
addresses of tests/peers/README.md. Nothing leaves loopback.

Python standard library only.
"""
import glob
import hashlib
import json
import os
import re
import shutil
import signal
import socket
import subprocess
import time

from installer_driver import recorded_records

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
PEERS = os.path.join(ROOT, "tests", "peers")

API_HOST, API_IP = "api.orvane.test", "127.0.0.10"
CDN_HOST, CDN_IP = "cdn.orvane.test", "127.0.0.11"
SINK_IP = "127.0.0.13"
CONV_IP = "127.0.0.14"
PROXY_IP, PROXY_PORT = "127.0.0.20", 8888
# nothing listens here: a host only the proxy reaches
UNREACHABLE_IP = "127.0.0.40"
PUBLIC_DNS = ["127.0.0.%d" % n for n in range(53, 59)]
APP_ID = "40917263"
PACKAGE_ID = "10284"

UNINSTALL_KEY = ("HKLM\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\"
                 "{5F2E9A71-3C08-4B6D-9E14-A7D2C0B84F63}_is1")
MAIN_WINDOW_CLASS = "OrvanePkg-Window-5F2E9A71-3C08-4B6D-9E14-A7D2C0B84F63"

WINE_ENV = {"WINEARCH": "win32", "WINEDEBUG": "-all", "WINEDLLOVERRIDES": "mscoree,mshtml="}

# under drive_c/windows, files that Wine never writes after the prefix was
# made: a new prefix links them instead of copying them
_SHARED_SUFFIXES = (".dll", ".exe", ".drv", ".sys", ".cpl", ".ocx", ".acm", ".ax", ".tlb",
                    ".nls", ".ttf", ".ttc", ".fon", ".mui", ".ds", ".com", ".msstyles", ".vxd")


class StageError(Exception):
    """A step of the stage failed; the text says which and why."""


def build_paths(build):
    """What a run needs from the build folder (the wine-tests tree)."""
    cache = os.path.join(build, "CMakeCache.txt")
    version = None
    if os.path.exists(cache):
        with open(cache, encoding="utf-8") as f:
            m = re.search(r"^ORVANE_DEMO_VERSION:STRING=(.+)$", f.read(), re.M)
            version = m.group(1).strip() if m else None
    if not version:
        raise StageError(f"no demo version in {cache}: configure the build first")
    return {
        "installer": os.path.join(build, "KestrelVaultSetup.exe"),
        "package": os.path.join(build, "demo", f"KestrelVault_{version}.exe"),
        "browser": os.path.join(build, "tests", "platform", "fake_browser.exe"),
        "version": version,
    }


def sdk_app_key():
    """The SDK's application key, from the one header that defines it."""
    for path in glob.glob(os.path.join(ROOT, "src", "**", "*.h"), recursive=True):
        with open(path, encoding="utf-8", errors="replace") as f:
            m = re.search(r'kQlxAppKey\[\]\s*=\s*"([0-9A-Fa-f]+)"', f.read())
        if m:
            return m.group(1)
    raise StageError("kQlxAppKey not found under src/")


def md5_of(path):
    digest = hashlib.md5()
    with open(path, "rb") as f:
        for block in iter(lambda: f.read(1 << 20), b""):
            digest.update(block)
    return digest.hexdigest()


def copy_prefix(template, dest):
    """A fresh prefix from a template: Wine's own binaries are hard links
    (fast, and Wine never writes them), everything else is a real copy."""
    if os.path.exists(dest):
        shutil.rmtree(dest)
    windows = os.path.join(template, "drive_c", "windows") + os.sep

    def copy(src, dst):
        if src.startswith(windows) and src.lower().endswith(_SHARED_SUFFIXES):
            try:
                os.link(src, dst)
                return dst
            except OSError:
                pass
        return shutil.copy2(src, dst)

    shutil.copytree(template, dest, symlinks=True, copy_function=copy,
                    ignore=shutil.ignore_patterns("wineserver*"))


def wait_listening(ip, port, what, timeout=15.0, proto="tcp"):
    deadline = time.time() + timeout
    flag = "-t" if proto == "tcp" else "-u"
    while time.time() < deadline:
        out = subprocess.run(["ss", "-Hln", flag, f"src {ip}:{port}"], capture_output=True,
                             text=True).stdout
        if out.strip():
            return
        time.sleep(0.05)
    raise StageError(f"{what} is not listening on {ip}:{port}")


def wait_for(check, timeout, what):
    """check()'s first true value within `timeout` seconds, or raise."""
    deadline = time.time() + timeout
    while True:
        value = check()
        if value:
            return value
        if time.time() > deadline:
            raise StageError(f"timed out after {timeout:.0f} s waiting for {what}")
        time.sleep(0.2)


class Stage:
    """One world. `work` is a folder of its own (made afresh); `template`
    the prefix that every run starts from (scripts/lib/wine-prefix with the
    recording browser)."""

    def __init__(self, work, build, template, log=print):
        self.work = os.path.abspath(work)
        self.build = os.path.abspath(build)
        self.template = os.path.abspath(template)
        self.paths = build_paths(self.build)
        self.log = log
        self.procs = []  # (name, Popen), stopped in reverse order
        self.prefix = os.path.join(self.work, "prefix")
        self.display = None
        self.installer = None
        self.sim_dir = os.path.join(self.work, "sim")
        self.sink_dir = os.path.join(self.work, "sink")
        self.cdn_log = os.path.join(self.work, "cdn", "access.log")
        self.user = None
        self.package_name = os.path.basename(self.paths["package"])
        self.package_url = f"http://{CDN_HOST}/{PACKAGE_ID}/{self.package_name}"
        for p in ("installer", "package"):
            if not os.path.exists(self.paths[p]):
                raise StageError(f"{self.paths[p]} is missing: build it first")
        if os.path.exists(self.work):
            shutil.rmtree(self.work)
        os.makedirs(self.work)

    # --- the world ------------------------------------------------------------

    def enter(self, api_in_hosts=True, api_ip=API_IP):
        """Loopback up and this world's host names. Without `api_in_hosts`
        the gateway's name resolves only through the public resolvers."""
        subprocess.run(["ip", "link", "set", "lo", "up"], check=True)
        subprocess.run(["mount", "--make-rprivate", "/"], check=True)
        lines = ["127.0.0.1\tlocalhost", "::1\tlocalhost ip6-localhost ip6-loopback",
                 f"{CDN_IP}\t{CDN_HOST}", "127.0.0.12\tsupport.orvane.test",
                 f"{SINK_IP}\tsa.orvane.test", f"{CONV_IP}\tconv.orvane.test",
                 "127.0.0.15\twww.orvane.test"]
        if api_in_hosts:
            lines.append(f"{api_ip}\t{API_HOST}")
        hosts = os.path.join(self.work, "hosts")
        with open(hosts, "w") as f:
            f.write("\n".join(lines) + "\n")
        subprocess.run(["mount", "--bind", hosts, "/etc/hosts"], check=True)
        if os.path.exists("/etc/resolv.conf"):
            subprocess.run(["mount", "--bind", os.path.join(PEERS, "resolv.conf"),
                            "/etc/resolv.conf"], check=True)

    def _spawn(self, name, argv, **kw):
        with open(os.path.join(self.work, f"{name}.log"), "wb") as log:
            proc = subprocess.Popen(argv, stdout=log, stderr=subprocess.STDOUT,
                                    stdin=subprocess.DEVNULL, start_new_session=True, **kw)
        self.procs.append((name, proc))
        return proc

    def package_answer(self, **overrides):
        """The package record the gateway answers with: the demo package
        as the CDN serves it, with its real size and MD5."""
        data = {"downloadUrl": self.package_url, "versionCode": self.paths["version"],
                "size": os.path.getsize(self.paths["package"]),
                "installationSize": 4 * 1024 * 1024, "md5": md5_of(self.paths["package"])}
        data.update(overrides)
        return data

    def start_vendor(self, scenario=None, api_ips=(API_IP,)):
        """The API gateway (on `api_ips`), the conversion service and the
        analytics sink."""
        os.makedirs(self.sim_dir)
        if scenario is None:
            scenario = {"package": {"reply": "ok", "data": self.package_answer()}}
        self.set_scenario(scenario)
        self._spawn("vendor-sim", [
            "python3", os.path.join(ROOT, "tools", "vendor_sim.py"), "--state", self.sim_dir,
            *[a for ip in api_ips for a in ("--api", f"{ip}:80")], "--conv", f"{CONV_IP}:80",
            "--sink-state", self.sink_dir, "--sink-listen", f"{SINK_IP}:80=ack",
            "--sink-app", f"{APP_ID}:{sdk_app_key()}"])
        for ip in (*api_ips, CONV_IP, SINK_IP):
            wait_listening(ip, 80, "the vendor simulator")

    def set_scenario(self, scenario):
        with open(os.path.join(self.sim_dir, "scenario.json"), "w", encoding="utf-8") as f:
            json.dump(scenario, f, ensure_ascii=False, indent=1)

    def start_cdn(self, listen_ip=CDN_IP):
        """nginx serving the demo package at its URL (HEAD and ranges)."""
        d = os.path.join(self.work, "cdn")
        www = os.path.join(d, "www", PACKAGE_ID)
        os.makedirs(www)
        os.makedirs(os.path.join(d, "tmp"))
        shutil.copy2(self.paths["package"], os.path.join(www, self.package_name))
        conf = os.path.join(d, "nginx.conf")
        temps = "".join(f"  {k}_temp_path {d}/tmp;\n"
                        for k in ("client_body", "proxy", "fastcgi", "uwsgi", "scgi"))
        with open(conf, "w") as f:
            f.write(f"""master_process off;
daemon off;
pid {d}/nginx.pid;
error_log stderr info;
events {{ worker_connections 64; }}
http {{
  log_format orvane '$request_method $request_uri $status $body_bytes_sent "$http_range"';
  access_log {d}/access.log orvane;
{temps}  default_type application/octet-stream;
  server {{
    listen {listen_ip}:80;
    root {d}/www;
  }}
}}
""")
        self._spawn("nginx", ["nginx", "-p", d, "-c", conf])
        wait_listening(listen_ip, 80, "nginx")

    def start_public_dns(self, names):
        """The build's six "public" resolvers (dnsmasq), answering only for
        `names` ({host: ip}); every other .test name does not exist."""
        argv = ["dnsmasq", "--keep-in-foreground", "--conf-file=/dev/null", "--no-resolv",
                "--no-hosts", "--bind-interfaces", "--listen-address=" + ",".join(PUBLIC_DNS),
                "--port=53", "--user=root", "--pid-file=", "--log-queries",
                "--log-facility=-", "--local=/test/"]
        argv += [f"--host-record={host},{ip}" for host, ip in names.items()]
        self._spawn("dnsmasq", argv)
        wait_listening(PUBLIC_DNS[0], 53, "dnsmasq", proto="udp")

    def start_proxy(self, reachable):
        """The user's web proxy (tinyproxy), which sees `reachable`
        ({host: ip}) as its /etc/hosts."""
        d = os.path.join(self.work, "proxy")
        os.makedirs(d)
        hosts = os.path.join(d, "hosts")
        with open(hosts, "w") as f:
            f.write("127.0.0.1\tlocalhost\n")
            f.writelines(f"{ip}\t{host}\n" for host, ip in reachable.items())
        self._spawn("tinyproxy", [os.path.join(PEERS, "tinyproxy-peer"), d, hosts])
        wait_listening(PROXY_IP, PROXY_PORT, "tinyproxy")

    def start_display(self, display=None):
        """The user's display when given, else an Xvfb of this world's own."""
        if display:
            self.display = display
            return
        r, w = os.pipe()
        self._spawn("xvfb", ["Xvfb", "-displayfd", str(w), "-screen", "0", "1280x1024x24",
                             "-nolisten", "tcp"], pass_fds=(w,))
        os.close(w)
        with os.fdopen(r) as f:
            number = f.readline().strip()
        if not number:
            raise StageError("Xvfb did not start")
        self.display = ":" + number

    # --- Wine -------------------------------------------------------------------

    def wine_env(self, extra=None):
        env = dict(os.environ)
        env.update(WINE_ENV)
        # Wine's debug channels for a run being investigated
        env["WINEDEBUG"] = os.environ.get("ORVANE_E2E_WINEDEBUG", WINE_ENV["WINEDEBUG"])
        env["WINEPREFIX"] = self.prefix
        if self.display:
            env["DISPLAY"] = self.display
        env.update(extra or {})
        return env

    def make_prefix(self):
        """A fresh prefix from the template, with its wineserver and Wine's
        services already running (on the display, so start that first):
        Windows programs started at once in a prefix nobody uses yet may
        each start a wineserver of their own and wait for each other."""
        if not self.display:
            raise StageError("start the display before the prefix")
        if not os.path.exists(os.path.join(self.template, ".orvane-browser")):
            raise StageError(f"{self.template} is not a prefix with the recording browser")
        copy_prefix(self.template, self.prefix)
        self.user = next(u for u in sorted(os.listdir(os.path.join(self.prefix, "drive_c",
                                                                    "users")))
                         if u not in ("Public", "public"))
        subprocess.run(["wineserver", "-p"], env=self.wine_env(), check=True)
        # the services it starts live on: their output must go nowhere, or
        # they would hold this call's pipes open
        subprocess.run(["wine", "wineboot.exe"], env=self.wine_env(), stdin=subprocess.DEVNULL,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=120,
                       check=True)

    def drive_c(self, *parts):
        return os.path.join(self.prefix, "drive_c", *parts)

    def user_dir(self, *parts):
        return self.drive_c("users", self.user, *parts)

    def wine(self, args, extra_env=None, timeout=120, check=True):
        r = subprocess.run(["wine"] + args, env=self.wine_env(extra_env), capture_output=True,
                           timeout=timeout, stdin=subprocess.DEVNULL)
        if check and r.returncode != 0:
            raise StageError(f"wine {' '.join(args)} failed ({r.returncode}): "
                             f"{r.stderr.decode(errors='replace')[-400:]}")
        return r

    def set_user_proxy(self, proxy_list):
        """The connection record that WinHTTP reads as the user's fixed proxy."""
        def dword(v):
            return v.to_bytes(4, "little")

        def text(t):
            return dword(len(t)) + t.encode()
        record = (dword(0x46) + dword(1) + dword(3) + text(proxy_list) + text("") + text("")
                  + dword(0) * 8)
        self.wine(["reg", "add",
                   "HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings"
                   "\\Connections", "/v", "DefaultConnectionSettings", "/t", "REG_BINARY",
                   "/d", record.hex(), "/f"])

    def start_installer(self, file_name="KestrelVaultSetup_huawei00.exe", extra_env=None):
        """The installer as a user starts it: downloaded into the user's
        Downloads folder under a channel's file name."""
        downloads = self.user_dir("Downloads")
        os.makedirs(downloads, exist_ok=True)
        shutil.copy2(self.paths["installer"], os.path.join(downloads, file_name))
        self.installer_path = f"C:\\users\\{self.user}\\Downloads\\{file_name}"
        self.installer = self._spawn("installer", ["wine", self.installer_path],
                                     env=self.wine_env(extra_env))
        return self.installer

    def main_window(self, timeout=60.0):
        """The installer's main window id on the display (xdotool), or raise."""
        deadline = time.time() + timeout
        while time.time() < deadline:
            r = subprocess.run(["xdotool", "search", "--onlyvisible", "--classname",
                                MAIN_WINDOW_CLASS], capture_output=True, text=True,
                               env={**os.environ, "DISPLAY": self.display})
            ids = r.stdout.split()
            if ids:
                return ids[-1]
            if self.installer and self.installer.poll() is not None:
                raise StageError(f"the installer ended ({self.installer.returncode}) "
                                 "before it showed its window")
            time.sleep(0.2)
        raise StageError("the installer showed no window")

    def screenshot(self, path, window="root"):
        subprocess.run(["import", "-display", self.display, "-window", window, path],
                       check=True, capture_output=True)

    def wait_installer(self, timeout):
        try:
            return self.installer.wait(timeout=timeout)
        except subprocess.TimeoutExpired:
            return None

    # --- what the run left ------------------------------------------------------

    def config_ini(self):
        """config.ini's "General" section, in file order."""
        if not self.user:
            return None
        path = self.user_dir("AppData", "Roaming", "OrvanePkg", "KESTRELVAULT", "config.ini")
        return read_ini(path).get("General", {}) if os.path.exists(path) else None

    def uninstall_entry(self):
        """The product's uninstall entry {value: data}, or None."""
        if not self.user:
            return None
        out = os.path.join(self.work, "uninstall.reg")
        r = self.wine(["reg", "export", UNINSTALL_KEY, "C:\\orvane-test\\uninstall.reg", "/y"],
                      check=False)
        exported = self.drive_c("orvane-test", "uninstall.reg")
        if r.returncode != 0 or not os.path.exists(exported):
            return None
        shutil.move(exported, out)
        return parse_reg_export(out)

    def product_files(self, folder_windows):
        folder = self.host_path(folder_windows)
        if not os.path.isdir(folder):
            return None
        return sorted(os.listdir(folder))

    def host_path(self, windows_path):
        """The Linux path of a C:\\ path of the prefix."""
        if not re.match(r"^[A-Za-z]:\\", windows_path):
            raise StageError(f"not a drive path: {windows_path}")
        parts = windows_path[3:].split("\\")
        path = self.drive_c()
        for part in parts:
            if not part:
                continue
            # Wine's file system is case-insensitive
            names = os.listdir(path) if os.path.isdir(path) else []
            match = next((n for n in names if n.lower() == part.lower()), part)
            path = os.path.join(path, match)
        return path

    def recorded(self):
        """What the programs of this world recorded through the SDK, in
        journal order: the sink's records and the journal's unsent lines
        (installer_driver.recorded_records)."""
        if not self.user:
            return []
        journal = self.user_dir("AppData", "Roaming", "OrvanePkg", "Qlx", "Qlx.journal")
        return recorded_records(journal, os.path.join(self.sink_dir, "records.jsonl"))

    def sink_records(self):
        path = os.path.join(self.sink_dir, "records.jsonl")
        if not os.path.exists(path):
            return []
        with open(path, "rb") as f:
            return [json.loads(line) for line in f if line.strip()]

    def sim_requests(self):
        """The gateway's request log: (listener, endpoint, request line)."""
        path = os.path.join(self.sim_dir, "requests.log")
        if not os.path.exists(path):
            return []
        data = read_bytes(path)
        out, pos = [], 0
        while True:
            m = re.compile(rb"=== (\d+) (\S+) (\S+) (\d+) (\d+)\n").match(data, pos)
            if not m:
                break
            body_start = m.end()
            size = int(m.group(5))
            raw = data[body_start:body_start + size]
            out.append((m.group(2).decode(), m.group(3).decode(),
                        raw.split(b"\r\n", 1)[0].decode("latin-1")))
            pos = body_start + size + 1
        return out

    def cdn_requests(self):
        if not os.path.exists(self.cdn_log):
            return []
        with open(self.cdn_log, encoding="latin-1") as f:
            return [line.rstrip("\n") for line in f]

    def opened_pages(self):
        """What the recording browser was started with: the URLs, in order."""
        path = self.drive_c("orvane-test", "recording_browser.exe.log")
        if not os.path.exists(path):
            return []
        urls = []
        with open(path, encoding="utf-8", errors="replace") as f:
            for line in f:
                m = re.search(r'--record "([^"]*)"', line)
                if m:
                    urls.append(m.group(1))
        return urls

    # --- the end ----------------------------------------------------------------

    def stop(self):
        """Ends what this stage started, by process id, and the prefix's
        wineserver."""
        if os.path.exists(self.prefix):
            try:
                subprocess.run(["wineserver", "-k"], env=self.wine_env(), capture_output=True,
                               timeout=30)
            except subprocess.TimeoutExpired:
                self.log("wineserver -k did not return within 30 s")
        for name, proc in reversed(self.procs):
            if proc.poll() is None:
                try:
                    os.killpg(proc.pid, signal.SIGTERM)
                except OSError:
                    pass
                try:
                    proc.wait(timeout=5)
                except subprocess.TimeoutExpired:
                    os.killpg(proc.pid, signal.SIGKILL)
                    proc.wait()
        self.procs = []


def read_bytes(path):
    with open(path, "rb") as f:
        return f.read()


def read_ini(path):
    """A profile file as {section: {key: value}} in file order; UTF-16 with
    a byte-order mark or UTF-8 (Wine writes plain text in the code page)."""
    raw = read_bytes(path)
    if raw.startswith(b"\xff\xfe"):
        text = raw[2:].decode("utf-16-le")
    else:
        text = raw.decode("utf-8", errors="replace")
    sections, current = {}, None
    for line in text.splitlines():
        line = line.strip()
        if line.startswith("[") and line.endswith("]"):
            current = sections.setdefault(line[1:-1], {})
        elif "=" in line and current is not None:
            key, _, value = line.partition("=")
            current[key.strip()] = value.strip()
    return sections


def parse_reg_export(path):
    """The values of the one key in a `reg export` file."""
    raw = read_bytes(path)
    text = raw.decode("utf-16") if raw[:2] in (b"\xff\xfe", b"\xfe\xff") else raw.decode()
    values = {}
    for line in text.splitlines():
        m = re.match(r'^"((?:[^"\\]|\\.)*)"=(.*)$', line)
        if not m:
            continue
        name = m.group(1).replace('\\"', '"').replace("\\\\", "\\")
        data = m.group(2)
        if data.startswith('"'):
            values[name] = data[1:-1].replace('\\"', '"').replace("\\\\", "\\")
        elif data.startswith("dword:"):
            values[name] = int(data[6:], 16)
        else:
            values[name] = data
    return values
