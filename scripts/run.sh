#!/usr/bin/env bash
# Builds the product and its installation package, then starts Setup.exe from
# the package under Wine: on your display when there is one (a Wine desktop
# window), otherwise on a private virtual display, where the scripted
# lifecycle (install, use the console, uninstall) runs and saves screenshots.
set -euo pipefail
cd "$(dirname "$0")/.."
top=$PWD

bash scripts/install-deps.sh
source scripts/wine-env.sh
wine_env_detect
preset=windows
[ "$WINE_ENV_BITS" = 64 ] && preset=windows64  # this kernel runs no 32-bit code
build() {
  cmake --preset "$1" >/dev/null
  cmake --build --preset "$1" -j"$(nproc)" >/dev/null
  cmake --build --preset "$1" --target package >/dev/null
}
build windows
if [ "$preset" != windows ]; then build "$preset"; fi
echo "built: $top/build/windows/package and $top/build/windows/Varnholde-1.3-package.zip (32-bit programs)"
setup_exe="$top/build/$preset/package/Setup.exe"

root="$top/build/wine-run"
if [ -n "${DISPLAY:-}" ]; then
  export WINEDEBUG=-all LC_ALL=ru_RU.UTF-8 LANG=ru_RU.UTF-8 WINEDLLOVERRIDES="mscoree,mshtml="
  export WINEPREFIX="$root/prefix"
  mkdir -p "$root"
  "$WINE" wineboot -i >/dev/null 2>&1
  echo "starting Setup.exe from $top/build/$preset/package in a Wine desktop"
  echo "the installed console starts from C:\\Tessarimondale\\Varnholde\\Varnholde.exe (F12 shows and hides it)"
  exec "$WINE" explorer /desktop=Varnholde,1024x768 "$(winpath "$setup_exe")"
fi

# No display: the end-to-end lifecycle tests drive Setup, the console and the
# uninstaller on a virtual display and take a screenshot of each window.
trap wine_env_stop EXIT
wine_env_start "$root"
shots="$top/build/run-screenshots"
rm -rf "$shots" && mkdir -p "$shots"
export VH_BIN VH_ASSETS VH_SHOTS
VH_BIN=$(winpath "build/$preset") VH_ASSETS=$(winpath assets) VH_SHOTS=$(winpath "$shots")
status=0
timeout 900 "$WINE" "build/$preset/tests/e2e_tests.exe" --gtest_filter='Install*' \
  >"$root/lifecycle.log" 2>&1 || status=$?
wine_env_stop
trap - EXIT
grep -aE '^\[ +(OK|FAILED|PASSED) +\]' "$root/lifecycle.log" || true
for bmp in "$shots"/*.bmp; do
  [ -f "$bmp" ] && convert "$bmp" "${bmp%.bmp}.png" && rm -f "$bmp"
done
echo "no display: the install, console and uninstall ran on a virtual one"
echo "screenshots: $shots"
echo "log: $root/lifecycle.log"
exit "$status"
