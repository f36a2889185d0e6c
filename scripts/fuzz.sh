#!/usr/bin/env bash
# Runs every fuzz target for the given number of seconds (default 60) and
# prints, per target, its executions, coverage and whether it crashed. Each
# target starts from its committed seed corpus (fuzz/corpus/<target>) and
# keeps what it finds under build/fuzz-corpus/<target>; a crashing input is
# saved under build/fuzz-crashes/<target>/. Exits non-zero on any crash.
set -uo pipefail
cd "$(dirname "$0")/.."
top=$PWD
seconds=${1:-60}

build=build/fuzz
cmake --preset fuzz >"$top/build/fuzz-configure.log" 2>&1 ||
  { cat "$top/build/fuzz-configure.log"; exit 1; }
cmake --build --preset fuzz --target fuzz_targets -j"$(nproc)" >"$top/build/fuzz-build.log" 2>&1 ||
  { tail -50 "$top/build/fuzz-build.log"; exit 1; }

crashed=0
printf '%-22s %12s %8s %8s  %s\n' target executions cov features result
for exe in "$build"/fuzz/*_fuzz; do
  target=$(basename "$exe" _fuzz)
  corpus="$top/build/fuzz-corpus/$target" crashes="$top/build/fuzz-crashes/$target"
  log="$top/build/fuzz-$target.log"
  mkdir -p "$corpus" "$crashes"
  dict=()
  [ -f "fuzz/$target.dict" ] && dict=(-dict="fuzz/$target.dict")
  "$exe" -max_total_time="$seconds" -print_final_stats=1 -artifact_prefix="$crashes/" \
    "${dict[@]}" "$corpus" "fuzz/corpus/$target" >"$log" 2>&1
  status=$?
  runs=$(grep -aoE 'stat::number_of_executed_units: [0-9]+' "$log" | grep -oE '[0-9]+$')
  cov=$(grep -aoE ' cov: [0-9]+ ft: [0-9]+' "$log" | tail -1)
  result=ok
  if [ "$status" -ne 0 ]; then
    result="CRASH (see $log, input in $crashes)"
    crashed=$((crashed + 1))
  fi
  printf '%-22s %12s %8s %8s  %s\n' "$target" "${runs:-?}" \
    "$(echo "$cov" | awk '{print $2}')" "$(echo "$cov" | awk '{print $4}')" "$result"
done
[ "$crashed" -eq 0 ] || { echo "$crashed fuzz target(s) crashed"; exit 1; }
