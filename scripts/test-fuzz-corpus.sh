#!/usr/bin/env bash
# Builds the fuzz harnesses and runs each over its committed corpus only
# (fuzz/corpus/<harness>/), so that they keep building and every input that
# once crashed stays fixed. Takes seconds.
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/setup.sh
. scripts/fuzz_build.sh
build_fuzz_harnesses

failed=""
for h in $fuzz_harnesses; do
  log="$fuzz_build_dir/corpus-$h.log"
  if "$fuzz_build_dir/fuzz/$h" -runs=0 -timeout=10 "fuzz/corpus/$h" >"$log" 2>&1; then
    echo "fuzz corpus $h: $(ls "fuzz/corpus/$h" | wc -l) inputs passed"
  else
    cat "$log"
    failed="$failed $h"
  fi
done
if [ -n "$failed" ]; then
  echo "Fuzz corpus failures:$failed" >&2
  exit 1
fi
