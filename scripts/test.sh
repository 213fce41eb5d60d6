#!/usr/bin/env bash
# Builds the programs and every test, and runs all tests; then the further
# test stages that stand beside this script (each installs what it needs).
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/setup.sh
ensure_packages
started=$(date +%s)
build_all -DSCALELINK_TESTS=ON
(cd "${BUILD_DIR:-build}" && ctest --output-on-failure -j"$(nproc)")
echo "== build and tests: $(($(date +%s) - started)) s"

for stage in scripts/test-*.sh; do
  [ -e "$stage" ] || continue
  echo "== $stage"
  stage_started=$(date +%s)
  bash "$stage"
  echo "== $stage: $(($(date +%s) - stage_started)) s"
done
echo "== all stages: $(($(date +%s) - started)) s"
