# The kernel's side of the infrared loopback, for scripts run in the test
# virtual machine: what rc-loopback's receiver hears while a command runs,
# as the kernel's decoders report it (scancodes) or as raw durations (mode2).
# One reader runs for the whole script, so that no start-up of a reader
# falls between a command and its signal.

LIRC=${IR_DEVICE:-/dev/lirc0}
[[ -c "$LIRC" ]] || fail "no infrared device $LIRC (is rc-loopback loaded?)"
command -v ir-ctl >/dev/null || fail "ir-ctl (v4l-utils) is missing"
command -v python3 >/dev/null || fail "python3 is missing"
# The rc device of the lirc node: its protocols switch the kernel's decoders.
RC_SYSFS=$(dirname "$(readlink -f "/sys/class/lirc/$(basename "$LIRC")")")
HEARD="$E2E_DIR/heard.log"

# Every sample and scancode the receiver reports, one per line, as it comes:
# "scan PROTO 0xSCANCODE", "pulse US", "space US", "timeout US".
start_listening() {
  python3 -u - "$LIRC" >"$HEARD" 2>&1 <<'PY' &
import fcntl, os, select, struct, sys
LIRC_SET_REC_MODE, MODE2, SCANCODE = 0x40046912, 0x4, 0x8
def opened(mode):
    fd = os.open(sys.argv[1], os.O_RDONLY | os.O_NONBLOCK)
    fcntl.ioctl(fd, LIRC_SET_REC_MODE, struct.pack("I", mode))
    return fd
scan, raw = opened(SCANCODE), opened(MODE2)
print("ready")
kinds = {0x01000000: "pulse", 0x00000000: "space", 0x03000000: "timeout"}
while True:
    for fd in select.select([scan, raw], [], [])[0]:
        data = os.read(fd, 24 * 160 if fd == scan else 4096)
        if fd == scan:
            for i in range(0, len(data) - 23, 24):
                _, _, proto, _, code = struct.unpack("QHHIQ", data[i:i + 24])
                print("scan", proto, hex(code))
        else:
            for (v,) in struct.iter_unpack("I", data[: len(data) // 4 * 4]):
                kind = kinds.get(v & 0xFF000000)
                if kind:
                    print(kind, v & 0x00FFFFFF)
PY
  LISTENER_PID=$!
  # The end-to-end clean-up waits for every child: the listener goes first.
  trap 'status=$?; stop_listening; (exit $status); e2e_cleanup' EXIT
  wait_for "grep -q ready '$HEARD'" 20 || fail "the infrared listener did not start: $(cat "$HEARD")"
}

# Runs the command, then prints what was heard meanwhile: the command returns
# once the URC has sent the signal, and the loopback ends each write with a
# timeout sample, so what is heard is complete a moment after the first
# timeout (bash built-ins only: a program start costs much in the machine).
heard_during() {
  local -a lines
  mapfile -t lines <"$HEARD"
  local before=${#lines[@]} i
  "$@" >/dev/null 2>>"$E2E_DIR/heard-commands.log" || return 1
  for ((i = 0; i < 50; i++)); do
    mapfile -t -s "$before" lines <"$HEARD"
    [[ "${lines[*]}" == *timeout* ]] && break
    sleep 0.1
  done
  sleep 0.3
  mapfile -t -s "$before" lines <"$HEARD"
  printf '%s\n' "${lines[@]}"
}

# kernel_decodes PROTOCOLS COMMAND...: "RC-PROTO SCANCODE" when every frame
# the enabled decoders reported during the command was the same one.
kernel_decodes() {
  local protocols=$1
  shift
  echo "$protocols" >"$RC_SYSFS/protocols" || { echo "cannot enable $protocols"; return 1; }
  local heard scans
  heard=$(heard_during "$@") || { echo "the command failed: $(tail -2 "$E2E_DIR/heard-commands.log")"; return 1; }
  scans=$(awk '$1 == "scan" { print $2, $3 }' <<<"$heard" | sort -u)
  if [[ -z "$scans" || $(wc -l <<<"$scans") -ne 1 ]]; then
    echo "decoded: [${scans//$'\n'/; }] from $(grep -c pulse <<<"$heard") pulses: $(tr '\n' ' ' <<<"$heard" | sed 's/pulse /+/g; s/space /-/g')"
    return 1
  fi
  echo "$scans"
}

# kernel_mode2 COMMAND...: the durations heard during the command, as
# "+PULSE -SPACE ..." up to the first timeout or long space.
kernel_mode2() {
  local heard
  heard=$(heard_during "$@") || { echo "the command failed"; return 1; }
  awk '$1 == "pulse" { out = out sep "+" $2; sep = " "; started = 1 }
       $1 == "space" && started { if ($2 > 100000) exit; out = out sep "-" $2 }
       $1 == "timeout" && started { exit }
       END { print out }' <<<"$heard"
}

# compare_durations EXPECTED RECEIVED TOLERANCE-US: the first frame received
# has the expected durations, each within the tolerance.
compare_durations() {
  local -a want got
  read -ra want <<<"$1"
  read -ra got <<<"$2"
  ((${#got[@]} >= ${#want[@]})) || return 1
  local i
  for i in "${!want[@]}"; do
    local w=${want[$i]} g=${got[$i]}
    [[ ${w:0:1} == "${g:0:1}" ]] || return 1
    local d=$((${w:1} - ${g:1}))
    ((d < 0)) && d=$((-d))
    ((d <= $3)) || return 1
  done
}

stop_listening() {
  [[ -n "${LISTENER_PID:-}" ]] && kill "$LISTENER_PID" 2>/dev/null
  LISTENER_PID=
}
