#!/usr/bin/env python3
"""The vendor's servers for the tests and the demo, on loopback: the API
gateway (package info, channel welcome, installer configuration with its
animated picture), the ad-conversion service and, when asked, the SDK's
analytics sink (tools/analytics_sink.py, run in the same process).

usage: vendor_sim.py --state DIR [--scenario FILE]
                     [--api HOST:PORT]... [--conv HOST:PORT]...
                     [--sink-state DIR --sink-listen HOST:PORT=MODE... [--sink-app ID:KEY]...]

  --state DIR       folder of the request log (started afresh) and the default scenario
  --scenario FILE   the scenario (default DIR/scenario.json); read again on
                    every request, so a test switches answers by rewriting it.
                    A missing or unreadable file means good answers.
  --api HOST:PORT   a gateway listener (default 127.0.0.10:80)
  --conv HOST:PORT  a conversion service listener (default 127.0.0.14:80)
  --sink-*          the analytics sink's --state, --listen and --app options;
                    without --sink-listen no sink runs here

Endpoints (the query string is free; the path before "?" chooses):
  package     GET  /applicationService/installer/getAppVersion    gateway
  welcome     GET  /applicationService/channel/welcome?channel=C  gateway
  config      GET  /applicationService/app/installerConfig        gateway
  picture     GET  /static/NAME.gif (the pictures below)            gateway
  conversion  POST /v1/install/kelmor                              conversion
Anything else is answered 404.

Pictures (40 x 20, a bar moving across a two-colour band; made here):
  banner.gif       three frames, delays 0.1 s, 0.3 s and 0.2 s
  one-frame.gif    the first frame alone
  zero-delay.gif   three frames, the second with a delay of 0
  broken.gif       banner.gif cut off in the middle of its second frame
  huge.gif         a header announcing 65535 x 65535 pixels, then one
                   small frame
  many-frames.gif  1000 frames of 2 x 1 pixels
  showcase.gif     600 x 300, six frames: the banner scripts/demo shows

Scenario (JSON object; every member optional):
  {"package":    RULE,
   "welcome":    RULE plus "channels": {"<channel>": DATA, ...},
   "config":     RULE,
   "picture":    RULE,
   "conversion": RULE}

  RULE = {"reply": KIND,        how to answer (default "ok")
          "data": DATA,         the "data" payload (default: good data)
          "code": JSON,         the "code" of "refused" (default "server.fail")
          "body": TEXT,         the body of "body"
          "status": N,          the HTTP status of "status" (default 503)
          "delay_ms": N,        pause before answering
          "chunked": BOOL,      send the body chunked
          "fail_first": N,      the first N requests get "fail_reply" ...
          "fail_reply": KIND}   ... (default "status")

  KIND:
    ok         200 {"code":"server.success","data":DATA}
    refused    200 {"code":CODE,"data":{}}
    no-data    200 {"code":"server.success"}
    no-code    200 {"data":DATA}
    null-data  200 {"code":"server.success","data":null}
    html       200 an HTML error page
    body       200 the text of "body", as it is
    status     STATUS with an HTML page
    close      close the connection without an answer
    silent     keep the connection open without an answer (until the
               client goes, at most 120 s)

  Requests are counted per endpoint from the moment the scenario file's
  content last changed, so "fail_first" starts again with a new scenario.
  The welcome data is DATA, else "channels"[channel], else a default made
  from the channel; the picture's "ok" is the GIF of its path.

Request log, DIR/requests.log: every request byte for byte as received
(request line, header lines in their order, the blank line, the body by its
Content-Length), each framed as

  === <seq> <listener HOST:PORT> <endpoint> <unix time ms> <byte count>\\n
  <the bytes>\\n

written when the request is complete, before any answer (a request cut
short is logged with what arrived). tests/support/VendorSim.h reads it.
"""
import argparse
import hashlib
import json
import os
import shutil
import socket
import socketserver
import struct
import sys
import threading
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import analytics_sink  # noqa: E402

MAX_HEAD = 64 * 1024
MAX_BODY = 1024 * 1024
KINDS = ("ok", "refused", "no-data", "no-code", "null-data", "html", "body", "status",
         "close", "silent")
REASONS = {200: "OK", 400: "Bad Request", 403: "Forbidden", 404: "Not Found",
           500: "Internal Server Error", 502: "Bad Gateway", 503: "Service Unavailable",
           504: "Gateway Timeout"}
ROUTES = {
    ("api", "GET", "/applicationService/installer/getAppVersion"): "package",
    ("api", "GET", "/applicationService/channel/welcome"): "welcome",
    ("api", "GET", "/applicationService/app/installerConfig"): "config",
    ("conv", "POST", "/v1/install/kelmor"): "conversion",
}
HTML_PAGE = (b"<html>\r\n<head><title>502 Bad Gateway</title></head>\r\n"
             b"<body>\r\n<center><h1>502 Bad Gateway</h1></center>\r\n</body>\r\n</html>\r\n")


def default_data(endpoint, channel, host):
    if endpoint == "package":
        return {"downloadUrl": "http://cdn.orvane.test/10284/install.exe",
                "versionCode": "2.0.0.1", "size": 300000, "installationSize": 1048576,
                "md5": "0123456789abcdef0123456789abcdef"}
    if endpoint == "welcome":
        return {"appId": "40917263", "appName": "栖木工坊",
                "welcomeUrl": f"http://www.orvane.test/kestrelvault/welcome?from={channel}",
                "advertisingAccountName": f"acct_{channel}", "kelmorOcpc": True}
    if endpoint == "config":
        return {"ProductsShow": {"gif_url": f"http://{host}/static/banner.gif"}}
    return {}


def lzw_uncompressed(pixels, min_code_size=2):
    """GIF image data without compression: a clear code before every two
    pixels keeps the code width at min_code_size + 1 bits."""
    clear, end = 1 << min_code_size, (1 << min_code_size) + 1
    width = min_code_size + 1
    codes = []
    for i, p in enumerate(pixels):
        if i % 2 == 0:
            codes.append(clear)
        codes.append(p)
    codes.append(end)
    bits = nbits = 0
    out = bytearray()
    for c in codes:
        bits |= c << nbits
        nbits += width
        while nbits >= 8:
            out.append(bits & 0xFF)
            bits >>= 8
            nbits -= 8
    if nbits:
        out.append(bits & 0xFF)
    blocks = bytearray([min_code_size])
    for i in range(0, len(out), 255):
        piece = out[i:i + 255]
        blocks += bytes([len(piece)]) + piece
    return bytes(blocks + b"\x00")


def make_banner_gif(width=40, height=20, frames=3, delays=(10, 30, 20)):
    """A small animated GIF: a bar that moves across a two-colour band.
    delays: hundredths of a second, one per frame, repeated as needed."""
    palette = bytes([0x2B, 0x5C, 0x8A, 0xF2, 0xB1, 0x34, 0xFF, 0xFF, 0xFF, 0x10, 0x10, 0x10])
    gif = bytearray(b"GIF89a" + struct.pack("<HHBBB", width, height, 0xF1, 0, 0) + palette)
    gif += b"\x21\xFF\x0BNETSCAPE2.0\x03\x01\x00\x00\x00"  # loop for ever
    for f in range(frames):
        delay = delays[f % len(delays)]
        gif += b"\x21\xF9\x04\x04" + struct.pack("<H", delay) + b"\x00\x00"
        gif += b"\x2C" + struct.pack("<HHHHB", 0, 0, width, height, 0)
        bar = f * width // frames
        pixels = [1 if bar <= x < bar + width // frames else (0 if y < height // 2 else 2)
                  for y in range(height) for x in range(width)]
        gif += lzw_uncompressed(pixels)
    return bytes(gif + b"\x3B")


def make_showcase_gif(width=600, height=300, frames=6, delay=12):
    """The demo's banner, drawn at the progress page's size so that it is
    shown as it is: a dusk gradient with a soft band of light sweeping
    across, dithered so that its 16 colours show no steps."""
    ramp = [(0x18 + 4 * i, 0x24 + 7 * i, 0x44 + 10 * i) for i in range(12)]
    glow = [(0x50, 0x84, 0xD8), (0x66, 0x98, 0xE6), (0x80, 0xAC, 0xF0), (0x9C, 0xC0, 0xF8)]
    palette = b"".join(bytes(c) for c in ramp + glow)  # 16 colours
    gif = bytearray(b"GIF89a" + struct.pack("<HHBBB", width, height, 0xF3, 0, 0) + palette)
    gif += b"\x21\xFF\x0BNETSCAPE2.0\x03\x01\x00\x00\x00"  # loop for ever
    bayer = ((0, 8, 2, 10), (12, 4, 14, 6), (3, 11, 1, 9), (15, 7, 13, 5))
    for f in range(frames):
        gif += b"\x21\xF9\x04\x04" + struct.pack("<H", delay) + b"\x00\x00"
        gif += b"\x2C" + struct.pack("<HHHHB", 0, 0, width, height, 0)
        centre = (f * (width + 240)) // frames - 120
        pixels = []
        for y in range(height):
            level = (height - 1 - y) * 11 * 16 // height  # sixteenths of a ramp step
            for x in range(width):
                d = abs(x - centre + (y - height // 2) // 3)  # a gently slanted band
                if d < 64:
                    # the band fades out in four dithered steps towards its edges
                    g = (64 - d) * 4 * 16 // 64
                    step = g // 16 + (1 if g % 16 > bayer[y & 3][x & 3] else 0)
                    if step:
                        pixels.append(11 + min(step, 4))
                        continue
                pixels.append(min(11, level // 16 + (1 if level % 16 > bayer[y & 3][x & 3] else 0)))
        gif += lzw_uncompressed(pixels, min_code_size=4)
    return bytes(gif + b"\x3B")


def make_pictures():
    """The pictures the gateway serves under /static/, by file name."""
    banner = make_banner_gif()
    huge = bytearray(make_banner_gif(frames=1))
    huge[6:10] = struct.pack("<HH", 65535, 65535)  # the canvas; the frame stays 40 x 20
    return {
        "banner.gif": banner,
        "one-frame.gif": make_banner_gif(frames=1),
        "zero-delay.gif": make_banner_gif(delays=(10, 0, 20)),
        "broken.gif": banner[:len(banner) * 3 // 5],
        "huge.gif": bytes(huge),
        "many-frames.gif": make_banner_gif(width=2, height=1, frames=1000, delays=(5,)),
        "showcase.gif": make_showcase_gif(),
    }


class Scenario:
    """The scenario file, read again per request; counts per endpoint."""

    def __init__(self, path):
        self.path = path
        self.lock = threading.Lock()
        self.digest = None
        self.rules = {}
        self.counts = {}

    def take(self, endpoint):
        """(rule, number of this request since the scenario changed, from 0)."""
        try:
            with open(self.path, "rb") as f:
                raw = f.read()
        except OSError:
            raw = b""
        with self.lock:
            digest = hashlib.md5(raw).hexdigest()
            if digest != self.digest:
                self.digest = digest
                self.counts = {}
                try:
                    rules = json.loads(raw.decode("utf-8")) if raw.strip() else {}
                    self.rules = rules if isinstance(rules, dict) else {}
                except (UnicodeDecodeError, json.JSONDecodeError) as e:
                    print(f"vendor_sim: bad scenario, using good answers: {e}", flush=True)
                    self.rules = {}
            n = self.counts.get(endpoint, 0)
            self.counts[endpoint] = n + 1
            rule = self.rules.get(endpoint, {})
            return (rule if isinstance(rule, dict) else {}), n


class RequestLog:
    def __init__(self, path):
        self.lock = threading.Lock()
        self.seq = 0
        self.file = open(path, "ab", buffering=0)

    def write(self, listener, endpoint, data):
        with self.lock:
            self.seq += 1
            frame = (f"=== {self.seq} {listener} {endpoint} {int(time.time() * 1000)} "
                     f"{len(data)}\n").encode()
            self.file.write(frame + data + b"\n")


class Handler(socketserver.BaseRequestHandler):
    def handle(self):
        conn = self.request
        conn.settimeout(30)
        role, listener = self.server.role, self.server.name
        data, complete = b"", False
        try:
            while b"\r\n\r\n" not in data and len(data) <= MAX_HEAD:
                chunk = conn.recv(4096)
                if not chunk:
                    break
                data += chunk
            if b"\r\n\r\n" in data:
                head = data.split(b"\r\n\r\n", 1)[0]
                length = 0
                for line in head.split(b"\r\n")[1:]:
                    name, _, value = line.partition(b":")
                    if name.strip().lower() == b"content-length":
                        length = min(int(value.strip() or b"0"), MAX_BODY)
                want = len(head) + 4 + length
                while len(data) < want:
                    chunk = conn.recv(65536)
                    if not chunk:
                        break
                    data += chunk
                complete = len(data) >= want
        except (OSError, ValueError):
            pass
        request_line = data.split(b"\r\n", 1)[0].decode("latin-1")
        parts = request_line.split(" ")
        method = parts[0] if parts else ""
        target = parts[1] if len(parts) > 1 else ""
        path, _, query = target.partition("?")
        endpoint = ROUTES.get((role, method, path), "unknown")
        if (role == "api" and method == "GET" and path.startswith("/static/")
                and path[len("/static/"):] in self.server.pictures):
            endpoint = "picture"
        self.server.log.write(listener, endpoint if complete else endpoint + "-partial", data)
        if not complete:
            return
        host = ""
        for line in data.split(b"\r\n\r\n", 1)[0].split(b"\r\n")[1:]:
            name, _, value = line.partition(b":")
            if name.strip().lower() == b"host":
                host = value.strip().decode("latin-1")
        try:
            self.answer(conn, endpoint, query, host or listener, path)
        except OSError:
            pass

    def answer(self, conn, endpoint, query, host, path=""):
        if endpoint == "unknown":
            return self.send(conn, 404, b"<html><body>not found</body></html>", "text/html")
        rule, n = self.server.scenario.take(endpoint)
        kind = rule.get("reply", "ok")
        if n < int(rule.get("fail_first", 0)):
            kind = rule.get("fail_reply", "status")
        if kind not in KINDS:
            kind = "status"
        delay = int(rule.get("delay_ms", 0))
        if delay > 0:
            time.sleep(delay / 1000.0)
        chunked = bool(rule.get("chunked", False))
        if kind == "close":
            return None
        if kind == "silent":
            conn.settimeout(120)
            try:
                while conn.recv(4096):
                    pass
            except OSError:
                pass
            return None
        if kind == "status":
            return self.send(conn, int(rule.get("status", 503)), HTML_PAGE, "text/html", chunked)
        if kind == "html":
            return self.send(conn, 200, HTML_PAGE, "text/html", chunked)
        if kind == "body":
            return self.send(conn, 200, str(rule.get("body", "")).encode("utf-8"),
                             "application/json", chunked)
        if endpoint == "picture":
            picture = self.server.pictures[path[len("/static/"):]]
            return self.send(conn, 200, picture, "image/gif", chunked)
        channel = ""
        for pair in query.split("&"):
            name, _, value = pair.partition("=")
            if name == "channel":
                channel = value
        data = rule.get("data")
        if data is None and endpoint == "welcome":
            data = rule.get("channels", {}).get(channel)
        if data is None:
            data = default_data(endpoint, channel, host)
        envelope = {
            "ok": {"code": "server.success", "data": data},
            "refused": {"code": rule.get("code", "server.fail"), "data": {}},
            "no-data": {"code": "server.success"},
            "no-code": {"data": data},
            "null-data": {"code": "server.success", "data": None},
        }[kind]
        body = json.dumps(envelope, ensure_ascii=False).encode("utf-8")
        return self.send(conn, 200, body, "application/json;charset=UTF-8", chunked)

    @staticmethod
    def send(conn, status, body, content_type, chunked=False):
        head = f"HTTP/1.1 {status} {REASONS.get(status, 'Status')}\r\nServer: vendor-sim\r\n"
        head += f"Content-Type: {content_type}\r\n"
        if chunked:
            head += "Transfer-Encoding: chunked\r\nConnection: close\r\n\r\n"
            payload = b""
            for i in range(0, len(body), 7):
                piece = body[i:i + 7]
                payload += f"{len(piece):x}\r\n".encode() + piece + b"\r\n"
            payload += b"0\r\n\r\n"
        else:
            head += f"Content-Length: {len(body)}\r\nConnection: close\r\n\r\n"
            payload = body
        conn.sendall(head.encode() + payload)


class Server(socketserver.ThreadingTCPServer):
    daemon_threads = True
    allow_reuse_address = True
    request_queue_size = 64

    def __init__(self, address, role, scenario, log, pictures):
        self.role, self.scenario, self.log, self.pictures = role, scenario, log, pictures
        self.name = f"{address[0]}:{address[1]}"
        super().__init__(address, Handler)


def split_address(text):
    host, _, port = text.rpartition(":")
    return host, int(port)


def start_sink(args):
    """The analytics sink's listeners, as analytics_sink.py would run them."""
    shutil.rmtree(args.sink_state, ignore_errors=True)
    os.makedirs(args.sink_state)
    apps = dict(pair.partition(":")[::2] for pair in args.sink_app)
    store = analytics_sink.Store(args.sink_state, apps)
    for listen in args.sink_listen:
        where, _, mode = listen.partition("=")
        if mode not in analytics_sink.MODES:
            sys.exit(f"vendor_sim: unknown sink mode {mode!r}")
        host, port = split_address(where)
        listener = analytics_sink.Listener(host, port, mode, store)
        if mode != "down":
            listener.open()
        threading.Thread(target=listener.serve, daemon=True).start()


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("--state", required=True)
    parser.add_argument("--scenario")
    parser.add_argument("--api", action="append")
    parser.add_argument("--conv", action="append")
    parser.add_argument("--sink-state")
    parser.add_argument("--sink-listen", action="append", default=[])
    parser.add_argument("--sink-app", action="append", default=[])
    args = parser.parse_args()
    if args.sink_listen and not args.sink_state:
        sys.exit("vendor_sim: --sink-listen needs --sink-state")

    scenario_path = args.scenario or os.path.join(args.state, "scenario.json")
    # the log starts empty; a scenario a caller placed there stays
    os.makedirs(args.state, exist_ok=True)
    log_path = os.path.join(args.state, "requests.log")
    if os.path.exists(log_path):
        os.remove(log_path)
    scenario = Scenario(scenario_path)
    log = RequestLog(log_path)
    pictures = make_pictures()

    servers = []
    for role, addresses in (("api", args.api or ["127.0.0.10:80"]),
                            ("conv", args.conv or ["127.0.0.14:80"])):
        for address in addresses:
            servers.append(Server(split_address(address), role, scenario, log, pictures))
    if args.sink_listen:
        start_sink(args)
    for server in servers:
        threading.Thread(target=server.serve_forever, daemon=True).start()
    names = ", ".join(f"{s.role} {s.name}" for s in servers)
    print(f"vendor sim: {names}; scenario {scenario_path}; log {log_path}", flush=True)
    try:
        while True:
            time.sleep(3600)
    except KeyboardInterrupt:
        pass


if __name__ == "__main__":
    main()
