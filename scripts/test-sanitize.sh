#!/usr/bin/env bash
# Builds everything with AddressSanitizer and UndefinedBehaviorSanitizer
# (-DSCALELINK_SANITIZE=ON) into build-sanitize/ (or $SANITIZE_BUILD_DIR)
# and runs the whole test suite under them. Fails when a test fails or when
# any program wrote a sanitizer report; the reports are kept in
# build-sanitize/sanitizer-reports/ and printed.
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/setup.sh
ensure_packages

dir=${SANITIZE_BUILD_DIR:-build-sanitize}
started=$(date +%s)
# Optimized a little and with line tables only: the build is the stage's
# larger part, and a sanitizer's report needs no more to name its lines.
BUILD_DIR=$dir build_all -DSCALELINK_TESTS=ON -DSCALELINK_SANITIZE=ON -DCMAKE_BUILD_TYPE=Debug \
  -DCMAKE_CXX_FLAGS_DEBUG="-O1 -g1"
built=$(date +%s)

reports="$(cd "$dir" && pwd)/sanitizer-reports"
rm -rf "$reports"
mkdir -p "$reports"
# The tests preload nss_wrapper into the programs, so the runtime cannot be
# first in the link order. Reports go to files as well as failing the
# program, so that a report from a program whose exit status a test does not
# look at still fails the stage.
export ASAN_OPTIONS="verify_asan_link_order=0:detect_leaks=1:halt_on_error=1:log_path=$reports/asan"
export UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1:log_path=$reports/ubsan"
export LSAN_OPTIONS="log_path=$reports/lsan"
# nss_wrapper hands a name its hosts file does not hold (a dotted address
# such as 0.0.0.1) to the C library, which it opens with RTLD_DEEPBIND; the
# sanitizer runtime refuses that, so the deep binding is turned off.
export NSS_WRAPPER_DISABLE_DEEPBIND=1

status=0
(cd "$dir" && ctest --output-on-failure -j"$(nproc)" --timeout 300) || status=$?
finished=$(date +%s)

if compgen -G "$reports/*" >/dev/null; then
  for report in "$reports"/*; do
    echo "== $report"
    cat "$report"
  done
  echo "Sanitizer reports were written (see above)." >&2
  status=1
fi
echo "Sanitizer stage: build $((built - started)) s, tests $((finished - built)) s."
exit $status
