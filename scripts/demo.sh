#!/usr/bin/env bash
# The main job on the bundled examples, against the scale emulator:
# a shop folder with both programs, the settings, the price list and the
# prepared files; three emulated scales (001 to 003, hosts S0001 to S0003,
# ports 2001 to 2003); the load of every scale in one run, what a scale then
# holds, some simulated sales, and every report fetched back. Nothing is
# left running.
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/setup.sh
ensure_packages
build_all -DSCALELINK_TESTS=OFF
bin=$PWD/${BUILD_DIR:-build}/bin
shop=$PWD/demo-run
address=127.77.0.1   # the emulated scales' loopback address
scales="1 2 3"

rm -rf "$shop"
mkdir -p "$shop"
cp "$bin/VelkoCon" "$bin/xferlnk" "$shop"/
cp examples/velkocon.ini examples/VelkoCon.txt examples/F34.DAT examples/F38.DAT "$shop"/

# The scale's host name S0001 resolves to the emulator through nss_wrapper,
# without touching the machine's /etc/hosts.
for n in $scales; do echo "$address S000$n"; done >"$shop/hosts"
export LD_PRELOAD=libnss_wrapper.so NSS_WRAPPER_HOSTS="$shop/hosts"

sim_pid=""
start_scale() {
  rm -f "$shop/scale.ready"
  local listen=()
  for n in $scales; do listen+=(--listen "$address:200$n"); done
  LD_PRELOAD= "$bin/scalesim" serve --store "$shop/scales" "${listen[@]}" \
    --ready "$shop/scale.ready" --log "$shop/scale.log" >/dev/null &
  sim_pid=$!
  for _ in $(seq 100); do
    [ -e "$shop/scale.ready" ] && return 0
    sleep 0.05
  done
  echo "The scale emulator did not start." >&2
  return 1
}
stop_scale() {
  if [ -n "$sim_pid" ]; then
    kill -TERM "$sim_pid" 2>/dev/null || true
    wait "$sim_pid" 2>/dev/null || true
    sim_pid=""
  fi
}
trap stop_scale EXIT

run() {
  echo
  echo "\$ $*"
  "$@" || echo "(exit code $?)"
}

cd "$shop"
echo "== Load the price list into every scale of the shop (Scales= in velkocon.ini)"
start_scale
run ./VelkoCon all 2
stop_scale
run "$bin/scalesim" show --store "$shop/scales" --scale 1 --codepage Win

echo
echo "== Sell at the scales, then fetch the reports of all of them"
for n in $scales; do
  run "$bin/scalesim" sell --store "$shop/scales" --scale "$n" --count 12 --seed "$((6 + n))"
done
start_scale
run ./VelkoCon all 2 -Report
run ./VelkoCon all 2 -Transact
run ./VelkoCon all 2 -RTBuffer
stop_scale
for report in mgtotal-001.txt plutotal-001.txt transact-001.txt transact-002.txt transact-003.txt rtbuffer-001.txt; do
  echo
  echo "== $report"
  if [ -f "$report" ]; then cat "$report"; else echo "(not written)"; fi
done
echo
echo "== velkocon.log, the run log"
cat velkocon.log
echo
echo "== the archive: every fetch and report, by day"
find archive -type f | sort
echo
echo "The shop folder of this run is $shop"
