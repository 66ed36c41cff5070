#!/usr/bin/env bash
# Renders resources/icons/app.svg into the multi-size app.ico that the
# executable carries as icon 102. Run after editing the SVG; the .ico is
# committed so that the build needs no image tools.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
for s in 16 24 32 48 64 256; do
  rsvg-convert -w $s -h $s "$here/resources/icons/app.svg" -o "$tmp/$s.png"
done
convert "$tmp"/16.png "$tmp"/24.png "$tmp"/32.png "$tmp"/48.png "$tmp"/64.png "$tmp"/256.png \
  "$here/resources/icons/app.ico"
