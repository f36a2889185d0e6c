#!/usr/bin/env bash
# Builds the product and starts it under Wine: on your display when there is
# one (a Wine desktop window), otherwise on a private virtual display, where
# it takes a screenshot and stops again.
set -euo pipefail
cd "$(dirname "$0")/.."
top=$PWD

bash scripts/install-deps.sh
source scripts/wine-env.sh
wine_env_detect
preset=windows
[ "$WINE_ENV_BITS" = 64 ] && preset=windows64  # this kernel runs no 32-bit code
cmake --preset windows >/dev/null && cmake --build --preset windows -j"$(nproc)" >/dev/null
if [ "$preset" != windows ]; then
  cmake --preset "$preset" >/dev/null && cmake --build --preset "$preset" -j"$(nproc)" >/dev/null
fi
echo "built: $top/build/windows (32-bit programs)"

root="$top/build/wine-run"
headless=0
if [ -z "${DISPLAY:-}" ]; then
  headless=1
  trap wine_env_stop EXIT
  wine_env_start "$root"
else
  export WINEDEBUG=-all LC_ALL=ru_RU.UTF-8 LANG=ru_RU.UTF-8 WINEDLLOVERRIDES="mscoree,mshtml="
  export WINEPREFIX="$root/prefix"
  mkdir -p "$root"
  "$WINE" wineboot -i >/dev/null 2>&1
fi

# Lay out the installed product: the console, its skins and first settings.
dest="$WINEPREFIX/drive_c/Tessarimondale/Varnholde"
mkdir -p "$dest/Skins" "$dest/Alliases/Exe_files" "$dest/Alliases/Dirs"
cp "build/$preset/console/Varnholde.exe" "$dest/Varnholde.exe"
for n in 1 2 3 4 5 6; do cp "assets/skins/skin$n.jpg" "$dest/Skins/skin_ $n.jpg"; done
[ -f "$dest/us_param.par" ] || cp assets/Pos_set_par.ksr "$dest/us_param.par"

if [ "$headless" = 1 ]; then
  "$WINE" 'C:\Tessarimondale\Varnholde\Varnholde.exe' >/dev/null 2>&1 &
  sleep 4
  mkdir -p build/screenshots
  import -display "$DISPLAY" -window root build/screenshots/run.png
  echo "no display: the console ran on a virtual one; screenshot: $top/build/screenshots/run.png"
else
  echo "starting the console in a Wine desktop; F12 shows and hides it, type exit to end it"
  exec "$WINE" explorer /desktop=Varnholde,1024x768 'C:\Tessarimondale\Varnholde\Varnholde.exe'
fi
