#!/usr/bin/env python3
"""A network that never answers, for the silent-network tests.

usage: blackhole.py ADDRESS

UDP port 53 on ADDRESS reads every datagram and answers none: a DNS server
that has gone silent. TCP port 8080 takes connections into its queue and
never reads or answers: a proxy, or a proxy script's server, that hangs.
Standard library only; runs until killed.
"""
import socket
import sys
import time


def main():
    address = sys.argv[1]
    udp = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
    udp.bind((address, 53))
    tcp = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
    tcp.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
    tcp.bind((address, 8080))
    tcp.listen(64)
    print(f"blackhole: udp {address}:53 and tcp {address}:8080", flush=True)
    udp.settimeout(1)
    while True:
        try:
            udp.recvfrom(65536)
        except socket.timeout:
            pass
        except OSError:
            time.sleep(0.1)


if __name__ == "__main__":
    main()
