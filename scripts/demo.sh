#!/usr/bin/env bash
# The main job on the bundled examples, against the scale emulator:
# a shop folder with both programs, the settings, the price list and the
# prepared files; one emulated scale (scale 001, host S0001, port 2001);
# the load, what the scale then holds, some simulated sales, and every
# report fetched back. Nothing is left running.
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/setup.sh
ensure_packages
build_all -DSCALELINK_TESTS=OFF
bin=$PWD/${BUILD_DIR:-build}/bin
shop=$PWD/demo-run
address=127.77.0.1   # the emulated scale's loopback address

rm -rf "$shop"
mkdir -p "$shop"
cp "$bin/VelkoCon" "$bin/xferlnk" "$shop"/
cp examples/velkocon.ini examples/VelkoCon.txt examples/F34.DAT examples/F38.DAT "$shop"/

# The scale's host name S0001 resolves to the emulator through nss_wrapper,
# without touching the machine's /etc/hosts.
echo "$address S0001" >"$shop/hosts"
export LD_PRELOAD=libnss_wrapper.so NSS_WRAPPER_HOSTS="$shop/hosts"

sim_pid=""
start_scale() {
  rm -f "$shop/scale.ready"
  LD_PRELOAD= "$bin/scalesim" serve --store "$shop/scales" --listen "$address:2001" \
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
echo "== Load the price list into scale 001"
start_scale
run ./VelkoCon 001 2
stop_scale
run "$bin/scalesim" show --store "$shop/scales" --scale 1 --codepage Win

echo
echo "== Sell at the scale, then fetch the reports"
run "$bin/scalesim" sell --store "$shop/scales" --scale 1 --count 12 --seed 7
start_scale
run ./VelkoCon 001 2 -Report
run ./VelkoCon 001 2 -Transact
run ./VelkoCon 001 2 -RTBuffer
stop_scale
for report in mgtotal.txt plutotal.txt transact.txt rtbuffer.txt; do
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
