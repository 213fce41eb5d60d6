#!/usr/bin/env bash
# Runs every fuzz harness for SECONDS seconds, two at a time. New corpus
# entries go to a scratch corpus (build-fuzz/work/<harness>/corpus), never
# into the repository; copy the interesting ones into fuzz/corpus/<harness>/
# by hand. A crash leaves its input in build-fuzz/work/<harness>/ and makes
# the script fail. Ends with a table of executions per harness.
#
#   bash scripts/fuzz.sh 600            # every harness
#   bash scripts/fuzz.sh 60 profile     # only the harnesses named
set -uo pipefail
cd "$(dirname "$0")/.."
. scripts/setup.sh
. scripts/fuzz_build.sh

seconds=${1:-}
if ! [[ "$seconds" =~ ^[0-9]+$ ]] || [ "$seconds" -lt 1 ]; then
  echo "usage: scripts/fuzz.sh SECONDS [HARNESS ...]" >&2
  exit 1
fi
shift
harnesses=${*:-$fuzz_harnesses}
parallel=${FUZZ_PARALLEL:-2}
build_fuzz_harnesses || exit 1
work="$fuzz_build_dir/work"

run_harness() {
  local h=$1 dir="$work/$1"
  mkdir -p "$dir/corpus"
  "$fuzz_build_dir/fuzz/$h" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
    -print_final_stats=1 -artifact_prefix="$dir/" "$dir/corpus" "fuzz/corpus/$h" \
    >"$dir/fuzz.log" 2>&1
  echo $? >"$dir/status"
}

for h in $harnesses; do
  [ -x "$fuzz_build_dir/fuzz/$h" ] || { echo "No harness $h" >&2; exit 1; }
  rm -f "$work/$h/status"
done
echo "Fuzzing each harness for $seconds s, $parallel at a time (logs in $work/<harness>/fuzz.log)"
for h in $harnesses; do
  while [ "$(jobs -rp | wc -l)" -ge "$parallel" ]; do wait -n; done
  echo "  $(date -u +%H:%M:%S) start $h"
  run_harness "$h" &
done
wait

failed=0
printf '%-18s %14s %8s %8s  %s\n' harness executions exec/s corpus result
for h in $harnesses; do
  dir="$work/$h"
  executions=$(sed -n 's/^stat::number_of_executed_units: *//p' "$dir/fuzz.log" | tail -1)
  speed=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$dir/fuzz.log" | tail -1)
  corpus=$(ls "$dir/corpus" | wc -l)
  status=$(cat "$dir/status" 2>/dev/null || echo "?")
  crashes=$(ls "$dir" | grep -cE '^(crash|leak|timeout|oom|slow-unit)-' || true)
  result="clean"
  if [ "$status" != 0 ] || [ "$crashes" -gt 0 ]; then
    result="FAILED (status $status, $crashes inputs saved in $dir)"
    failed=1
  fi
  printf '%-18s %14s %8s %8s  %s\n' "$h" "${executions:-?}" "${speed:-?}" "$corpus" "$result"
done
exit $failed
