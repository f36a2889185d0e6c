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

# Every test but the Wine runs, one phase after another: run beside the Wine
# runs at a lower priority, so that compiling takes only the time that the
# Wine runs leave (they mostly wait) and does not starve their timings.
native_phases() {
  renice -n 10 -p "$BASHPID" >/dev/null
  step "native build and unit tests"
  cmake --preset native >"$results/native-configure.log" 2>&1 || { cat "$results/native-configure.log"; return 1; }
  cmake --build --preset native -j"$jobs" >"$results/native-build.log" 2>&1 || { tail -50 "$results/native-build.log"; return 1; }
  local t
  for t in build/native/*_tests; do
    "$t" --gtest_brief=1 2>&1 | tee "$results/$(basename "$t").log" | tail -3
  done

  step "the same tests under AddressSanitizer and UBSan, and a short run of every fuzz target"
  cmake --preset sanitize >"$results/sanitize-configure.log" 2>&1 || { cat "$results/sanitize-configure.log"; return 1; }
  cmake --build --preset sanitize -j"$jobs" >"$results/sanitize-build.log" 2>&1 || { tail -50 "$results/sanitize-build.log"; return 1; }
  for t in build/sanitize/*_tests; do
    "$t" --gtest_brief=1 2>&1 | tee "$results/sanitize-$(basename "$t").log" | tail -3
  done
  bash scripts/fuzz.sh 5 2>&1 | tee "$results/fuzz-smoke.log"
  [ "${PIPESTATUS[0]}" -eq 0 ] || { echo "a fuzz target crashed: see build/fuzz-crashes"; return 1; }
}

windows_build() {
  cmake --preset "$1" >"$results/$1-configure.log" 2>&1 || { cat "$results/$1-configure.log"; exit 1; }
  cmake --build --preset "$1" -j"$jobs" >"$results/$1-build.log" 2>&1 || { tail -50 "$results/$1-build.log"; exit 1; }
}

# The Windows build comes first: the Wine runs, the longest part, need it.
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

# wine_run <locale> <ANSI code page> <test program>... [-- <gtest arguments>]
# One Wine run: a fresh prefix, display and wineserver in the locale; each
# test program logged as <program>-<name>.log; screenshots and the stored
# files the tests keep under build/screenshots/<name>, where the name is
# WINE_RUN_NAME or else the locale. The tests check that Windows really uses
# the code page. Runs as a job of its own (run_job), beside the others.
wine_run() {
  local locale=$1 programs=() args=() name=${WINE_RUN_NAME:-$1}
  export VH_ANSI_CODE_PAGE=$2
  shift 2
  while [ $# -gt 0 ] && [ "$1" != -- ]; do programs+=("$1"); shift; done
  [ $# -gt 0 ] && shift && args=("$@")
  step "under Wine ($WINE_ENV_BITS-bit), $locale.UTF-8${WINE_RUN_NAME:+ ($name)}"
  local shots="$top/build/screenshots/$name"
  trap wine_env_stop EXIT
  wine_env_start "$top/build/wine-$name" "$locale.UTF-8" || return 1
  rm -rf "$shots" && mkdir -p "$shots"
  export VH_BIN VH_ASSETS VH_SHOTS
  VH_BIN=$(winpath "build/$tested") VH_ASSETS=$(winpath assets) VH_SHOTS=$(winpath "$shots")
  local t log
  for t in "${programs[@]}"; do
    t="build/$tested/tests/$t.exe"
    [ -f "$t" ] || continue
    log="$results/$(basename "$t" .exe)-$name.log"
    # Output goes to a file: a program started by the tests would otherwise
    # hold the pipe open until it ends. Waited for in the background, so
    # that a stop request is acted on at once.
    timeout 1200 "$WINE" "$t" --gtest_brief=1 "${args[@]}" >"$log" 2>&1 &
    wait $!
    tail -3 "$log"
  done
  wine_env_stop
  trap - EXIT
  local bmp
  for bmp in "$shots"/*.bmp; do
    [ -f "$bmp" ] && convert "$bmp" "${bmp%.bmp}.png" && rm -f "$bmp"
  done
  echo "screenshots: $shots"
}

# Jobs: each runs in the background with its output in a file of its own,
# printed as one block when it ends, so that runs side by side never mix
# their lines. A job that fails (a build, a crashing fuzz target) counts as
# one failure in the summary.
job_dir=$results/jobs
mkdir -p "$job_dir"
declare -A job_names=() job_started=()
jobs_failed=()
# run_job <name> <command>...
run_job() {
  local name=$1; shift
  ( trap 'exit 143' TERM; "$@" ) >"$job_dir/$name.log" 2>&1 &
  job_names[$!]=$name job_started[$!]=$SECONDS
}
# Waits for every job, printing each one's block as it ends.
wait_jobs() {
  local pid status name
  while [ ${#job_names[@]} -gt 0 ]; do
    pid=
    wait -n -p pid "${!job_names[@]}"
    status=$?
    [ -n "$pid" ] || continue
    name=${job_names[$pid]}
    printf '\n##### %s: ended after %d s\n' "$name" $((SECONDS - job_started[$pid]))
    cat "$job_dir/$name.log"
    if [ "$status" -ne 0 ]; then
      echo "##### $name failed (exit status $status)"
      jobs_failed+=("$name")
    fi
    unset "job_names[$pid]" "job_started[$pid]"
  done
}
# Stopped itself, the command stops every job and what each started: the
# Wine runs then end their wineserver and X server (their EXIT traps).
descendants() {
  local child
  for child in $(pgrep -P "$1"); do echo "$child"; descendants "$child"; done
}
stop_jobs() {
  local pid
  for pid in "${!job_names[@]}"; do
    kill -TERM "$pid" $(descendants "$pid") 2>/dev/null
  done
  wait
}
trap 'stop_jobs; exit 130' INT
trap 'stop_jobs; exit 143' TERM

# Most users run the 32-bit programs on 64-bit Windows, under WOW64: the
# same tests in a 64-bit prefix. A kernel that runs no 32-bit code cannot,
# and the programs below are the 64-bit build: there a guest whose kernel
# does runs them afterwards (it emulates a machine and needs the cores).
step "side by side: the Wine runs, each with its own prefix, display and wineserver; the native phases"
[ "$WINE_ENV_BITS" = 32 ] &&
  run_job wow64 bash scripts/wow64-tests.sh "$results"
# Russian (ANSI code page 1251) and English (1252): everything. Japanese
# (932, double-byte): install, a Cyrillic alias, the icon's menu, the About
# box and uninstall.
run_job ru_RU wine_run ru_RU 1251 interface_tests_win e2e_tests -- --gtest_filter=-ConsoleScreen.*
run_job en_US wine_run en_US 1252 interface_tests_win e2e_tests -- --gtest_filter=-ConsoleScreen.*
# The band on screens up to 2560x1440 at several densities: an X screen that
# large, the virtual desktop resized by the tests.
WINE_RUN_NAME=screens WINE_ENV_SCREEN=2560x1440 VH_SCREEN_TABLE=1 \
  run_job screens wine_run ru_RU 1251 e2e_tests -- --gtest_filter='ConsoleScreen.*'
run_job ja_JP wine_run ja_JP 932 e2e_tests -- --gtest_filter='CodePage.*:AnyCodePage.*'
run_job native native_phases
wait_jobs
trap - INT TERM

if [ "$WINE_ENV_BITS" = 64 ]; then
  step "the 32-bit programs under WOW64, in a guest (scripts/test32.sh --ci)"
  bash scripts/test32.sh --ci --results "$results"
fi

# The settings and alias files kept by the tests must hold the same bytes
# whatever the code page.
step "stored files against the Russian run's"
files_passed=0 files_failed=0
for name in settings alias_program alias_folder; do
  russian="$top/build/screenshots/ru_RU/files/$name"
  for locale in en_US ja_JP; do
    other="$top/build/screenshots/$locale/files/$name"
    if [ -f "$russian" ] && [ -f "$other" ] && cmp -s "$russian" "$other"; then
      files_passed=$((files_passed + 1))
    else
      files_failed=$((files_failed + 1))
      if [ ! -f "$russian" ]; then echo "$name: not kept by the ru_RU run"
      elif [ ! -f "$other" ]; then echo "$name: not kept by the $locale run"
      else echo "$name: $locale differs: $(cmp "$russian" "$other" 2>&1)"; fi
    fi
  done
done
echo "$files_passed files the same, $files_failed not"

step "summary"
passed=0 failed=0
for log in "$results"/*_tests*.log; do
  p=$(grep -aoE '\[  PASSED  \] [0-9]+' "$log" | grep -oE '[0-9]+$' | tail -1)
  ran=$(grep -aoE '\[==========\] [0-9]+ tests? from' "$log" | grep -oE '[0-9]+' | head -1)
  if [ -z "$ran" ]; then
    echo "$(basename "$log"): did not finish"; failed=$((failed + 1)); continue
  fi
  # --gtest_brief=1 prints no "listed below" total: count the failed tests'
  # own lines, each test once.
  failures=$(grep -aoE '^\[  FAILED  \] [A-Za-z_][A-Za-z0-9_/.]*' "$log" | sort -u)
  f=$(printf '%s' "$failures" | grep -c .)
  passed=$((passed + ${p:-0})); failed=$((failed + f))
  [ "$f" -gt 0 ] && printf '%s\n' "$failures" | sed "s/\$/ in $(basename "$log" .log)/"
done
passed=$((passed + files_passed)) failed=$((failed + files_failed))
for name in "${jobs_failed[@]}"; do
  echo "the $name job failed: its block above says why"; failed=$((failed + 1))
done
echo "took $((SECONDS / 60)) min $((SECONDS % 60)) s"
echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ] && [ "$passed" -gt 0 ]
