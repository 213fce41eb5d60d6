#!/usr/bin/env bash
# Builds the programs and every test, and runs all tests; then the further
# test stages that stand beside this script (each installs what it needs).
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/setup.sh
ensure_packages
build_all -DSCALELINK_TESTS=ON
(cd "${BUILD_DIR:-build}" && ctest --output-on-failure -j"$(nproc)")

for stage in scripts/test-*.sh; do
  [ -e "$stage" ] || continue
  echo "== $stage"
  bash "$stage"
done
