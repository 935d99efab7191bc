#!/usr/bin/env bash
# Reads a built launcher.exe without running it and checks that it is what ships: a Windows
# GUI-subsystem image for the expected machine that imports only DLLs of Windows itself (the
# C and C++ runtimes are linked in statically). Runs on every host, including one that cannot
# run the image.
#   check_image.sh OBJDUMP EXE i386|x86-64
set -uo pipefail
objdump=$1 exe=$2 machine=$3
case $machine in
  i386) want_format=pei-i386 ;;
  x86-64) want_format=pei-x86-64 ;;
  *) echo "check_image: unknown machine $machine" >&2; exit 2 ;;
esac
# The DLLs that every Windows the launcher runs on has in its system folder.
system_dlls=" kernel32.dll user32.dll gdi32.dll comctl32.dll comdlg32.dll shell32.dll advapi32.dll
  msvcrt.dll version.dll ole32.dll "

headers=$("$objdump" -p "$exe") || { echo "FAIL: $objdump cannot read $exe"; exit 1; }
status=0
format=$(sed -n 's/.*file format \(.*\)$/\1/p' <<<"$headers" | head -n 1)
[ "$format" = "$want_format" ] || { echo "FAIL: file format '$format', expected $want_format"; status=1; }
subsystem=$(awk '$1 == "Subsystem" { print $2 }' <<<"$headers")
[ "$subsystem" = 00000002 ] || { echo "FAIL: subsystem $subsystem, expected 00000002 (Windows GUI)"; status=1; }
dlls=$(awk '$1 == "DLL" && $2 == "Name:" { print tolower($3) }' <<<"$headers" | sort -u)
[ -n "$dlls" ] || { echo "FAIL: no imported DLL found"; status=1; }
for dll in $dlls; do
  if [[ $system_dlls != *" $dll "* ]]; then
    echo "FAIL: imports $dll, which is not a DLL of Windows itself"
    status=1
  fi
done
echo "$exe: $format, subsystem $subsystem, imports $(paste -sd' ' <<<"$dlls")"
exit $status
