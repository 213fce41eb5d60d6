#!/usr/bin/env bash
# Test stage: the Windows programs under wine. Builds VelkoCon.exe and
# xferlnk.exe, the disk-fault tests and the platform layer's contract tests,
# runs those tests (the disk faults with both programs in the test's process,
# against the Linux scalesim), then runs the end-to-end tests of the Linux
# build a second time with the Windows programs in place of the Linux ones
# (started through wine), against the Linux scalesim on loopback. A fresh
# wine prefix in a temporary folder serves the stage and goes with it.
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/setup.sh
ensure_packages g++-mingw-w64-x86-64 googletest wine64 libnss-wrapper
started=$(date +%s)

bash scripts/build-windows.sh
# The build folders may be given relative to the project or absolute.
windows_build=$(cd "${WINDOWS_BUILD_DIR:-build-windows}" && pwd)
windows_bin="$windows_build/bin"
windows_tests="$windows_build/platform-tests/bin"
build="${BUILD_DIR:-build}"
if [ ! -x "$build/bin/converter_tests" ] || [ ! -x "$build/bin/transfer_tests" ] ||
  [ ! -x "$build/bin/packaging_tests" ]; then
  build_all -DSCALELINK_TESTS=ON
fi

# The end-to-end tests that apply to the Windows programs. Left out:
# - PluFile.NamesFollowTheCodePage and DosTranslation.*: VELKOCON_CODEPAGES
#   chooses the code pages of the Linux programs only (PlatformEndToEnd covers
#   "Dos" on both);
# - RetrievalMode.*: they stand a shell script in for the transfer program,
#   and the Windows converter starts xferlnk.exe only (ReportShop covers the
#   retrieval modes end to end);
# - XferlnkConnectTest.HostThatCannotBeLookedUp: wine reports the refused
#   name as 11004 (no data) where the test expects 11001;
# - XferlnkLoadTest.ScaleThatResetsTheConnectionFailsTheLoad: wine hands a
#   reset connection to the program as an orderly close (receive count 0);
# - FetchIntegrity.*: they end programs with POSIX signals, and
#   XferlnkProgressTest.* needs a terminal, which wine without a display has
#   not.
included='^(ConverterStart|LoadMode|Verification|PluFile|ReportShop|WholeShop|PlatformEndToEnd|XferlnkCommandLineTest|XferlnkConnectTest|XferlnkLoadTest|XferlnkReadTest|XferlnkReadFaultTest|XferlnkSendTimeoutTest)\.'
excluded='^(PluFile\.NamesFollowTheCodePage|XferlnkConnectTest\.HostThatCannotBeLookedUp|XferlnkLoadTest\.ScaleThatResetsTheConnectionFailsTheLoad)$'

wine_root=$(mktemp -d /tmp/scalelink-wine-XXXXXX)
export WINEPREFIX="$wine_root/prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
wineserver=/usr/lib/wine/wineserver64
wine=/usr/lib/wine/wine64
finish() {
  "$wineserver" -k 2>/dev/null || true
  rm -rf "$wine_root"
}
trap finish EXIT

# The prefix is made once; then a persistent wine server, and wine's own
# background programs started by one program whose output goes nowhere (a
# test's program that started them would hand them its output pipes, and the
# test would wait for them to close).
boot_started=$(date +%s)
"$wine" wineboot -i </dev/null >"$wine_root/wineboot.log" 2>&1 || {
  cat "$wine_root/wineboot.log"
  echo "wineboot failed." >&2
  exit 1
}
"$wineserver" -w
"$wineserver" -p
"$wine" wineboot </dev/null >>"$wine_root/wineboot.log" 2>&1
echo "wine prefix ready in $(($(date +%s) - boot_started)) s"

# The platform layer's contract tests, built for Windows from the same
# sources as on Linux.
timeout 300 "$wine" "$windows_tests/platform_tests.exe" --gtest_brief=1 </dev/null

# The disk faults staged by the test Env, with both programs in the test's
# process, built for Windows; the emulator is the Linux one, which the test
# starts through wine (tests/support/scale_sim.h).
SCALELINK_SCALESIM="$(cd "$build" && pwd)/bin/scalesim" \
  timeout 300 "$wine" "$windows_bin/disk_fault_tests.exe" --gtest_brief=1 </dev/null

export SCALELINK_PROGRAM_DIR="$windows_bin" SCALELINK_EXE_SUFFIX=.exe SCALELINK_RUNNER="$wine"
(cd "$build" && ctest --output-on-failure -j"$(nproc)" -R "$included" -E "$excluded")

# The Windows zip (scripts/package.sh zip), unpacked: its files, the version
# resources of its programs, then their help and version and the morning batch
# against the emulator (tests/packaging).
bash scripts/package.sh zip
zip_folder="$wine_root/zip"
mkdir "$zip_folder"
zip=$(ls "$(cd "${PACKAGE_DIR:-build-packages}" && pwd)"/scalelink-*-win64.zip)
(cd "$zip_folder" && cmake -E tar xf "$zip")
zip_files="F34.DAT F38.DAT README.txt VelkoCon.exe load-all-scales.bat velkocon.ini xferlnk.exe"
[ "$(cd "$zip_folder" && echo $(LC_ALL=C ls))" = "$zip_files" ] || {
  echo "The zip holds $(cd "$zip_folder" && echo $(LC_ALL=C ls)), not $zip_files" >&2
  exit 1
}
version=$("$build/bin/VelkoCon" --version | cut -d" " -f2)
for program in VelkoCon xferlnk; do
  # The resource's strings, each key followed by its value (UTF-16).
  resource=$(strings -el "$zip_folder/$program.exe" | tr '\n' ' ')
  for entry in "FileVersion $version" "ProductVersion $version" "ProductName ScaleLink" \
    "OriginalFilename $program.exe"; do
    [[ " $resource" == *" $entry "* ]] || {
      echo "$program.exe: the version resource lacks \"$entry\"" >&2
      exit 1
    }
  done
done
SCALELINK_PROGRAM_DIR="$zip_folder" SCALELINK_ZIP_FOLDER="$zip_folder" timeout 300 "$build/bin/packaging_tests" \
  --gtest_filter='ProgramInfo.*:WindowsZip.*' --gtest_brief=1
echo "Windows stage done in $(($(date +%s) - started)) s"
