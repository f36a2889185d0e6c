#!/usr/bin/env bash
# Runs every test: the portable logic natively, the platform interfaces and
# the programs end to end under Wine. Installs what is missing first.
set -uo pipefail
cd "$(dirname "$0")/.."
top=$PWD

bash scripts/install-deps.sh || exit 1

jobs=$(nproc)
results="$top/build/test-results"
rm -rf "$results" && mkdir -p "$results"

step() { printf '\n=== %s\n' "$*"; }

step "native build and unit tests"
cmake --preset native >"$results/native-configure.log" 2>&1 || { cat "$results/native-configure.log"; exit 1; }
cmake --build --preset native -j"$jobs" >"$results/native-build.log" 2>&1 || { tail -50 "$results/native-build.log"; exit 1; }
for t in build/native/*_tests; do
  "$t" --gtest_brief=1 2>&1 | tee "$results/$(basename "$t").log" | tail -3
done

step "the same tests under AddressSanitizer and UBSan, and a short run of every fuzz target"
cmake --preset sanitize >"$results/sanitize-configure.log" 2>&1 || { cat "$results/sanitize-configure.log"; exit 1; }
cmake --build --preset sanitize -j"$jobs" >"$results/sanitize-build.log" 2>&1 || { tail -50 "$results/sanitize-build.log"; exit 1; }
for t in build/sanitize/*_tests; do
  "$t" --gtest_brief=1 2>&1 | tee "$results/sanitize-$(basename "$t").log" | tail -3
done
bash scripts/fuzz.sh 5 2>&1 | tee "$results/fuzz-smoke.log"
[ "${PIPESTATUS[0]}" -eq 0 ] || { echo "a fuzz target crashed: see build/fuzz-crashes"; exit 1; }

windows_build() {
  cmake --preset "$1" >"$results/$1-configure.log" 2>&1 || { cat "$results/$1-configure.log"; exit 1; }
  cmake --build --preset "$1" -j"$jobs" >"$results/$1-build.log" 2>&1 || { tail -50 "$results/$1-build.log"; exit 1; }
}

step "Windows build (32-bit, the shipped programs)"
windows_build windows
bash scripts/check-programs.sh build/windows | tee "$results/programs.log" || exit 1

source scripts/wine-env.sh
wine_env_detect
tested=windows
if [ "$WINE_ENV_BITS" = 64 ]; then
  step "this kernel runs no 32-bit code: the Wine tests use the 64-bit build"
  windows_build windows64
  tested=windows64
fi
# The installation package, which the end-to-end tests install from.
cmake --build --preset "$tested" --target package >>"$results/$tested-build.log" 2>&1 || { tail -50 "$results/$tested-build.log"; exit 1; }

step "under Wine ($WINE_ENV_BITS-bit)"
trap wine_env_stop EXIT
wine_env_start "$top/build/wine"
shots="$top/build/screenshots"
rm -rf "$shots" && mkdir -p "$shots"
export VH_BIN VH_ASSETS VH_SHOTS
VH_BIN=$(winpath "build/$tested") VH_ASSETS=$(winpath assets) VH_SHOTS=$(winpath "$shots")
for t in "build/$tested/tests/interface_tests_win.exe" "build/$tested/tests/e2e_tests.exe"; do
  [ -f "$t" ] || continue
  log="$results/$(basename "$t" .exe).log"
  # Output goes to a file: a program started by the tests would otherwise
  # hold the pipe open until it ends.
  timeout 1200 "$WINE" "$t" --gtest_brief=1 >"$log" 2>&1
  tail -3 "$log"
done
wine_env_stop
trap - EXIT
for bmp in "$shots"/*.bmp; do
  [ -f "$bmp" ] && convert "$bmp" "${bmp%.bmp}.png" && rm -f "$bmp"
done
echo "screenshots: $shots"

# Most users run the 32-bit programs on 64-bit Windows, under WOW64: the
# same tests in a 64-bit prefix. A kernel that runs no 32-bit code cannot,
# and the programs above were the 64-bit build: there a guest whose kernel
# does runs them (everything with KVM, else the lifecycle and WOW64 tests;
# scripts/test32.sh runs everything).
if [ "$WINE_ENV_BITS" = 32 ]; then
  step "the 32-bit programs under WOW64 (64-bit prefix)"
  bash scripts/wow64-tests.sh "$results"
else
  step "the 32-bit programs under WOW64, in a guest (scripts/test32.sh --ci)"
  bash scripts/test32.sh --ci --results "$results"
fi

step "summary"
passed=0 failed=0
for log in "$results"/*_tests*.log; do
  p=$(grep -aoE '\[  PASSED  \] [0-9]+' "$log" | grep -oE '[0-9]+$' | tail -1)
  # Each failed test has a line of its own, with its time: gtest's brief
  # output (--gtest_brief) has no count of them.
  f=$(grep -aE '^\[  FAILED  \] .* \([0-9]+ ms\)' "$log" | sort -u | wc -l)
  ran=$(grep -aoE '\[==========\] [0-9]+ tests? from' "$log" | grep -oE '[0-9]+' | head -1)
  if [ -z "$ran" ]; then
    echo "$(basename "$log"): did not finish"; failed=$((failed + 1)); continue
  fi
  passed=$((passed + ${p:-0})); failed=$((failed + ${f:-0}))
  [ "$f" -gt 0 ] && grep -aE '^\[  FAILED  \] .* \([0-9]+ ms\)' "$log" | sort -u
done
echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ] && [ "$passed" -gt 0 ]
