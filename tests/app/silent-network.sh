#!/usr/bin/env bash
# silent-network.sh PEERCTL BLACKHOLE PROGRAM [ARGS...]: runs PROGRAM in a
# mount namespace of its own whose system resolver asks a DNS server that
# never answers (127.0.0.77, blackhole.py) and whose hosts file names none
# of the vendor's hosts. Programs it starts see the same. Inside the tests'
# network namespace.
set -euo pipefail
peerctl=$1
blackhole=$2
shift 2
"$peerctl" start blackhole --wait-udp 127.0.0.77:53 --wait-tcp 127.0.0.77:8080 -- \
  python3 "$blackhole" 127.0.0.77
trap '"$peerctl" stop blackhole' EXIT
dir=$(mktemp -d)
printf '127.0.0.1\tlocalhost\n' >"$dir/hosts"
# each lookup waits 30 s per try, three tries
printf 'nameserver 127.0.0.77\noptions timeout:30 attempts:3\n' >"$dir/resolv.conf"
unshare --mount -- sh -c 'mount --bind "$1" /etc/hosts && mount --bind "$2" /etc/resolv.conf &&
  shift 2 && exec "$@"' sh "$dir/hosts" "$dir/resolv.conf" "$@"
