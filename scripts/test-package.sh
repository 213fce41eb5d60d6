#!/usr/bin/env bash
# Test stage: the Debian package. Makes it (scripts/package.sh deb), checks
# with dpkg-deb that it depends on the C library alone and holds exactly the
# files it should, has lintian find no error in it, then unpacks it: its
# manual pages render without warnings, its changelog is of its version, and
# a load from its programs runs against the emulator (the installed-layout
# test of tests/packaging).
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/setup.sh
ensure_packages
# lintian checks the package; man (man-db) renders the manual pages.
ensure_packages lintian man-db
started=$(date +%s)

bash scripts/package.sh deb
deb=$(ls "${PACKAGE_DIR:-build-packages}"/scalelink_*_amd64.deb)
build="${BUILD_DIR:-build}"
if [ ! -x "$build/bin/packaging_tests" ]; then
  build_all -DSCALELINK_TESTS=ON
fi
failed=0
fail() {
  echo "FAILED: $*" >&2
  failed=1
}

depends=$(dpkg-deb -f "$deb" Depends)
echo "Depends: $depends"
[[ $depends =~ ^libc6(\ \(\>=\ [0-9.]+\))?$ ]] || fail "the package depends on more than libc6: $depends"
[ "$(dpkg-deb -f "$deb" Package)" = scalelink ] || fail "the package is not named scalelink"

expected_files="./usr/bin/VelkoCon -> ../libexec/scalelink/VelkoCon
./usr/bin/scalesim
./usr/bin/xferlnk -> ../libexec/scalelink/xferlnk
./usr/libexec/scalelink/F34.DAT
./usr/libexec/scalelink/F38.DAT
./usr/libexec/scalelink/VelkoCon
./usr/libexec/scalelink/xferlnk
./usr/share/doc/scalelink/F34.DAT
./usr/share/doc/scalelink/F38.DAT
./usr/share/doc/scalelink/README.md
./usr/share/doc/scalelink/VelkoCon.txt
./usr/share/doc/scalelink/changelog.gz
./usr/share/doc/scalelink/copyright
./usr/share/doc/scalelink/velkocon.ini
./usr/share/man/man1/VelkoCon.1.gz
./usr/share/man/man1/scalesim.1.gz
./usr/share/man/man1/xferlnk.1.gz"
# The files and links, without the folders: the path and a link's target.
files=$(dpkg-deb -c "$deb" | grep -v '^d' | awk '{ $1 = $2 = $3 = $4 = $5 = ""; sub(/^ +/, ""); print }' | sort)
[ "$files" = "$expected_files" ] || fail "the package's files differ:
$(diff <(echo "$expected_files") <(echo "$files"))"

# Errors fail the stage; the warnings and notes are shown.
timeout 300 lintian --fail-on error --display-info "$deb" || fail "lintian found errors in the package"

root=$(mktemp -d /tmp/scalelink-deb-XXXXXX)
trap 'rm -rf "$root"' EXIT
dpkg-deb -x "$deb" "$root"
for page in "$root"/usr/share/man/man1/*.1.gz; do
  if ! warnings=$(LC_ALL=C.UTF-8 MANWIDTH=80 timeout 60 man --warnings -l "$page" 2>&1 >/dev/null); then
    fail "man cannot render the manual page ${page##*/}: $warnings"
  elif [ -n "$warnings" ]; then
    fail "the manual page ${page##*/} renders with warnings:
$warnings"
  fi
done
version=$(dpkg-deb -f "$deb" Version)
entry=$(zcat "$root/usr/share/doc/scalelink/changelog.gz" | sed -n 1p)
[ "${entry%%)*}" = "scalelink ($version" ] ||
  fail "the changelog's last entry is not of version $version (packaging/debian/changelog)"
[ "$("$root/usr/bin/VelkoCon" --version)" = "VelkoCon $version" ] ||
  fail "the package's version $version is not the converter's"
SCALELINK_INSTALL_PREFIX="$root/usr" timeout 120 "$build/bin/packaging_tests" \
  --gtest_filter='InstalledLayout.*' --gtest_brief=1 || fail "the load from the package's programs"

[ "$failed" = 0 ] || exit 1
echo "Package stage done in $(($(date +%s) - started)) s"
