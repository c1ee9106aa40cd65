#!/usr/bin/env bash
# A real URC through the kernel's own USB and infrared stacks, inside the test
# virtual machine: the gadget URC (`urc-sim serve --usb-gadget --ir`) on
# dummy_hcd, reached through hidraw by urc-tool and the window program with no
# socket set; original remotes' keys sent by ir-ctl through rc-loopback and
# learned; the URC's own emission read by the kernel's decoders; the cable
# pulled and put back under the window's link monitor.
#
# Usage (on the host): tools/vm/run-in-vm.sh tests/vm/urc_over_usb.sh BUILD/bin
BIN=${1:-}
source "$(dirname "$0")/../e2e/lib.sh"
source "$(dirname "$0")/lib_kernel_ir.sh"

# No socket is named: the programs must find the URC on USB by themselves. The
# bench commands reach the server's control socket at the default place.
unset QZT617_URC_SOCKET
TOOL="$BIN/urc-tool"
[[ -x "$TOOL" ]] || fail "urc-tool is not built in $BIN"

usb_urc_node() {
  local dev
  for dev in /sys/class/hidraw/hidraw*; do
    [[ -e "$dev" ]] || continue
    local usb
    usb=$(readlink -f "$dev/device/../..")
    [[ $(cat "$usb/idVendor" 2>/dev/null) == 1209 && $(cat "$usb/idProduct" 2>/dev/null) == 0001 ]] &&
      { echo "/dev/${dev##*/}"; return 0; }
  done
  return 1
}

usb_urc_serial() {
  local node
  node=$(usb_urc_node) || return 1
  cat "$(readlink -f "/sys/class/hidraw/${node##*/}/device/../..")/serial"
}

start_sim() {
  "$BIN/urc-sim" serve --usb-gadget --ir "$LIRC" --image "$URC_IMAGE" --latency-ms 0 "$@" \
    >"$E2E_DIR/sim.log" 2>&1 &
  SIM_PID=$!
  wait_for "sim status" 20 || fail "urc-sim did not start: $(cat "$E2E_DIR/sim.log")"
  wait_for usb_urc_node 20 || fail "no hidraw node of the URC appeared: $(cat "$E2E_DIR/sim.log")"
}

tool() { "$TOOL" "$@" 2>>"$E2E_DIR/tool.log"; }

key_holds() { tool list | awk -v k="$1" '$1 == k' | grep -q -- "$2"; }

expect_key_holds() {
  key_holds "$1" "$2" || fail "key $1 does not hold '$2': $(tool list | awk -v k="$1" '$1 == k')"
}

memory_over_usb() {
  local node
  node=$(usb_urc_node)
  tool list >/dev/null || fail "urc-tool list over $node failed: $(tail -3 "$E2E_DIR/tool.log")"
  local started=$SECONDS
  local t0 t1
  t0=$(date +%s%N)
  tool backup "$E2E_DIR/backup.img" --quiet || fail "urc-tool backup failed: $(tail -3 "$E2E_DIR/tool.log")"
  t1=$(date +%s%N)
  echo "    backup of 64 KiB over $node: $(((t1 - t0) / 1000000)) ms"
  cmp -s "$E2E_DIR/backup.img" "$URC_IMAGE" || fail "the backup differs from the URC's image"
  tool set 05 --protocol nec 0x04 0x08 >/dev/null || fail "urc-tool set over USB failed"
  expect_key_holds 05 "nec 0x04 0x08"
  if tool verify "$E2E_DIR/backup.img" --quiet; then fail "verify found no difference after set"; fi
  tool restore "$E2E_DIR/backup.img" --quiet || fail "urc-tool restore over USB failed"
  tool verify "$E2E_DIR/backup.img" --quiet || fail "the URC differs from its backup after restore"
  cmp -s "$E2E_DIR/backup.img" "$URC_IMAGE" || fail "the image differs from the backup after restore"
  ((SECONDS - started < 60)) || fail "the USB round took $((SECONDS - started)) s"
}

learn_from_ir_ctl() {
  local key=$1 sent=$2 holds=$3
  "$TOOL" learn "$key" --timeout 30 >"$E2E_DIR/learn.out" 2>>"$E2E_DIR/tool.log" &
  local learner=$!
  wait_capture_mode 20
  ir-ctl -d "$LIRC" -S "$sent" || fail "ir-ctl could not send $sent"
  wait "$learner" || fail "urc-tool learn $key failed: $(tail -3 "$E2E_DIR/tool.log")"
  expect_key_holds "$key" "$holds"
}

learning_over_usb() {
  learn_from_ir_ctl 06 nec:0x408 "nec 0x04 0x08"
  learn_from_ir_ctl 07 rc5:0x1550 "rc5 0x15 0x50"
  learn_from_ir_ctl 10 sony12:0x010015 "sirc12 0x01 0x15"
}

# KEY FORM DEVICE COMMAND KERNEL-PROTOCOLS RC-PROTO SCANCODE: the scancode the
# kernel's decoder must report for the form's fields, by the protocols' own
# definitions (NEC bytes least significant first; RC5X system, command with
# its field bit, extra data; SIRC20 device, extension, command).
emission_rows() {
  cat <<'ROWS'
11 nec    0x04   0x08   nec   9  0x408
12 necx   0x1234 0x56   nec  10  0x341256
13 nec32  0x1234 0x5678 nec  11  0x12345678
14 rc5    0x05   0x50   rc-5  2  0x550
15 rc5x   0x8A5  0x2A   rc-5  3  0x5452a
16 rc6    0x12   0x34   rc-6 15  0x1234
17 rc6a32 0x1234 0x5678 rc-6 18  0x12345678
20 sirc12 0x01   0x15   sony  6  0x10015
21 sirc15 0x1A   0x15   sony  7  0x1a0015
22 sirc20 0x1234 0x11   sony  8  0x149111
23 jvc    0x12   0x34   jvc   5  0x1234
24 sharp  0x0B   0x5A   sharp 20 0xb5a
ROWS
}

emission_decoded_by_the_kernel() {
  local key form device command protocols proto scancode
  while read -r key form device command protocols proto scancode; do
    local t0=$(date +%s%N)
    tool set "$key" --protocol "$form" "$device" "$command" >/dev/null ||
      fail "urc-tool set $key --protocol $form $device $command failed"
    local t1=$(date +%s%N) got
    got=$(kernel_decodes "$protocols" "$BIN/urc-sim" send "$key") ||
      fail "$form $device $command: $got"
    [[ "$got" == "$proto $scancode" ]] ||
      fail "$form $device $command was decoded by the kernel as '$got', expected '$proto $scancode'"
    echo "    $form $device $command: rc_proto $proto scancode $scancode (set $(((t1 - t0) / 1000000)) ms, sent and heard $((($(date +%s%N) - t1) / 1000000)) ms)"
  done <<<"$(emission_rows)"
}

# A signal of no known form, learned from ir-ctl's raw sending and sent back
# by the URC: every duration within the URC's resolution.
raw_code_replayed() {
  local signal="+3000 -1000 +500 -1500 +500 -500 +1500 -500 +700 -2100 +500"
  # ir-ctl's file format: one "pulse US" or "space US" per line.
  printf '%s\n' $signal | sed 's/^+/pulse /; s/^-/space /' >"$E2E_DIR/raw.txt"
  "$TOOL" learn 25 --timeout 30 >/dev/null 2>>"$E2E_DIR/tool.log" &
  local learner=$!
  wait_capture_mode 20
  ir-ctl -d "$LIRC" --carrier=38000 -s "$E2E_DIR/raw.txt" || fail "ir-ctl could not send the raw signal"
  wait "$learner" || fail "urc-tool learn 25 of a raw signal failed: $(tail -3 "$E2E_DIR/tool.log")"
  expect_key_holds 25 "raw"
  local received
  received=$(kernel_mode2 "$BIN/urc-sim" send 25) || fail "no mode2 samples: $received"
  compare_durations "$signal" "$received" 60 || fail "the replayed raw code is off: $received"
}

window_learns_and_watches_the_link() {
  start_xvfb
  start_app_and_wait
  click_learn
  choose_key_for_learning 26
  ir-ctl -d "$LIRC" -S rc6_0:0x1234 || fail "ir-ctl could not send rc6_0:0x1234"
  expect_box_and_answer "$RECEIVED" Return information
  click_learn
  expect_sent 26 "rc6 0x12 0x34"
  # The cable pulled: the gadget unbound, the hidraw node gone.
  local serial
  serial=$(usb_urc_serial)
  sim unplug >/dev/null
  wait_for "! usb_urc_node" 5 || fail "the hidraw node stayed after unplug"
  expect_box "$NO_URC"
  wait_panel_hidden
  sim plug >/dev/null
  wait_for usb_urc_node 10 || fail "the URC did not come back on USB"
  [[ $(usb_urc_serial) == "$serial" ]] || fail "the URC came back with another serial"
  answer_box Return
  wait_panel_shown
  # Another URC's identity behind the same cable ends the program.
  local identity
  identity=$(mem_hex $((0xB000)) 15)
  sim unplug >/dev/null
  expect_box "$NO_URC"
  wait_panel_hidden
  sim identity "${identity:0:29}$(printf '%X' $(((16#${identity:29:1} + 1) % 16)))" >/dev/null
  sim plug >/dev/null
  wait_for usb_urc_node 10 || fail "the URC did not come back on USB"
  answer_box Return
  wait_app_exit 10
}

start_listening
begin_with_fresh_urc
scenario memory_over_usb
scenario learning_over_usb
scenario emission_decoded_by_the_kernel
scenario raw_code_replayed
scenario window_learns_and_watches_the_link
check_memory
stop_sim
wait_for "! usb_urc_node" 5 || fail "the gadget stayed after the server ended"
stop_listening
finish
