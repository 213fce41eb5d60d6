#!/usr/bin/env bash
# Builds the Windows programs VelkoCon.exe and xferlnk.exe with the MinGW-w64
# cross compiler into build-windows/bin (or $WINDOWS_BUILD_DIR/bin). They need
# no DLLs beside them. Beside them the disk-fault tests for wine,
# disk_fault_tests.exe, which run both programs in their own process and
# link the libraries built for them. Then the platform layer's contract
# tests for wine, platform_tests.exe and platform_test_helper.exe, into
# build-windows/platform-tests/bin. GoogleTest is built from Debian's sources
# (package googletest). Everything is built by the compilers of the POSIX
# thread model, since the transfer program serves scales on threads of its
# own and GoogleTest needs std::mutex; the thread library is linked in.
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/setup.sh
ensure_packages cmake make g++-mingw-w64-x86-64 g++-mingw-w64-x86-64-posix googletest

dir=${WINDOWS_BUILD_DIR:-build-windows}
toolchain="$PWD/cmake/mingw-w64.cmake"
mkdir -p "$dir"
echo "Building the Windows programs in $dir ..."
if ! { cmake -S . -B "$dir" -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DMINGW_THREADS=posix \
  -DCMAKE_BUILD_TYPE=Release -DSCALELINK_TESTS=ON -DSCALELINK_WERROR=ON &&
  cmake --build "$dir" -j"$(nproc)" --target VelkoCon xferlnk disk_fault_tests &&
  cmake -S tests/platform -B "$dir/platform-tests" -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
    -DMINGW_THREADS=posix -DCMAKE_BUILD_TYPE=Release -DSCALELINK_WERROR=ON &&
  cmake --build "$dir/platform-tests" -j"$(nproc)" --target platform_tests platform_test_helper; } \
  >"$dir/build.log" 2>&1; then
  cat "$dir/build.log"
  echo "The Windows build failed." >&2
  exit 1
fi
show_warnings "$dir/build.log"
ls "$dir/bin/VelkoCon.exe" "$dir/bin/xferlnk.exe" "$dir/bin/disk_fault_tests.exe" \
  "$dir/platform-tests/bin/platform_tests.exe"
