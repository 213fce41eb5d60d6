#!/usr/bin/env bash
# Makes the packages into build-packages/ (or $PACKAGE_DIR):
#   scalelink_VERSION_amd64.deb   the Debian package, from a Release build in
#                                 build-deb/ with the compiler's C++ libraries
#                                 linked in, so that it depends on libc6 alone
#   scalelink-VERSION-win64.zip   the Windows shop folder, from the MinGW-w64
#                                 build of scripts/build-windows.sh
# bash scripts/package.sh makes both; "deb" or "zip" as argument makes one.
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/setup.sh

out=${PACKAGE_DIR:-build-packages}
kinds=${*:-deb zip}
mkdir -p "$out"

for kind in $kinds; do
  case $kind in
    deb)
      # dpkg-shlibdeps (dpkg-dev) and file compute the package's dependencies.
      # The programs are built hardened as Debian builds its own (checked
      # buffer functions, symbols bound at start).
      ensure_packages g++ cmake make dpkg-dev file
      dir=build-deb
      mkdir -p "$dir"
      echo "Building the Debian package in $dir ..."
      if ! { cmake -S . -B "$dir" -DCMAKE_BUILD_TYPE=Release -DSCALELINK_TESTS=OFF -DSCALELINK_WERROR=ON \
        -DCMAKE_CXX_FLAGS="-D_FORTIFY_SOURCE=2" \
        -DCMAKE_EXE_LINKER_FLAGS="-static-libstdc++ -static-libgcc -Wl,-z,now" &&
        cmake --build "$dir" -j"$(nproc)" --target VelkoCon xferlnk scalesim &&
        (cd "$dir" && rm -f ./*.deb && cpack -G DEB); } >"$dir/package.log" 2>&1; then
        cat "$dir/package.log"
        echo "The Debian package failed." >&2
        exit 1
      fi
      show_warnings "$dir/package.log"
      cp "$dir"/*.deb "$out"/
      ;;
    zip)
      bash scripts/build-windows.sh
      dir=${WINDOWS_BUILD_DIR:-build-windows}
      echo "Making the Windows zip in $dir ..."
      if ! (cd "$dir" && rm -f ./*.zip && cpack -G ZIP) >"$dir/package.log" 2>&1; then
        cat "$dir/package.log"
        echo "The Windows zip failed." >&2
        exit 1
      fi
      cp "$dir"/*.zip "$out"/
      ;;
    *)
      echo "Usage: bash scripts/package.sh [deb] [zip]" >&2
      exit 1
      ;;
  esac
done
ls -l "$out"
