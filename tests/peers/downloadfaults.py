#!/usr/bin/env python3
"""Fault server of the download tests: what nginx will not do on cue.

127.0.0.17:80, paths /<mode>/<tag>/<size>; the file is pattern(size)
(pattern.py). The tag keeps the requests of one test apart in the log.

  ok        HEAD and ranged GET as a real server does them
  midclose  a GET sends at most 700001 bytes of its range, then closes
  ignore    a GET is answered 200 with the whole file (Range ignored)
  otherrange a GET is answered 206 with a range one byte further on
  replaced  HEAD tells the size; a GET is answered 206 with the asked range
            of a file one byte longer (the package changed in between)
  stall     the first GET of a tag sends 100000 bytes, then nothing for 20 s;
            later GETs as ok
  hang      every GET sends 1000 bytes, then holds the connection open
  half      every GET sends what its range holds of the file's first half,
            then holds the connection open: a download stays at 50 %
  nolength  HEAD and GET without Content-Length
  head404   HEAD is answered 404, GET as ok
  silent    no answer at all; the connection is held for 60 s
  zerofail  the first 20 GETs of a tag asking from offset 0 are answered 200
            with the whole file; later ones and other ranges as ok
  splithead a GET's answer carries a 3000-byte header line and its head
            arrives in three pieces, 0.2 s apart
  relget    a GET is answered 302 to /ok/<tag>/<size> (relative Location)
  named     as ok, and HEAD names the file: /named/<tag>/<size>?<hex> sends
            "Content-Disposition: attachment; filename=<the bytes in hex>"

/log/<tag> answers the requests seen for the tag, one a line:
"HEAD" or "GET <range header value>".

Standard library only; one thread per connection; logs to stderr.
"""
import socket
import socketserver
import sys
import threading
import time

from pattern import pattern

LOCK = threading.Lock()
LOG = {}           # tag -> request lines
STALLED = set()    # tags whose first GET has stalled
ZEROFAILS = {}     # tag -> GETs from offset 0 answered wrongly so far
FILES = {}         # size -> bytes


def log(*args):
    print(*args, file=sys.stderr, flush=True)


def content(size):
    with LOCK:
        if size not in FILES:
            FILES[size] = pattern(size)
        return FILES[size]


def read_head(conn):
    data = b""
    while b"\r\n\r\n" not in data and len(data) < 65536:
        chunk = conn.recv(4096)
        if not chunk:
            break
        data += chunk
    return data


def header(head, name):
    for line in head.split(b"\r\n")[1:]:
        key, _, value = line.partition(b":")
        if key.strip().lower() == name:
            return value.strip().decode("latin-1")
    return None


def parse_range(value, size):
    """(first, last) of "bytes=a-b", or None"""
    if not value or not value.startswith("bytes="):
        return None
    a, _, b = value[6:].partition("-")
    try:
        first = int(a)
        last = min(int(b), size - 1) if b else size - 1
    except ValueError:
        return None
    return (first, last) if first <= last else None


def hold(conn, seconds):
    """keeps the connection open until the client goes or time runs out"""
    conn.settimeout(seconds)
    try:
        while conn.recv(4096):
            pass
    except OSError:
        pass


def send_range(conn, data, first, last, limit=None, content_range_first=None, total=None):
    crf = first if content_range_first is None else content_range_first
    body = data[first:last + 1]
    head = (b"HTTP/1.1 206 Partial Content\r\nContent-Length: %d\r\n"
            b"Content-Range: bytes %d-%d/%d\r\nConnection: close\r\n\r\n"
            % (len(body), crf, crf + len(body) - 1, len(data) if total is None else total))
    conn.sendall(head + (body if limit is None else body[:limit]))


class Handler(socketserver.BaseRequestHandler):
    def handle(self):
        conn = self.request
        conn.settimeout(10)
        head = read_head(conn)
        if b"\r\n\r\n" not in head:
            return
        method, _, rest = head.partition(b" ")
        method = method.decode("latin-1")
        target = rest.partition(b" ")[0].decode("latin-1")
        path, _, query = target.partition("?")
        pieces = [p for p in path.split("/") if p]
        log(method, path, header(head, b"range"))
        if len(pieces) == 2 and pieces[0] == "log":
            with LOCK:
                text = "".join(line + "\n" for line in LOG.get(pieces[1], []))
            body = text.encode()
            # chunked, so that an empty log is an answer too
            chunk = b"%x\r\n%s\r\n" % (len(body), body) if body else b""
            conn.sendall(b"HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n"
                         + chunk + b"0\r\n\r\n")
            return
        if len(pieces) != 3 or not pieces[2].isdigit():
            conn.sendall(b"HTTP/1.1 404 Not Found\r\nContent-Length: 0\r\n\r\n")
            return
        mode, tag, size = pieces[0], pieces[1], int(pieces[2])
        rng = header(head, b"range")
        with LOCK:
            LOG.setdefault(tag, []).append(method if method == "HEAD" else "%s %s" % (method, rng))
        data = content(size)
        if mode == "silent":
            hold(conn, 60)
            return
        if method == "HEAD":
            if mode == "head404":
                conn.sendall(b"HTTP/1.1 404 Not Found\r\nContent-Length: 0\r\n\r\n")
            elif mode == "nolength":
                conn.sendall(b"HTTP/1.1 200 OK\r\nAccept-Ranges: bytes\r\n\r\n")
            elif mode == "named":
                conn.sendall(b"HTTP/1.1 200 OK\r\nContent-Length: %d\r\n"
                             b"Content-Disposition: attachment; filename=%s\r\n\r\n"
                             % (size, bytes.fromhex(query)))
            else:
                conn.sendall(b"HTTP/1.1 200 OK\r\nContent-Length: %d\r\n"
                             b"Accept-Ranges: bytes\r\n\r\n" % size)
            return
        if mode == "relget":
            conn.sendall(b"HTTP/1.1 302 Found\r\nLocation: /ok/%s/%d\r\n"
                         b"Content-Length: 0\r\n\r\n" % (tag.encode(), size))
            return
        if mode == "ignore":
            conn.sendall(b"HTTP/1.1 200 OK\r\nContent-Length: %d\r\n\r\n" % size + data)
            return
        if mode == "nolength":
            conn.sendall(b"HTTP/1.1 200 OK\r\n\r\n" + data)
            return
        r = parse_range(rng, size)
        if r is None:
            conn.sendall(b"HTTP/1.1 416 Range Not Satisfiable\r\nContent-Length: 0\r\n\r\n")
            return
        first, last = r
        if mode == "zerofail" and first == 0:
            with LOCK:
                ZEROFAILS[tag] = ZEROFAILS.get(tag, 0) + 1
                refuse = ZEROFAILS[tag] <= 20
            if refuse:
                conn.sendall(b"HTTP/1.1 200 OK\r\nContent-Length: %d\r\n\r\n" % size + data)
                return
        if mode == "splithead":
            body = data[first:last + 1]
            head = (b"HTTP/1.1 206 Partial Content\r\nX-Filler: " + b"f" * 3000 +
                    b"\r\nContent-Range: bytes %d-%d/%d\r\nContent-Length: %d\r\n\r\n"
                    % (first, last, size, len(body)))
            for piece in (head[:20], head[20:2000], head[2000:]):
                conn.sendall(piece)
                time.sleep(0.2)
            conn.sendall(body)
        elif mode == "midclose":
            send_range(conn, data, first, last, limit=700001)
        elif mode == "otherrange":
            send_range(conn, data, first + 1, last, content_range_first=first + 1)
        elif mode == "replaced":
            send_range(conn, data, first, last, total=size + 1)
        elif mode == "hang":
            send_range(conn, data, first, last, limit=1000)
            hold(conn, 60)
        elif mode == "half":
            send_range(conn, data, first, last, limit=max(0, size // 2 - first))
            hold(conn, 60)
        elif mode == "stall":
            with LOCK:
                first_time = tag not in STALLED
                STALLED.add(tag)
            if first_time:
                send_range(conn, data, first, last, limit=100000)
                hold(conn, 20)
            else:
                send_range(conn, data, first, last)
        else:
            send_range(conn, data, first, last)


class Server(socketserver.ThreadingTCPServer):
    allow_reuse_address = True
    daemon_threads = True
    request_queue_size = 64


def main():
    server = Server(("127.0.0.17", 80), Handler)
    log("listening on 127.0.0.17:80")
    server.serve_forever()


if __name__ == "__main__":
    main()
