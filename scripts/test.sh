#!/usr/bin/env bash
# Builds the programs and every test, and runs all tests.
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/setup.sh
ensure_packages
build_all -DSCALELINK_TESTS=ON
cd "${BUILD_DIR:-build}"
ctest --output-on-failure -j"$(nproc)"
