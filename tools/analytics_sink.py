#!/usr/bin/env python3
"""The analytics host of the tests: receives the SDK's record uploads,
stores them, and acknowledges or refuses them as told.

usage: analytics_sink.py --state DIR --listen HOST:PORT=MODE [--listen ...]
                         [--app APPID:APPKEY]...

Upload protocol (what Qlx.dll sends, what a receiver answers)
-------------------------------------------------------------
One batch per connection:

    POST <sensor path> HTTP/1.1          e.g. /sa?project=production
    Host: <host>[:<port> unless 80]
    Content-Type: application/x-ndjson; charset=utf-8
    Content-Length: <bytes>              always present; no chunked bodies
    X-Qlx-App: <app id>
    X-Qlx-Batch: <MD5 of the body, lower-case hex>
    X-Qlx-Count: <number of lines in the body>
    X-Qlx-Sign: <MD5 of "<app id>\\n<app key>\\n<batch>", lower-case hex>
    [X-Qlx-Url-Version: <text>]
    Connection: close

    <journal lines, byte for byte, each ended by "\\n">

Each line is one record, a JSON object in UTF-8 (text is not escaped beyond
what JSON needs):

    {"uid":"<32 hex>","sid":"<16 hex>","seq":N,"time":<ms since 1970 UTC>,
     "pid":N,"mid":"<machine id>","app":"<app id>","name":"<app name>",
     "type":T,                                 1 launch, 2 operation, 4 report, 6 event
     "event":"<name>","id":N,"props":{...},    events only; values int, bool or text
     "fields":[[<field id>,<int or text>],...]}  when fields were written, in write order

A text that is not UTF-8 arrives as {"b64":"<Base64>"} instead of a string.
"uid" is unique per record for good.

Answers:
  200 {"ack":"<batch>","stored":n,"duplicates":m}
      the batch is stored; records whose uid was stored before are counted
      as duplicates and not stored again. The client sends a batch again
      when it did not get this answer (for instance, it crashed before it
      could note it), so storing by uid is what makes each record arrive once.
  400 malformed batch (bad batch id, count, JSON or uid), 403 bad signature,
  413 too large.
      Sending the batch again would change nothing: the client sets it
      aside (Qlx.journal.refused beside its journal) and goes on with the
      records after it.
  405 not POST, 411 no Content-Length, 503 refused.
      The client keeps the records and sends them again later.

Modes of a listener:
  ack     store and acknowledge
  refuse  answer 503, store nothing
  reject  answer 400 as for a malformed batch, store nothing
  drop    store, then close the connection without an answer (the
          acknowledgement is lost, as when the client crashes first)
  hang    read the request and never answer
  down    not listening at all: connections are refused

A file DIR/<host>_<port>.mode holding a mode name overrides a listener's
mode while it exists; tests write and delete it to switch the sink.

What the tests read, in DIR:
  records.jsonl   every stored record line, byte for byte, in arrival order,
                  each uid once
  requests.jsonl  one JSON object per request: listener, mode, path, batch,
                  count, uids, status (0 for no answer), stored, duplicates,
                  error
"""
import argparse
import hashlib
import json
import os
import re
import select
import shutil
import socket
import sys
import threading
import time

MAX_HEAD = 64 * 1024
MAX_BODY = 4 * 1024 * 1024
MODES = ("ack", "refuse", "reject", "drop", "hang", "down")
UID = re.compile(r"^[0-9a-f]{32}$")


class Store:
    def __init__(self, folder, apps):
        self.folder = folder
        self.apps = apps
        self.lock = threading.Lock()
        self.uids = set()
        self.records = open(os.path.join(folder, "records.jsonl"), "ab", buffering=0)
        self.requests = open(os.path.join(folder, "requests.jsonl"), "ab", buffering=0)

    def store(self, lines):
        """Stores the lines whose uid is new; returns (stored, duplicates)."""
        stored = duplicates = 0
        with self.lock:
            for line, uid in lines:
                if uid in self.uids:
                    duplicates += 1
                    continue
                self.uids.add(uid)
                self.records.write(line + b"\n")
                stored += 1
        return stored, duplicates

    def log(self, entry):
        data = (json.dumps(entry, ensure_ascii=False) + "\n").encode("utf-8")
        with self.lock:
            self.requests.write(data)


class Listener:
    def __init__(self, host, port, mode, store):
        self.host, self.port, self.mode, self.store = host, port, mode, store
        self.name = f"{host}:{port}"
        self.mode_file = os.path.join(store.folder, f"{host}_{port}.mode")
        self.sock = None

    def current_mode(self):
        try:
            with open(self.mode_file) as f:
                mode = f.read().strip()
            if mode in MODES:
                return mode
        except OSError:
            pass
        return self.mode

    def open(self):
        s = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
        s.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
        s.bind((self.host, self.port))
        s.listen(64)
        self.sock = s

    def close(self):
        if self.sock:
            self.sock.close()
            self.sock = None

    def serve(self):
        while True:
            down = self.current_mode() == "down"
            if down and self.sock:
                self.close()
            elif not down and not self.sock:
                self.open()
            if not self.sock:
                time.sleep(0.1)
                continue
            ready, _, _ = select.select([self.sock], [], [], 0.1)
            if not ready:
                continue
            try:
                conn, _ = self.sock.accept()
            except OSError:
                continue
            threading.Thread(target=self.handle, args=(conn,), daemon=True).start()

    def handle(self, conn):
        entry = {"listener": self.name, "mode": self.current_mode(), "path": "", "batch": "",
                 "count": 0, "uids": [], "status": 0, "stored": 0, "duplicates": 0, "error": ""}
        try:
            conn.settimeout(30)
            self.exchange(conn, entry)
        except (OSError, ValueError) as e:
            entry["error"] = entry["error"] or f"connection: {e}"
        finally:
            # logged before the client can see the end of the exchange, so
            # that a test reading the log after its upload finds it there
            if not entry.get("logged"):
                self.log(entry)
            try:
                conn.close()
            except OSError:
                pass

    def log(self, entry):
        entry["logged"] = True
        self.store.log({k: v for k, v in entry.items() if k != "logged"})

    def exchange(self, conn, entry):
        head = b""
        while b"\r\n\r\n" not in head:
            chunk = conn.recv(4096)
            if not chunk:
                raise ValueError("closed before the head ended")
            head += chunk
            if len(head) > MAX_HEAD:
                return self.answer(conn, entry, 413, {"error": "head too large"})
        head, _, body = head.partition(b"\r\n\r\n")
        lines = head.decode("latin-1").split("\r\n")
        parts = lines[0].split(" ")
        if len(parts) != 3:
            return self.answer(conn, entry, 400, {"error": "bad request line"})
        method, path = parts[0], parts[1]
        entry["path"] = path
        headers = {}
        for line in lines[1:]:
            name, sep, value = line.partition(":")
            if not sep:
                return self.answer(conn, entry, 400, {"error": "bad header"})
            headers[name.strip().lower()] = value.strip()
        if method == "GET" and path == "/health":
            return self.answer(conn, entry, 200, {"ok": True})
        if method != "POST":
            return self.answer(conn, entry, 405, {"error": "POST only"})
        if "content-length" not in headers:
            return self.answer(conn, entry, 411, {"error": "Content-Length required"})
        length = int(headers["content-length"])
        if length < 0 or length > MAX_BODY:
            return self.answer(conn, entry, 413, {"error": "body too large"})
        while len(body) < length:
            chunk = conn.recv(65536)
            if not chunk:
                raise ValueError("closed before the body ended")
            body += chunk
        body = body[:length]

        batch = headers.get("x-qlx-batch", "")
        entry["batch"] = batch
        records = []
        for raw in body.split(b"\n")[:-1] if body.endswith(b"\n") else [None]:
            if raw is None:
                return self.answer(conn, entry, 400, {"error": "body must end with a newline"})
            try:
                obj = json.loads(raw.decode("utf-8"))
            except (UnicodeDecodeError, json.JSONDecodeError):
                return self.answer(conn, entry, 400, {"error": "a line is not JSON"})
            uid = obj.get("uid") if isinstance(obj, dict) else None
            if not isinstance(uid, str) or not UID.match(uid):
                return self.answer(conn, entry, 400, {"error": "a line has no uid"})
            records.append((raw, uid))
        entry["uids"] = [uid for _, uid in records]
        entry["count"] = len(records)
        if hashlib.md5(body).hexdigest() != batch:
            return self.answer(conn, entry, 400, {"error": "batch id is not the body's MD5"})
        if headers.get("x-qlx-count") != str(len(records)):
            return self.answer(conn, entry, 400, {"error": "count does not match"})
        app = headers.get("x-qlx-app", "")
        if app in self.store.apps:
            want = hashlib.md5(f"{app}\n{self.store.apps[app]}\n{batch}".encode()).hexdigest()
            if headers.get("x-qlx-sign") != want:
                return self.answer(conn, entry, 403, {"error": "bad signature"})

        mode = self.current_mode()
        entry["mode"] = mode
        if mode == "refuse":
            return self.answer(conn, entry, 503, {"error": "refused"})
        if mode == "reject":
            return self.answer(conn, entry, 400, {"error": "rejected"})
        if mode == "hang":
            entry["error"] = "hung"
            self.log(entry)
            # hold the connection until the client gives up
            conn.settimeout(120)
            while conn.recv(4096):
                pass
            return None
        entry["stored"], entry["duplicates"] = self.store.store(records)
        if mode == "drop":
            entry["error"] = "dropped"
            self.log(entry)
            return None
        return self.answer(conn, entry, 200, {"ack": batch, "stored": entry["stored"],
                                              "duplicates": entry["duplicates"]})

    def answer(self, conn, entry, status, obj):
        entry["status"] = status
        if status != 200 and not entry["error"]:
            entry["error"] = obj.get("error", "")
        body = json.dumps(obj).encode()
        reason = {200: "OK", 400: "Bad Request", 403: "Forbidden", 405: "Method Not Allowed",
                  411: "Length Required", 413: "Payload Too Large",
                  503: "Service Unavailable"}[status]
        head = (f"HTTP/1.1 {status} {reason}\r\nContent-Type: application/json\r\n"
                f"Content-Length: {len(body)}\r\nConnection: close\r\n\r\n")
        self.log(entry)
        conn.sendall(head.encode() + body)
        return None


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("--state", required=True)
    parser.add_argument("--listen", action="append", required=True)
    parser.add_argument("--app", action="append", default=[])
    args = parser.parse_args()

    shutil.rmtree(args.state, ignore_errors=True)
    os.makedirs(args.state)
    apps = {}
    for pair in args.app:
        app, _, key = pair.partition(":")
        apps[app] = key
    store = Store(args.state, apps)

    threads = []
    for listen in args.listen:
        where, _, mode = listen.partition("=")
        host, _, port = where.rpartition(":")
        if mode not in MODES:
            sys.exit(f"analytics_sink: unknown mode {mode!r}")
        listener = Listener(host, int(port), mode, store)
        if mode != "down":
            listener.open()
        t = threading.Thread(target=listener.serve, daemon=True)
        t.start()
        threads.append(t)
    print(f"analytics sink: {', '.join(args.listen)}; state in {args.state}", flush=True)
    for t in threads:
        t.join()


if __name__ == "__main__":
    main()
