#!/bin/bash
# Run inside the test virtual machine (tools/vm/run-in-vm.sh): `urc-sim serve
# --usb-gadget` through the kernel's own USB stack (dummy_hcd: the gadget and
# its host in one kernel). The URC appears as a hidraw device with our ids and
# serial; a LINK and READs cross it and equal the image; the bench's unplug
# removes the hidraw device and plug brings it back with the same serial;
# SIGTERM removes the gadget; a gadget left by kill -9 is removed by the next
# server, and a live one is refused.
#   usb_gadget.sh [BIN_DIR]   (default: build/bin beside this script's clone)
set -uo pipefail

bin=${1:-$(cd "$(dirname "$0")/../.." && pwd)/build/bin}
sim=$bin/urc-sim
client=$bin/urc_hidraw_request
gadget=/sys/kernel/config/usb_gadget/qzt617-urc
work=$(mktemp -d)
sock=$work/urc.sock
img=$work/urc.img
server=

failures=0
check() { # check DESCRIPTION COMMAND...
  local what=$1
  shift
  if "$@"; then
    echo "ok: $what"
  else
    echo "FAIL: $what"
    failures=$((failures + 1))
  fi
}
fact() { echo "fact: $*"; }
wait_for() { # wait_for SECONDS COMMAND...: polls every 50 ms
  local deadline=$((SECONDS + $1))
  shift
  until "$@"; do
    ((SECONDS < deadline)) || return 1
    sleep 0.05
  done
}

# The hidraw node of the URC (vendor 1209, product 0001), and its serial.
urc_hidraw() {
  local d
  for d in /sys/class/hidraw/hidraw*; do
    [[ -e $d/device/uevent ]] || continue
    if grep -qx 'HID_ID=0003:00001209:00000001' "$d/device/uevent"; then
      echo "/dev/${d##*/}"
      return 0
    fi
  done
  return 1
}
urc_serial() {
  local node
  node=$(urc_hidraw) || return 1
  sed -n 's/^HID_UNIQ=//p' "/sys/class/hidraw/${node##*/}/device/uevent"
}
has_hidraw() { [[ -n $(urc_hidraw) && -c $(urc_hidraw) ]]; }
no_hidraw() { ! urc_hidraw >/dev/null; }
gadget_gone() { [[ ! -e $gadget ]]; }
bound_to_udc() { [[ $(cat "$gadget/UDC" 2>/dev/null) == dummy_udc.0 ]]; }
unbound() { [[ -z $(cat "$gadget/UDC" 2>/dev/null) ]]; }
server_ended() { ! kill -0 "$1" 2>/dev/null; }

start_server() { # start_server LOG [ARGS...]: sets $server
  local log=$1
  shift
  "$sim" serve --usb-gadget --socket "$sock" --image "$img" "$@" 2>"$log" &
  server=$!
}
stop_server() {
  [[ -n $server ]] || return 0
  kill -TERM "$server" 2>/dev/null
  wait "$server"
  local status=$?
  server=
  return $status
}
cleanup() {
  [[ -n $server ]] && kill -KILL "$server" 2>/dev/null
  for f in "$work"/*.log; do
    [[ -e $f ]] && { echo "--- $f"; cat "$f"; }
  done
}
trap cleanup EXIT

# The first request's answer line, then the second's, ...
ask_usb() { "$client" "$(urc_hidraw)" "$@"; }
memory_hex() { # memory_hex ADDR_HEX LEN_HEX: the bench's view of memory
  "$sim" dump --socket "$sock" "$1" "$2"
}

[[ -x $sim && -x $client ]] || {
  echo "FAIL: no $sim or $client (build urc-sim and urc_hidraw_request)"
  exit 1
}

# 1. Served, found by its ids, with a serial made from the image.
check "no URC on the bus before the server starts" no_hidraw
start_server "$work/serve1.log"
check "the gadget's hidraw device appears" wait_for 15 has_hidraw
check "the gadget is bound to dummy_udc.0" bound_to_udc
serial=$(urc_serial)
fact "hidraw node $(urc_hidraw), serial '$serial'"
check "the serial is the one the server announced" grep -q "serial $serial\$" "$work/serve1.log"
check "idVendor and idProduct" test "$(cat $gadget/idVendor) $(cat $gadget/idProduct)" = "0x1209 0x0001"

# 2. A LINK, a short READ and the whole memory over the link, as the image.
answers=$(ask_usb LINK 'READ 0000 2')
check "LINK answers OK" test "$(sed -n 1p <<<"$answers" | cut -c1-2)" = OK
check "READ 0000 2 equals the memory" test "$(sed -n 2p <<<"$answers")" = "OK $(memory_hex 0 10)"
started=$(date +%s%N)
whole=$(ask_usb 'READ 0000 8192')
ended=$(date +%s%N)
fact "64 KiB read over the gadget in $(((ended - started) / 1000000)) ms (the VM's timing)"
check "the whole memory read over USB equals the image" test "$whole" = "OK $(memory_hex 0 10000)"
check "the bench's status works beside the gadget" "$sim" status --socket "$sock"

# 3. The bench's unplug is a real unplug; plug brings the same URC back.
check "unplug answers" "$sim" unplug --socket "$sock"
check "the hidraw device disappears on unplug" wait_for 10 no_hidraw
check "the gadget is unbound" unbound
check "plug answers" "$sim" plug --socket "$sock"
check "the hidraw device comes back on plug" wait_for 15 has_hidraw
check "with the same serial" test "$(urc_serial)" = "$serial"
check "and answers again" test "$(ask_usb LINK | cut -c1-2)" = OK

# 4. SIGTERM removes the gadget.
stop_server
check "the server ended with status 0 on SIGTERM" test $? -eq 0
check "SIGTERM removed the gadget" gadget_gone
check "and its hidraw device" wait_for 10 no_hidraw

# 5. kill -9 leaves the gadget; the next server removes it and serves.
start_server "$work/serve2.log"
check "a second server comes up" wait_for 15 has_hidraw
kill -KILL "$server"
wait "$server" 2>/dev/null
server=
check "kill -9 left the gadget behind, bound" bound_to_udc
rm -f "$sock"
start_server "$work/serve3.log"
# The stale gadget's hidraw device is still there until the server has
# removed it and made its own: wait for the server to say so.
check "the next server comes up over the stale gadget" \
  wait_for 15 grep -q "serving the USB gadget" "$work/serve3.log"
check "its hidraw device is there" wait_for 15 has_hidraw
check "and says it removed the stale one" grep -q "a stopped server left behind" "$work/serve3.log"
check "with the same serial again" test "$(urc_serial)" = "$serial"
check "it answers" test "$(ask_usb LINK | cut -c1-2)" = OK

# 6. A live gadget is refused, and left alone.
"$sim" serve --usb-gadget --socket "$work/other.sock" --image "$work/other.img" \
  2>"$work/refused.log"
check "a second live server is refused" test $? -eq 1
check "naming the server that holds the gadget" \
  grep -q "another urc-sim serves the USB gadget qzt617-urc" "$work/refused.log"
check "the live gadget stayed bound" bound_to_udc
stop_server
check "the last server removed its gadget" gadget_gone

check "the image is sound afterwards" "$sim" check --image "$img"
echo "usb_gadget: $failures failure(s)"
((failures == 0))
