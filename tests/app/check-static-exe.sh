#!/bin/sh
# check-static-exe.sh OBJDUMP EXE: the installer is a PE32 i386 GUI program
# whose imports are all system DLLs, none from the MinGW runtime.
set -eu
objdump=$1
exe=$2
headers=$("$objdump" -p "$exe")
echo "$headers" | grep -q 'file format pei-i386' || { echo "not a 32-bit PE"; exit 1; }
echo "$headers" | grep -Eq 'Subsystem[[:space:]]+0*2[[:space:]]' || { echo "not a GUI program"; exit 1; }
imports=$(echo "$headers" | sed -n 's/.*DLL Name: //p' | tr 'A-Z' 'a-z' | sort -u)
echo "imports:" $imports
bad=$(echo "$imports" | grep -E 'libstdc|libgcc|libwinpthread|mingw|libz|zlib|jsoncpp|minizip' || true)
if [ -n "$bad" ]; then
  echo "runtime DLLs that would have to ship beside the installer: $bad"
  exit 1
fi
[ -n "$imports" ] || { echo "no imports found"; exit 1; }
