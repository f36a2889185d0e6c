#!/usr/bin/env bash
# Runs the shipped 32-bit programs' interface and end-to-end tests under
# WOW64 (32-bit programs in a 64-bit Wine prefix, as on 64-bit Windows) in
# a Debian guest booted with QEMU: for hosts whose kernel runs no 32-bit
# code. The guest is built once and kept under build/guest
# (scripts/guest-image.sh); QEMU uses KVM where it works, else emulation,
# under which everything runs 15 to 30 times slower.
#
#   test32.sh [--lifecycle | --ci] [--results DIR]
#
# --lifecycle: only the end-to-end lifecycle test (package, Setup, the
# installed console, uninstall) and the WOW64 tests, for a quick check.
# --ci: everything, with time limits that keep the whole test command
# under an hour even when the guest hangs (what scripts/test.sh runs):
# under emulation the guest runs both suites in about 11 minutes.
# Logs go to DIR (default build/test32-results) as wow64-*.log, screenshots
# to build/screenshots-wow64. Ends with "N passed, M failed"; exits non-zero
# on a failure, a suite that did not finish, or a time-out.
set -uo pipefail
cd "$(dirname "$0")/.."
top=$PWD

mode=all
results=$top/build/test32-results
while (($#)); do
  case $1 in
    --lifecycle) mode=lifecycle ;;
    --ci) mode=ci ;;
    --results) results=$(realpath -m "$2"); shift ;;
    *) echo "usage: $0 [--lifecycle | --ci] [--results DIR]" >&2; exit 2 ;;
  esac
  shift
done

mkdir -p "$results"
rm -f "$results"/wow64-*
# Until the guest brings its logs back, a suite counts as not finished.
for suite in interface_tests_win e2e_tests; do
  echo "the guest did not run $suite" >"$results/wow64-$suite.log"
done
[ "$mode" = lifecycle ] && rm -f "$results/wow64-interface_tests_win.log"

bash scripts/install-deps.sh || exit 1

step() { printf '\n=== %s\n' "$*"; }

# The guest's build and boot run in the background and are waited for, so
# that an interrupted run stops them (and with them QEMU) before it ends.
source scripts/guest-vm.sh
child=
in_background() {
  "$@" &
  child=$!
  wait "$child"
  local status=$?
  child=
  return "$status"
}
stop() {
  if [ -n "$child" ]; then
    kill -TERM "$child" 2>/dev/null
    wait "$child" 2>/dev/null
  fi
  guest_vm_stop
  exit "$1"
}
trap 'stop 130' INT
trap 'stop 143' TERM

step "32-bit Windows build and package"
{ cmake --preset windows && cmake --build --preset windows -j"$(nproc)" &&
  cmake --build --preset windows --target package; } >"$results/wow64-build.log" 2>&1 ||
  { tail -50 "$results/wow64-build.log"; exit 1; }

step "the guest (Debian, 64-bit kernel, 64-bit and 32-bit Wine)"
started=$SECONDS
in_background bash scripts/guest-image.sh build/guest || exit 1
echo "guest ready in $((SECONDS - started))s"
guest_vm_accel build/guest/vmlinuz
if [ "$mode" = lifecycle ]; then
  filter_interface=- filter_e2e='InstallLifecycle.*:Wow64*'
  suite_seconds=1500 guest_seconds=2400
  rm -f "$results/wow64-interface_tests_win.log"
elif [ "$mode" = ci ]; then
  filter_interface='*' filter_e2e='*'
  suite_seconds=1200 guest_seconds=1800
else
  filter_interface='*' filter_e2e='*'
  suite_seconds=${VH_TEST32_SUITE_SECONDS:-5400}
  guest_seconds=${VH_TEST32_SECONDS:-7200}
fi

# What the guest gets: the programs, the tests and what they read.
run=$top/build/guest-run
share=$run/share
rm -rf "$run" && mkdir -p "$share/repo/scripts" "$share/repo/build/windows/tests" || exit 1
cp scripts/wine-env.sh scripts/wow64-tests.sh "$share/repo/scripts/"
cp -a assets "$share/repo/"
for d in console setup uninstall; do
  mkdir -p "$share/repo/build/windows/$d" && cp build/windows/$d/*.exe "$share/repo/build/windows/$d/"
done
cp build/windows/tests/*.exe build/windows/tests/*.dll "$share/repo/build/windows/tests/"
cp -a build/windows/package "$share/repo/build/windows/"
cat >"$share/job.sh" <<EOF
# The programs run from the guest's own disk: Wine does not map executables
# from the shared folder. The prefix is copied from the one the guest holds.
rm -rf /root/vh && cp -a repo /root/vh || exit 1
export VH_WOW64_FILTER_INTERFACE='$filter_interface' VH_WOW64_FILTER_E2E='$filter_e2e'
export VH_WOW64_SUITE_SECONDS=$suite_seconds WINE_ENV_TEMPLATE=/opt/vh/prefix
mkdir -p out/screenshots-wow64
bash /root/vh/scripts/wow64-tests.sh "\$PWD/out"
cp /root/vh/build/screenshots-wow64/*.png out/screenshots-wow64/ 2>/dev/null
echo "guest: done"
EOF

step "tests of the 32-bit build under WOW64, in the guest"
started=$SECONDS
guest_vm_boot build/guest "$share" "$guest_seconds" snapshot "$run/console.log"
status=$?
trap - INT TERM
echo "guest ran $((SECONDS - started))s"
grep -aE '^(guest|wow64):' "$run/console.log"
timed_out=no
if [ "$status" = 124 ] || [ "$status" = 137 ]; then
  timed_out=yes
  echo "the guest did not finish within ${guest_seconds}s and was stopped"
fi

cp "$share"/out/wow64-*.log "$results/" 2>/dev/null
shots=$top/build/screenshots-wow64
rm -rf "$shots" && mkdir -p "$shots"
cp "$share"/out/screenshots-wow64/*.png "$shots/" 2>/dev/null
echo "logs: $results; screenshots: $shots; the guest's console: $run/console.log"

step "summary (32-bit programs under WOW64, in the guest)"
passed=0 failed=0 unfinished=0
for log in "$results"/wow64-*_tests*.log; do
  [ -f "$log" ] || continue
  p=$(grep -aoE '\[  PASSED  \] [0-9]+' "$log" | grep -oE '[0-9]+$' | tail -1)
  # Each failed test has a line of its own, with its time: gtest's brief
  # output (--gtest_brief) has no count of them.
  f=$(grep -aE '^\[  FAILED  \] .* \([0-9]+ ms\)' "$log" | sort -u | wc -l)
  ran=$(grep -aoE '\[==========\] [0-9]+ tests? from' "$log" | grep -oE '[0-9]+' | head -1)
  if [ -z "$ran" ]; then
    echo "$(basename "$log"): did not finish"; failed=$((failed + 1)) unfinished=1; continue
  fi
  passed=$((passed + ${p:-0})); failed=$((failed + ${f:-0}))
  [ "$f" -gt 0 ] && grep -aE '^\[  FAILED  \] .* \([0-9]+ ms\)' "$log" | sort -u
done
# A time-out between two suites leaves no unfinished log behind: count it once.
[ "$timed_out" = yes ] && [ "$unfinished" = 0 ] && failed=$((failed + 1))
echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ] && [ "$passed" -gt 0 ]
