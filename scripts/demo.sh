#!/usr/bin/env bash
# Runs the main job on the bundled examples.
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/setup.sh
ensure_packages
build_all -DSCALELINK_TESTS=OFF
bin=$PWD/${BUILD_DIR:-build}/bin
work=$PWD/demo-run
rm -rf "$work"
mkdir -p "$work"
cp examples/velkocon.ini examples/VelkoCon.txt "$work"/
cd "$work"
echo "$ VelkoCon 001 2"
"$bin/VelkoCon" 001 2 || echo "(exit code $?)"
