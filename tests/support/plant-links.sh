#!/bin/sh
# plant-links.sh setup|cleanup PREFIX TARGETS LINK=NAME...
#
# Links that a hostile user could put in the installer's way. Each LINK (a
# path inside the Wine prefix, such as drive_c/OrvanePkg) becomes a Unix
# symbolic link to the folder TARGETS/NAME, outside the prefix, which holds a
# file keep.txt that nothing may delete. Wine reports such a link to a folder
# as a reparse point (FILE_ATTRIBUTE_REPARSE_POINT), which is what a junction
# looks like on Windows. cleanup removes the links themselves and the targets.
set -eu
action=$1 prefix=$2 targets=$3
shift 3
for pair in "$@"; do
  link=$prefix/${pair%%=*}
  target=$targets/${pair#*=}
  case $action in
    setup)
      mkdir -p "$target" "$(dirname "$link")"
      echo "not yours to delete" >"$target/keep.txt"
      [ -L "$link" ] && rm -f "$link"
      if [ -e "$link" ]; then
        echo "$link exists and is no link; not replacing it" >&2
        exit 1
      fi
      ln -s "$target" "$link"
      ;;
    cleanup)
      [ -L "$link" ] && rm -f "$link"
      ;;
    *)
      echo "usage: $0 setup|cleanup PREFIX TARGETS LINK=NAME..." >&2
      exit 2
      ;;
  esac
done
if [ "$action" = cleanup ]; then rm -rf "$targets"; fi
