#!/usr/bin/env bash
# Measures what the programs cost at run time (start-up, command latency with
# many aliases, idle CPU and memory, hot-key reaction, install and uninstall
# speed, executable sizes) under the same Wine environment as the end-to-end
# tests. Every figure is repeated (VH_BENCH_RUNS, at least 10) and set against
# a baseline of the same run. Writes build/bench/results.{json,md}.
set -uo pipefail
cd "$(dirname "$0")/.."
top=$PWD
out="$top/build/bench"
runs=${VH_BENCH_RUNS:-10}
[ "$runs" -ge 10 ] || { echo "VH_BENCH_RUNS must be at least 10"; exit 1; }

bash scripts/install-deps.sh || exit 1
mkdir -p "$out"
jobs=$(nproc)

build() {  # preset, targets...
  local preset=$1; shift
  cmake --preset "$preset" >"$out/$preset-configure.log" 2>&1 || { cat "$out/$preset-configure.log"; exit 1; }
  cmake --build --preset "$preset" -j"$jobs" --target "$@" >"$out/$preset-build.log" 2>&1 ||
    { tail -50 "$out/$preset-build.log"; exit 1; }
}

echo "=== building the shipped 32-bit programs (sizes and imports)"
build windows Varnholde Setup Uninstall
: >"$out/executables.txt"
for exe in build/windows/console/Varnholde.exe build/windows/setup/Setup.exe \
           build/windows/uninstall/Uninstall.exe; do
  echo "$(basename "$exe") $(stat -c %s "$exe")" \
       "$(i686-w64-mingw32-objdump -p "$exe" | awk '/DLL Name:/ {print $3}' | tr '\n' ' ')" \
       >>"$out/executables.txt"
  # The toolchain strips MinSizeRel programs, but only a build folder
  # configured afresh takes its flags.
  i686-w64-mingw32-objdump -h "$exe" | grep -q '\.debug_' &&
    echo "warning: $exe carries debug sections; build/windows was configured without the" \
         "toolchain's -s: configure it afresh for the shipped sizes"
done

source scripts/wine-env.sh
wine_env_detect
measured=windows
if [ "$WINE_ENV_BITS" = 64 ]; then
  echo "=== this kernel runs no 32-bit code: measuring the 64-bit build under 64-bit Wine"
  measured=windows64
fi
build "$measured" Varnholde bench_driver bench_empty_window package

echo "=== measuring under Wine ($WINE_ENV_BITS-bit, $runs runs each; about 6 minutes)"
trap wine_env_stop EXIT
wine_env_start "$top/build/wine-bench"
export VH_BIN VH_ASSETS VH_BENCH_RUNS=$runs
VH_BIN=$(winpath "build/$measured") VH_ASSETS=$(winpath assets)
rm -f "$out/samples.txt"
timeout 1800 "$WINE" "build/$measured/bench/bench_driver.exe" "$(winpath "$out/samples.txt")" \
  >"$out/driver.log" 2>&1
cat "$out/driver.log"
wine_version=$("$WINE" --version 2>/dev/null)
wine_env_stop
trap - EXIT
[ -s "$out/samples.txt" ] || { echo "the driver wrote no samples"; exit 1; }

cat >"$out/machine.json" <<JSON
{"nproc": $(nproc), "cpu": "$(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2- | sed 's/^ *//')",
 "kernel": "$(uname -r)", "wine": "$wine_version", "wine_bits": $WINE_ENV_BITS,
 "measured_build": "$measured", "sizes_build": "windows",
 "runs": $runs, "load_before": "$(cut -d' ' -f1-3 /proc/loadavg)", "date": "$(date -u +%FT%TZ)"}
JSON
python3 bench/report.py "$out/samples.txt" "$out/executables.txt" "$out/machine.json" \
  "$out/results.json" "$out/results.md"
echo "results: $out/results.md, $out/results.json"
