#!/usr/bin/env bash
# The URC's real infrared through the kernel, inside the test virtual machine
# (run as root there, with rc-loopback loaded, whose transmitter feeds its own
# receiver): an original remote's NEC key sent by ir-ctl is captured by
# `urc-sim serve --ir`, and the URC's `urc-sim send` of its stored NEC key is
# read by the kernel's own NEC decoder as the same scancode.
#
# Usage (on the host): tools/vm/run-in-vm.sh tests/vm/ir_loopback.sh [BIN_DIR]
# BIN_DIR (default: build/bin in this tree) holds urc-sim and capture-decode.
# IR_DEVICE overrides /dev/lirc0.
set -uo pipefail

tree=$(cd "$(dirname "$0")/../.." && pwd)
bin=${1:-$tree/build/bin}
dev=${IR_DEVICE:-/dev/lirc0}
work=$(mktemp -d "${TMPDIR:-/tmp}/ir-loopback.XXXXXX")
sock=$work/urc.sock
failures=0
server=

fail() {
  echo "ir_loopback: FAIL: $*" >&2
  failures=$((failures + 1))
}
pass() { echo "ir_loopback: ok: $*"; }

cleanup() {
  [[ -n "$server" ]] && kill "$server" 2>/dev/null && wait "$server" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT

for tool in "$bin/urc-sim" "$bin/capture-decode"; do
  [[ -x "$tool" ]] || { echo "ir_loopback: $tool is not built" >&2; exit 1; }
done
command -v ir-ctl >/dev/null || { echo "ir_loopback: ir-ctl (v4l-utils) is missing" >&2; exit 1; }
[[ -c "$dev" ]] || { echo "ir_loopback: no infrared device $dev (is rc-loopback loaded?)" >&2; exit 1; }
# The rc device the lirc node belongs to: its protocols switch the kernel's decoders.
rc=$(dirname "$(readlink -f "/sys/class/lirc/$(basename "$dev")")")

# One request line on the URC's socket, as the device library sends it.
request() {
  python3 - "$sock" "$1" <<'PY'
import socket, sys
s = socket.socket(socket.AF_UNIX)
s.settimeout(5)
s.connect(sys.argv[1])
s.sendall((sys.argv[2] + "\n").encode())
data = b""
while not data.endswith(b"\n"):
    chunk = s.recv(65536)
    if not chunk:
        break
    data += chunk
print(data.decode().rstrip("\n"))
PY
}

start_server() {
  "$bin/urc-sim" serve --ir "$dev" --socket "$sock" --image "$work/urc.img" --latency-ms 0 \
    2>"$work/serve.log" &
  server=$!
  for _ in $(seq 50); do
    "$bin/urc-sim" status --socket "$sock" >/dev/null 2>&1 && return 0
    sleep 0.1
  done
  cat "$work/serve.log" >&2
  return 1
}

capture_from_ir_ctl() {
  [[ $(request CAPTURE) == OK ]] || { fail "CAPTURE was refused"; return; }
  ir-ctl -d "$dev" -S nec:0x408 || { fail "ir-ctl could not send nec:0x408"; return; }
  local reply=
  for _ in $(seq 30); do
    reply=$(request COLLECT)
    [[ $reply == OK\ * ]] && break
    sleep 0.1
  done
  [[ $reply == OK\ * ]] || { fail "nothing captured from ir-ctl's NEC key ($reply)"; return; }
  local decoded
  decoded=$(printf '%s\n' "${reply#OK }" | "$bin/capture-decode")
  if [[ $decoded == "nec 0x04 0x08" ]]; then
    pass "ir-ctl's nec:0x408 was captured as $decoded"
  else
    fail "ir-ctl's nec:0x408 was captured as '$decoded'"
  fi
  grep -m1 'captured an infrared signal' "$work/serve.log" || true
}

# The kernel's decoded scancodes, read from the lirc node in scancode mode
# (struct lirc_scancode), for `seconds`: "PROTO SCANCODE" lines, rc_proto numbers.
read_scancodes() {
  python3 - "$dev" "$1" "$work/scancodes.ready" <<'PY'
import fcntl, os, select, struct, sys, time
LIRC_SET_REC_MODE, LIRC_MODE_SCANCODE = 0x40046912, 0x8
fd = os.open(sys.argv[1], os.O_RDONLY | os.O_NONBLOCK)
fcntl.ioctl(fd, LIRC_SET_REC_MODE, struct.pack("I", LIRC_MODE_SCANCODE))
open(sys.argv[3], "w").close()
end = time.monotonic() + float(sys.argv[2])
while (left := end - time.monotonic()) > 0:
    if select.select([fd], [], [], left)[0]:
        data = os.read(fd, 24 * 16)
        for i in range(0, len(data) - 23, 24):
            _, _, proto, _, scancode = struct.unpack("QHHIQ", data[i:i + 24])
            print(proto, hex(scancode), flush=True)
PY
}

send_to_kernel_decoder() {
  echo nec >"$rc/protocols" || { fail "cannot enable the kernel's NEC decoder on $rc"; return; }
  read_scancodes 8 >"$work/scancodes.log" 2>&1 &
  local reader=$!
  for _ in $(seq 50); do [[ -e $work/scancodes.ready ]] && break; sleep 0.1; done
  local output
  output=$("$bin/urc-sim" send 00 --socket "$sock" 2>"$work/send.err")
  [[ $output == "nec 0x04 0x08" ]] || fail "send 00 printed '$output'"
  grep -q "transmitted through $dev" "$work/send.err" ||
    fail "send 00 did not transmit: $(cat "$work/send.err")"
  wait "$reader"
  # rc_proto 9 is RC_PROTO_NEC.
  if grep -qx '9 0x408' "$work/scancodes.log"; then
    pass "the URC's key 00 was decoded by the kernel as nec scancode 0x408" \
      "($(sort -u "$work/scancodes.log" | tr '\n' ' '))"
  else
    fail "the kernel did not decode the URC's key 00 as nec 0x408: $(cat "$work/scancodes.log")"
  fi
}

stop_server() {
  kill -TERM "$server"
  local status=0
  wait "$server" || status=$?
  server=
  [[ $status == 0 ]] && grep -q 'urc-sim: stopped' "$work/serve.log" &&
    pass "serve --ir stopped cleanly on SIGTERM" ||
    fail "serve --ir ended with $status on SIGTERM: $(tail -3 "$work/serve.log")"
}

# Without access to the node, the error names the device and the access missing.
refused_without_access() {
  local nobody=65534
  if setpriv --reuid=$nobody --regid=$nobody --clear-groups test -r "$dev"; then
    echo "ir_loopback: skipped: $dev is readable by uid $nobody"
    return
  fi
  chmod 0777 "$work"
  local message
  message=$(setpriv --reuid=$nobody --regid=$nobody --clear-groups \
    "$bin/urc-sim" serve --ir "$dev" --socket "$work/nobody.sock" --image "$work/nobody.img" 2>&1)
  if [[ $message == *"cannot open $dev for receiving: Permission denied"* ]]; then
    pass "without access: $message"
  else
    fail "without access the error was: $message"
  fi
}

start_server || { echo "ir_loopback: urc-sim serve --ir $dev did not start" >&2; exit 1; }
grep 'infrared' "$work/serve.log"
capture_from_ir_ctl
send_to_kernel_decoder
stop_server
refused_without_access

((failures == 0)) && echo "ir_loopback: all passed" || echo "ir_loopback: $failures failed" >&2
exit $((failures > 0))
