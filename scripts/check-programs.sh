#!/usr/bin/env bash
# Checks the shipped programs: 32-bit GUI executables that import only DLLs
# Windows itself ships. Prints each program's size and imports.
set -uo pipefail
dir=${1:-build/windows}
allowed='^(KERNEL32|USER32|GDI32|ADVAPI32|SHELL32|OLE32|OLEAUT32|COMCTL32|IMAGEHLP|VERSION|PSAPI|MSVCRT|RSTRTMGR|WTSAPI32|USERENV)\.DLL$'
status=0
for exe in "$dir/console/Varnholde.exe" "$dir/setup/Setup.exe" "$dir/uninstall/Uninstall.exe"; do
  if [ ! -f "$exe" ]; then
    echo "missing: $exe"; status=1; continue
  fi
  kind=$(file -b "$exe")
  imports=$(i686-w64-mingw32-objdump -p "$exe" | sed -n 's/^\s*DLL Name: //p' | tr '\n' ' ')
  printf '%s: %s bytes; imports %s\n' "$(basename "$exe")" "$(stat -c %s "$exe")" "$imports"
  case "$kind" in
    "PE32 executable (GUI) Intel 80386"*) ;;
    *) echo "  not a 32-bit GUI executable: $kind"; status=1 ;;
  esac
  for dll in $imports; do
    if ! echo "$dll" | tr a-z A-Z | grep -qE "$allowed"; then
      echo "  imports a DLL that Windows does not ship: $dll"; status=1
    fi
  done
done
exit $status
