#!/usr/bin/env bash
# Builds the Windows programs VelkoCon.exe and xferlnk.exe with the MinGW-w64
# cross compiler into build-windows/bin (or $WINDOWS_BUILD_DIR/bin). They need
# no DLLs beside them.
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/setup.sh
ensure_packages cmake make g++-mingw-w64-x86-64

dir=${WINDOWS_BUILD_DIR:-build-windows}
mkdir -p "$dir"
echo "Building the Windows programs in $dir ..."
if ! { cmake -S . -B "$dir" -DCMAKE_TOOLCHAIN_FILE="$PWD/cmake/mingw-w64.cmake" \
  -DCMAKE_BUILD_TYPE=Release -DSCALELINK_TESTS=OFF &&
  cmake --build "$dir" -j"$(nproc)" --target VelkoCon xferlnk; } >"$dir/build.log" 2>&1; then
  cat "$dir/build.log"
  echo "The Windows build failed." >&2
  exit 1
fi
ls "$dir/bin/VelkoCon.exe" "$dir/bin/xferlnk.exe"
