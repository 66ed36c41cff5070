#!/usr/bin/env python3
"""Fault server of the network tests: what real peers will not do on cue.

127.0.0.30:80    HTTP answers chosen by the request path (see ANSWERS, /echo,
                 /silent, /close-early)
127.0.0.31:8080  a proxy that answers CONNECT with 407
127.0.0.32:8080  a proxy that opens the tunnel with its answer in two pieces,
                 then serves the tunnelled request like 127.0.0.30
127.0.0.35:53    DNS answers chosen by the asked name (see dns_answer); the
                 answer to other-id.fault.test comes from 127.0.0.37
127.0.0.36:80    a listener whose queue is full: connects to it hang

Standard library only; one thread per connection; logs to stderr.
"""
import socket
import socketserver
import struct
import sys
import threading
import time

FILLER_HEAD = b"HTTP/1.1 200 OK\r\nX-Filler: "

ANSWERS = {
    "/short-status": b"HTTP/1.1 2\r\nContent-Length: 2\r\n\r\nhi",
    "/lower-length": b"HTTP/1.1 200 OK\r\ncontent-length: 5\r\n\r\n5\r\nhello\r\n0\r\n\r\n",
    "/zero-length": b"HTTP/1.1 200 OK\r\nContent-Length: 0\r\n\r\n5\r\nhello\r\n0\r\n\r\n",
    # 4096 bytes of head without its blank line, then TAIL
    "/no-blank": FILLER_HEAD + b"a" * (4096 - len(FILLER_HEAD)) + b"TAIL",
    "/chunk-10": b"HTTP/1.1 200 OK\r\n\r\n1234567890\r\nxx",
    "/chunked-hello": b"HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n"
                      b"5\r\nhello\r\n0\r\n\r\n",
    "/huge-length": b"HTTP/1.1 200 OK\r\nContent-Length: 5000000000\r\n\r\nhello",
    "/huge-chunk": b"HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n7fffffff\r\nhello",
    "/status-404": b"HTTP/1.1 404 Not Found\r\nContent-Length: 3\r\n\r\nabc",
}


def log(*args):
    print(*args, file=sys.stderr, flush=True)


def read_head(conn, limit=65536):
    data = b""
    while b"\r\n\r\n" not in data and len(data) < limit:
        chunk = conn.recv(4096)
        if not chunk:
            break
        data += chunk
    return data


def content_length(head):
    for line in head.split(b"\r\n"):
        if line.lower().startswith(b"content-length:"):
            try:
                return int(line.split(b":", 1)[1])
            except ValueError:
                return 0
    return 0


def serve_http(conn, data=b""):
    """Reads one request (data: bytes of it already received) and answers."""
    conn.settimeout(10)
    while b"\r\n\r\n" not in data:
        chunk = conn.recv(4096)
        if not chunk:
            return
        data += chunk
    head_end = data.index(b"\r\n\r\n") + 4
    head = data[:head_end]
    parts = head.split(b" ", 2)
    path = parts[1].decode("latin-1") if len(parts) > 1 else ""
    log("http", repr(head[:80]))
    if path == "/echo":
        # the whole request, body included: exactly its announced length,
        # then anything that follows within a short while
        body = data[head_end:]
        want = content_length(head)
        try:
            while len(body) < want:
                chunk = conn.recv(65536)
                if not chunk:
                    break
                body += chunk
            conn.settimeout(0.3)
            while True:
                chunk = conn.recv(65536)
                if not chunk:
                    break
                body += chunk
        except socket.timeout:
            pass
        echo = head + body
        conn.sendall(b"HTTP/1.1 200 OK\r\nContent-Length: %d\r\n\r\n" % len(echo) + echo)
    elif path == "/silent":
        # never answers; holds the connection until the client goes
        conn.settimeout(60)
        try:
            while conn.recv(4096):
                pass
        except OSError:
            pass
    elif path == "/close-early":
        conn.sendall(b"HTTP/1.1 200 OK\r\nContent-Length: 100\r\n\r\n0123456789")
    elif path in ANSWERS:
        conn.sendall(ANSWERS[path])
        time.sleep(0.2)
    else:
        conn.sendall(b"HTTP/1.1 404 Not Found\r\nContent-Length: 0\r\n\r\n")


class HttpHandler(socketserver.BaseRequestHandler):
    def handle(self):
        serve_http(self.request)


class Proxy407Handler(socketserver.BaseRequestHandler):
    def handle(self):
        head = read_head(self.request)
        log("proxy407", repr(head[:80]))
        self.request.sendall(b"HTTP/1.1 407 Proxy Authentication Required\r\n"
                             b"Proxy-Authenticate: Basic realm=\"fault\"\r\n"
                             b"Content-Length: 0\r\n\r\n")
        time.sleep(0.2)


class SplitTunnelHandler(socketserver.BaseRequestHandler):
    def handle(self):
        conn = self.request
        head = read_head(conn)
        log("tunnel", repr(head[:80]))
        if not head.startswith(b"CONNECT "):
            return
        conn.sendall(b"HTTP/1.0 200 Connection established\r\n")
        time.sleep(0.3)
        conn.sendall(b"Proxy-agent: fault\r\n\r\n")
        serve_http(conn, head[head.index(b"\r\n\r\n") + 4:])


class Server(socketserver.ThreadingTCPServer):
    allow_reuse_address = True
    daemon_threads = True


def labels(message, at):
    names = []
    while at < len(message) and message[at] != 0:
        n = message[at]
        names.append(message[at + 1:at + 1 + n].decode("latin-1"))
        at += 1 + n
    return ".".join(names), at + 1


def rr(owner_ptr, rtype, data):
    return struct.pack(">HHHIH", 0xC000 | owner_ptr, rtype, 1, 60, len(data)) + data


def encode(name):
    out = b""
    for part in name.split("."):
        out += bytes([len(part)]) + part.encode()
    return out + b"\0"


def dns_answer(query):
    """The answer to a query, the id to answer with, and whether to answer
    from the other address; None for no answer."""
    name, end = labels(query, 12)
    question = query[12:end + 4]
    qid = struct.unpack("<H", query[:2])[0]
    records = []
    rcode = 0
    other = False
    if name == "many.fault.test":
        records = [rr(12, 1, bytes([10, 0, 0, i])) for i in range(1, 26)]
    elif name == "none.fault.test":
        pass
    elif name == "cname-only.fault.test":
        records = [rr(12, 5, encode("a.fault.test")), rr(12, 5, encode("b.fault.test"))]
    elif name == "other-id.fault.test":
        records = [rr(12, 1, bytes([127, 0, 0, 11]))]
        qid = (qid + 1) & 0xFFFF
        other = True
    elif name == "silent.fault.test":
        return None
    else:
        rcode = 3
    header = struct.pack("<H", qid) + struct.pack(">BBHHHH", 0x81, 0x80 | rcode, 1,
                                                  len(records), 0, 0)
    return header + question + b"".join(records), other


def serve_dns(sock, other_sock):
    while True:
        query, peer = sock.recvfrom(65536)
        try:
            answer = dns_answer(query)
        except Exception as e:  # a query we cannot read gets no answer
            log("dns: bad query", e)
            continue
        log("dns", labels(query, 12)[0], "->", "none" if answer is None else len(answer[0]))
        if answer is not None:
            (other_sock if answer[1] else sock).sendto(answer[0], peer)


def hanging_listener():
    """A listener that never accepts, with its queue filled: further
    connects get no answer to their SYN and wait."""
    s = socket.socket()
    s.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
    s.bind(("127.0.0.36", 80))
    s.listen(0)
    fillers = []
    for _ in range(4):
        c = socket.socket()
        c.setblocking(False)
        try:
            c.connect(("127.0.0.36", 80))
        except BlockingIOError:
            pass
        fillers.append(c)
    return s, fillers


def main():
    servers = [
        Server(("127.0.0.30", 80), HttpHandler),
        Server(("127.0.0.31", 8080), Proxy407Handler),
        Server(("127.0.0.32", 8080), SplitTunnelHandler),
    ]
    for s in servers:
        threading.Thread(target=s.serve_forever, daemon=True).start()
    dns = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
    dns.bind(("127.0.0.35", 53))
    other = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
    other.bind(("127.0.0.37", 53))
    keep = hanging_listener()
    log("faultpeer: listening")
    serve_dns(dns, other)
    del keep


if __name__ == "__main__":
    main()
