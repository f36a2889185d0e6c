#!/usr/bin/env bash
# Checks the shipped programs: 32-bit GUI executables, terminal-server aware,
# that import only Windows' KnownDLLs (scripts/known-dlls.txt), with the
# manifests they are meant to carry. Prints each program's size and imports.
set -uo pipefail
dir=${1:-build/windows}
here=$(dirname "$0")
# The list's names, upper case, comments and blank lines left out.
known=$(sed 's/#.*//' "$here/known-dlls.txt" | tr -d ' \r' | grep -v '^$' | tr a-z A-Z)
status=0
for exe in "$dir/console/Varnholde.exe" "$dir/setup/Setup.exe" "$dir/uninstall/Uninstall.exe"; do
  if [ ! -f "$exe" ]; then
    echo "missing: $exe"; status=1; continue
  fi
  kind=$(file -b "$exe")
  headers=$(i686-w64-mingw32-objdump -p "$exe")
  imports=$(echo "$headers" | sed -n 's/^\s*DLL Name: //p' | tr '\n' ' ')
  printf '%s: %s bytes; imports %s\n' "$(basename "$exe")" "$(stat -c %s "$exe")" "$imports"
  case "$kind" in
    "PE32 executable (GUI) Intel 80386"*) ;;
    *) echo "  not a 32-bit GUI executable: $kind"; status=1 ;;
  esac
  # IMAGE_DLLCHARACTERISTICS_TERMINAL_SERVER_AWARE: without it a Remote
  # Desktop session host gives the program a per-user Windows folder.
  characteristics=$(echo "$headers" | sed -n 's/^DllCharacteristics\s*//p' | head -1)
  if (( (16#${characteristics:-0} & 0x8000) == 0 )); then
    echo "  not terminal-server aware (DllCharacteristics ${characteristics:-none})"; status=1
  fi
  for dll in $imports; do
    if ! grep -qxF "$(echo "$dll" | tr a-z A-Z)" <<<"$known"; then
      echo "  imports $dll, which is not among the KnownDLLs: Windows would look for it beside the program first"
      status=1
    fi
  done
done
python3 "$here/check-manifests.py" "$dir" || status=1
exit $status
