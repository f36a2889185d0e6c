#!/usr/bin/env bash
# Runs the 32-bit build's interface and end-to-end tests in a 64-bit Wine
# prefix, where the 32-bit programs run under WOW64 as on 64-bit Windows.
# Needs a kernel that runs 32-bit code and a built build/windows (with its
# package): scripts/test.sh runs it on such hosts, and the guest of
# scripts/test32.sh runs it on the others.
#
#   wow64-tests.sh OUT_DIR
#
# VH_WOW64_FILTER_INTERFACE, VH_WOW64_FILTER_E2E: gtest filters ("-": the
# suite does not run; default "*"); VH_WOW64_SUITE_SECONDS: the time limit
# of each suite. Logs: OUT_DIR/wow64-<suite>.log; screenshots:
# build/screenshots-wow64.
set -uo pipefail
cd "$(dirname "$0")/.."
top=$PWD
out=$(realpath -m "$1")
mkdir -p "$out"
say() { echo "wow64: $*"; }

source scripts/wine-env.sh
export WINE_ENV_WOW64=1
trap wine_env_stop EXIT
# Stopped by a signal, the script still runs its EXIT trap.
trap 'exit 143' TERM
wine_env_start "$top/build/wine-wow64" || exit 1
if [ "$WINEARCH" != win64 ] || ! /lib/i386-linux-gnu/ld-linux.so.2 --version >/dev/null 2>&1; then
  say "needs a 64-bit prefix and a kernel that runs 32-bit code"; exit 1
fi
say "$(wine --version), 64-bit prefix, 32-bit programs"
shots=$top/build/screenshots-wow64
rm -rf "$shots" && mkdir -p "$shots"
export VH_BIN VH_ASSETS VH_SHOTS
# The prefix runs in wine_env_start's default locale, ru_RU: code page 1251.
export VH_ANSI_CODE_PAGE=1251
VH_BIN=$(winpath build/windows) VH_ASSETS=$(winpath assets) VH_SHOTS=$(winpath "$shots")
for suite in interface_tests_win e2e_tests; do
  filter=${VH_WOW64_FILTER_INTERFACE:-*}
  [ "$suite" = e2e_tests ] && filter=${VH_WOW64_FILTER_E2E:-*}
  [ "$filter" = - ] && continue
  log=$out/wow64-$suite.log
  started=$SECONDS
  # Output to a file: a program started by the tests would otherwise hold
  # the pipe open until it ends. Waited for in the background, so that a
  # stop request is acted on at once.
  timeout "${VH_WOW64_SUITE_SECONDS:-1200}" "$WINE" "build/windows/tests/$suite.exe" \
    --gtest_filter="$filter" >"$log" 2>&1 &
  wait $!
  say "$suite ($filter): $(grep -aE '^\[ +(PASSED|FAILED) +\] [0-9]+ test' "$log" | tr '\n' ' ')in $((SECONDS - started))s"
done
wine_env_stop
trap - EXIT
for bmp in "$shots"/*.bmp; do
  [ -f "$bmp" ] && convert "$bmp" "${bmp%.bmp}.png" && rm -f "$bmp"
done
say "screenshots: $shots"
