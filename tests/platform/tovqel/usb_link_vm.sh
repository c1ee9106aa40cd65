#!/usr/bin/env bash
# The device library over a real USB link, inside the test virtual machine
# (tools/vm/run-in-vm.sh): `urc-sim serve --usb-gadget` on dummy_hcd is the
# URC, and with no QZT617_URC_SOCKET the library finds its hidraw node. Lists
# the keys, backs the memory up (the backup must equal the image) and times
# it, times link_state, and unplugs and replugs the gadget through the bench.
# usage: usb_link_vm.sh BUILD_DIR
set -euo pipefail

build=${1:?usage: usb_link_vm.sh BUILD_DIR}
bin=$build/bin
work=$(mktemp -d /tmp/usb-link.XXXXXX)
bench=$work/bench.sock
image=$work/urc.img
failures=0

fail() {
  echo "FAIL: $*"
  failures=$((failures + 1))
}
ms_now() { echo $(($(date +%s%N) / 1000000)); }
wait_for() { # wait_for SECONDS COMMAND...
  local until=$(($(date +%s) + $1))
  shift
  until "$@"; do
    (($(date +%s) < until)) || return 1
    sleep 0.1
  done
}
urc_hidraw() { # the hidraw node of the URC, if any
  local n
  for n in /sys/class/hidraw/hidraw*; do
    [[ -e $n ]] || continue
    [[ "$(cat "$n/device/../../idVendor" 2>/dev/null):$(cat "$n/device/../../idProduct" 2>/dev/null)" == 1209:0001 ]] &&
      echo "/dev/$(basename "$n")" && return 0
  done
  return 1
}
has_urc() { urc_hidraw >/dev/null; }
no_urc() { ! has_urc; }

# link_state from Python's ctypes: the first call (opening the node) and the
# mean of the next ones, in milliseconds.
link_timing() {
  python3 - "$bin/libtovqel.so" <<'PY'
import ctypes, sys, time
lib = ctypes.CDLL(sys.argv[1])
t = time.monotonic(); first = lib.link_state(); t1 = time.monotonic() - t
n = 50
t = time.monotonic()
states = [lib.link_state() for _ in range(n)]
mean = (time.monotonic() - t) / n
print(f"state={first} first={t1*1000:.1f}ms next={mean*1000:.2f}ms all={set(states)}")
PY
}

unset QZT617_URC_SOCKET
echo "== the URC as a USB gadget"
"$bin/urc-sim" serve --usb-gadget --image "$image" --socket "$bench" >"$work/serve.log" 2>&1 &
server=$!
trap 'kill $server 2>/dev/null; wait $server 2>/dev/null; true' EXIT
wait_for 20 has_urc || {
  cat "$work/serve.log"
  fail "no hidraw node of the URC appeared"
  exit 1
}
node=$(urc_hidraw)
sysfs=/sys/class/hidraw/$(basename "$node")/device/../..
echo "URC at $node: $(cat "$sysfs/manufacturer") / $(cat "$sysfs/product") / serial $(cat "$sysfs/serial") / $(cat "$sysfs/speed") Mbit/s"
sleep 1 # let the HID driver finish binding

echo "== link_state"
timing=$(link_timing)
echo "$timing"
[[ $timing == state=1* ]] || fail "link_state is not true over USB"

echo "== urc-tool list"
start=$(ms_now)
"$bin/urc-tool" list >"$work/list.txt" 2>"$work/list.err" || fail "urc-tool list: $(cat "$work/list.err")"
echo "took $(($(ms_now) - start)) ms, $(wc -l <"$work/list.txt") lines; first lines:"
head -n 4 "$work/list.txt"

echo "== urc-tool backup"
for try in 1 2 3 4 5; do
  start=$(ms_now)
  "$bin/urc-tool" backup "$work/backup.img" --quiet 2>"$work/backup.err" ||
    fail "urc-tool backup: $(cat "$work/backup.err")"
  echo "backup $try: $(($(ms_now) - start)) ms (a real full-speed link's target: 1126 ms)"
done
start=$(ms_now)
"$bin/urc-tool" --help >/dev/null 2>&1 || true
echo "urc-tool --help alone: $(($(ms_now) - start)) ms"
python3 - "$bin/libtovqel.so" <<'PY'
import ctypes, sys, time
lib = ctypes.CDLL(sys.argv[1])
lib.link_state()
buf = ctypes.create_string_buffer(2 * 65536 + 1)
for _ in range(3):
    t = time.monotonic()
    ok = lib.readdatav20(buf, 8192, b"00", b"00", b"08")
    print(f"readdatav20 of 64 KiB: ok={ok} {1000 * (time.monotonic() - t):.0f} ms")
PY

echo "== a backup while another program polls link_state every 10 ms"
python3 - "$bin/libtovqel.so" "$work/poller" >"$work/poller.txt" <<'PY' &
import ctypes, os, sys, time
lib = ctypes.CDLL(sys.argv[1])
polls = falses = 0
while not os.path.exists(sys.argv[2] + ".stop"):
    polls += 1
    falses += lib.link_state() == 0
    if polls == 1:
        open(sys.argv[2] + ".started", "w").close()
    time.sleep(0.01)
print(f"{polls} polls, {falses} false")
PY
poller=$!
wait_for 30 test -e "$work/poller.started" || fail "the poller did not start"
for try in 1 2; do
  start=$(ms_now)
  "$bin/urc-tool" backup "$work/backup$try.img" --quiet 2>"$work/backup.err" ||
    fail "urc-tool backup beside the poller: $(cat "$work/backup.err")"
  echo "backup beside the poller: $(($(ms_now) - start)) ms"
  cmp -s "$image" "$work/backup$try.img" || fail "the backup beside the poller differs from the image"
done
sleep 1 # a few polls after the backups too
touch "$work/poller.stop"
wait $poller
echo "the poller: $(cat "$work/poller.txt")"
grep -qE "^[1-9][0-9]* polls, 0 false" "$work/poller.txt" ||
  fail "link_state read false beside the backup (or never ran)"

cmp "$image" "$work/backup.img" && echo "the backup equals the image" || fail "the backup differs from the image"
"$bin/urc-tool" verify "$image" --quiet || fail "urc-tool verify"

echo "== unplug and replug, seen by one process that keeps running"
python3 - "$bin/libtovqel.so" "$bin/urc-sim" "$bench" >"$work/replug.txt" <<'PY' || fail "unplug and replug: $(cat "$work/replug.txt")"
import ctypes, subprocess, sys, time
lib, sim, bench = ctypes.CDLL(sys.argv[1]), sys.argv[2], sys.argv[3]
def bench_says(what):
    subprocess.run([sim, what, "--socket", bench], check=True, stdout=subprocess.DEVNULL)
def until(state, within):
    start = time.monotonic()
    while lib.link_state() != state:
        if time.monotonic() - start > within:
            return None
        time.sleep(0.005)
    return (time.monotonic() - start) * 1000
assert lib.link_state() == 1, "not linked before unplugging"
bench_says("unplug")
gone = until(0, 5)
t = time.monotonic()
for _ in range(20):
    lib.link_state()
each = (time.monotonic() - t) / 20 * 1000
print(f"unplugged: link_state false after {gone:.0f} ms; each call then {each:.2f} ms")
bench_says("plug")
back = until(1, 20)
print(f"replugged: link_state true again after {back:.0f} ms" if back is not None else "replugged: never true again")
sys.exit(0 if gone is not None and gone < 200 and back is not None else 1)
PY
cat "$work/replug.txt"
echo "URC now at $(urc_hidraw)"

if [[ -x $build/usb_link_measure ]]; then
  echo "== costs"
  "$build/usb_link_measure" 200
fi

((failures == 0)) && echo "USB link in the virtual machine: OK" || echo "USB link: $failures failures"
exit $((failures > 0))
