#!/bin/bash
# Run inside the test virtual machine (tools/vm/run-in-vm.sh): proves, with
# the shell and the kernel's own tools only, the kernel pieces the USB and
# infrared tests build on. A HID gadget made through configfs binds to
# dummy_hcd and its host side appears as hidraw; 64-byte reports cross both
# ways; unbinding and rebinding unplug and replug it; rc-loopback carries a
# NEC frame from its transmitter to its receiver, where the kernel's decoder
# reads the scancode. It also prints the facts the other tests rely on.
set -uo pipefail

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
scratch=$(mktemp -d)

gadget=/sys/kernel/config/usb_gadget/smoke
udc=$(ls /sys/class/udc | head -n 1)

# Vendor page, application collection, 64 input and 64 output bytes, no IDs.
report_descriptor='\x06\x00\xff\x09\x01\xa1\x01\x09\x02\x15\x00\x26\xff\x00\x75\x08\x95\x40\x81\x02\x09\x03\x15\x00\x26\xff\x00\x75\x08\x95\x40\x91\x02\xc0'

make_gadget() {
  mkdir -p $gadget/strings/0x409 $gadget/configs/c.1 $gadget/functions/hid.usb0 || return 1
  echo 0x1209 >$gadget/idVendor
  echo 0x0001 >$gadget/idProduct
  echo full-speed >$gadget/max_speed
  echo "smoke maker" >$gadget/strings/0x409/manufacturer
  echo "smoke URC" >$gadget/strings/0x409/product
  echo "SMOKE0001" >$gadget/strings/0x409/serialnumber
  local f=$gadget/functions/hid.usb0
  echo 0 >$f/protocol
  echo 0 >$f/subclass
  echo 64 >$f/report_length
  [[ -e $f/interval ]] && echo 1 >$f/interval
  printf "$report_descriptor" >$f/report_desc
  ln -s $f $gadget/configs/c.1/
  echo "$udc" >$gadget/UDC
}

hidraw_present() { [[ -c /dev/hidraw0 ]]; }
hidraw_absent() { [[ ! -e /dev/hidraw0 ]]; }

# host -> device: a write to hidraw of a device without report IDs starts
# with the report number 0, so 65 bytes carry one 64-byte report.
output_report_arrives() {
  head -c 64 /dev/urandom >$scratch/out
  timeout 5 dd if=/dev/hidg0 of=$scratch/out.got bs=64 count=1 status=none &
  local reader=$!
  sleep 0.5
  # fullblock: from a pipe, dd would otherwise write the lone 0 byte first.
  { printf '\0'; cat $scratch/out; } | dd of=/dev/hidraw0 bs=65 count=1 iflag=fullblock status=none
  wait $reader && cmp -s $scratch/out $scratch/out.got
}

input_report_arrives() {
  head -c 64 /dev/urandom >$scratch/in
  timeout 5 dd if=/dev/hidraw0 of=$scratch/in.got bs=64 count=1 status=none &
  local reader=$!
  sleep 0.5
  dd if=$scratch/in of=/dev/hidg0 bs=64 count=1 status=none
  wait $reader && cmp -s $scratch/in $scratch/in.got
}

usb_facts() {
  local hid usb
  hid=$(readlink -f /sys/class/hidraw/hidraw0/device)
  usb=$(readlink -f "$hid/../..")
  fact "hidraw0's HID device: $(basename "$hid"); its USB device: $usb"
  fact "sysfs idVendor=$(cat "$usb/idVendor") idProduct=$(cat "$usb/idProduct") serial=$(cat "$usb/serial" 2>&1) product=$(cat "$usb/product" 2>&1) manufacturer=$(cat "$usb/manufacturer" 2>&1) speed=$(cat "$usb/speed")"
  fact "HID uevent: $(tr '\n' ' ' <"$hid/uevent")"
  local ep
  for ep in "$hid"/../ep_*; do
    fact "endpoint $(basename "$ep"): bInterval=$(cat "$ep/bInterval") interval=$(cat "$ep/interval") wMaxPacketSize=$(cat "$ep/wMaxPacketSize")"
  done
  if command -v udevadm >/dev/null; then
    echo "--- udevadm info /dev/hidraw0 (no udevd in the guest):"
    udevadm info /dev/hidraw0 2>&1 | sed 's/^/  /'
  else
    fact "no udevadm on this host (package udev not installed)"
  fi
}

echo "== USB HID gadget on $udc"
check "gadget made and bound through configfs" make_gadget
check "host side shows /dev/hidraw0" wait_for 10 hidraw_present
check "gadget side shows /dev/hidg0" wait_for 5 test -c /dev/hidg0
# The hidraw node appears while the HID driver is still binding; reports
# sent in that moment can be lost, so the checks let it settle.
sleep 1
check "a 64-byte output report reaches the gadget" output_report_arrives
check "a 64-byte input report reaches the host" input_report_arrives
check "a second output report reaches the gadget" output_report_arrives
check "a second input report reaches the host" input_report_arrives
usb_facts
echo "" >$gadget/UDC
check "unbinding the gadget removes /dev/hidraw0" wait_for 5 hidraw_absent
echo "$udc" >$gadget/UDC
check "rebinding brings /dev/hidraw0 back" wait_for 10 hidraw_present
sleep 1
check "reports cross again after the replug" output_report_arrives
# The controller is left free for the scripts that follow in the same boot.
remove_gadget() {
  echo "" >$gadget/UDC
  rm -f $gadget/configs/c.1/hid.usb0
  rmdir $gadget/configs/c.1/strings/0x409 $gadget/configs/c.1 $gadget/functions/hid.usb0 \
    $gadget/strings/0x409 $gadget 2>/dev/null
  [[ ! -e $gadget ]]
}
check "the gadget is removed again" remove_gadget

echo "== infrared through rc-loopback"
lirc=/dev/lirc0
check "rc-loopback gives $lirc" test -c $lirc
fact "protocols of rc0: $(cat /sys/class/rc/rc0/protocols)"
echo "--- ir-ctl -f:"
ir-ctl -d $lirc -f 2>&1 | sed 's/^/  /'

# receive FILE RECEIVER-OPTIONS -- SENDER-OPTIONS
receive() {
  local file=$1 rx=() tx=()
  shift
  while [[ $1 != -- ]]; do rx+=("$1"); shift; done
  shift
  tx=("$@")
  timeout 10 ir-ctl -d $lirc -r -1 --mode2 "${rx[@]}" >$file 2>&1 &
  local reader=$!
  sleep 0.3
  ir-ctl -d $lirc "${tx[@]}" || echo "sender failed: ir-ctl ${tx[*]}" >>$file
  wait $reader
}

receive $scratch/nec.txt -- -S nec:0x408
samples=$(grep -cE '^(pulse|space) ' $scratch/nec.txt)
fact "NEC 0x408 came back as $samples mode2 samples; first: $(head -n 4 $scratch/nec.txt | tr '\n' ' ')"
check "the NEC frame is received (67 or more samples)" test "$samples" -ge 67

receive $scratch/carrier.txt -m -- -c 38000 -D 40 -S nec:0x408
if grep -q '^carrier ' $scratch/carrier.txt; then
  fact "carrier report: yes: $(grep -m1 '^carrier ' $scratch/carrier.txt)"
else
  fact "carrier report: none; the receiver printed: $(head -n 3 $scratch/carrier.txt | tr '\n' ' ')"
fi
if ir-ctl -d $lirc -c 36000 -D 33 2>$scratch/set.err; then
  fact "the transmitter accepts carrier 36000 and duty cycle 33"
else
  fact "the transmitter refuses carrier/duty cycle: $(cat $scratch/set.err)"
fi
ir-ctl -d $lirc -n -M >/dev/null 2>&1

# An input event (24 bytes on x86-64) of type EV_MSC (4), code MSC_SCAN (4)
# carries the decoded scancode.
scancode_seen() {
  local event
  event=$(ls -d /sys/class/rc/rc0/input*/event* | head -n 1)
  event=/dev/input/$(basename "$event")
  local reader
  timeout 5 dd if="$event" of=$scratch/events bs=24 count=4 iflag=fullblock status=none &
  reader=$!
  sleep 0.3
  ir-ctl -d $lirc -S nec:0x408
  wait $reader
  od -An -v -w24 -tu2 $scratch/events | awk '$9 == 4 && $10 == 4 { printf "0x%x\n", $11 + 65536 * $12 }' >$scratch/scans
  fact "MSC_SCAN values: $(tr '\n' ' ' <$scratch/scans)"
  grep -qx 0x408 $scratch/scans
}
echo nec >/sys/class/rc/rc0/protocols
fact "protocols after enabling nec: $(cat /sys/class/rc/rc0/protocols)"
check "the kernel's NEC decoder reports scancode 0x408" scancode_seen

rm -rf "$scratch"
echo "$failures check(s) failed"
((failures == 0))
