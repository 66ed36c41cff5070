#!/bin/sh
# check-static-exe.sh OBJDUMP EXE ALLOWED_DLL...: the installer is a PE32
# i386 GUI program whose static imports are all system DLLs, none from the
# MinGW runtime, and only those in the allowed list (the KnownDLLs that
# cmake/SystemDlls.cmake names): any other system DLL would be looked for
# beside the installer first, in the user's download folder.
set -eu
objdump=$1
exe=$2
shift 2
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
for dll in $imports; do
  allowed=no
  for ok in "$@"; do
    [ "$dll" = "$ok.dll" ] && allowed=yes
  done
  if [ $allowed = no ]; then
    echo "$dll is imported statically but is no KnownDLL: delay-load it (cmake/SystemDlls.cmake)"
    exit 1
  fi
done
# A delay-loaded function whose stub the linker dropped: its import pointer
# is null, and the first call crashes (see cmake/SystemDlls.cmake). The
# stubs of static imports are dropped as well, harmlessly: the loader fills
# their pointers.
static=$(echo "$headers" | awk '/DLL Name:/ { inside = 1; next }
  inside && NF == 3 && $1 ~ /^[0-9a-f]+$/ { print $3 } /^$/ { inside = 0 }')
dropped=$(${objdump%objdump}nm "$exe" 2>/dev/null | awk -v static="$static" '
  BEGIN { n = split(static, s, "\n"); for (i = 1; i <= n; i++) loaded[s[i]] = 1 }
  $2 == "I" { name = $3; sub(/^__imp_/, "", name); imported[name] = 1 }
  $2 == "A" && $1 ~ /^0+$/ { zero[$3] = 1 }
  END {
    for (z in zero) {
      if (!(z in imported)) continue
      plain = z; sub(/^_/, "", plain); sub(/@[0-9]+$/, "", plain)
      if (!(plain in loaded)) print z
    }
  }')
if [ -n "$dropped" ]; then
  echo "delay-load stubs dropped by the linker (called through dllimport): $dropped"
  exit 1
fi
