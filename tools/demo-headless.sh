#!/usr/bin/env bash
# Without a display: runs the real program on a private X server against a
# private emulated URC, and drives one whole learning cycle from outside as a
# person would (pointer clicks, the original remote's key pressed in front of
# the URC, boxes answered with the keyboard), saving a screenshot of each
# stage. Usage: demo-headless.sh BIN_FOLDER SHOTS_FOLDER
set -euo pipefail

bin=$(cd "$1" && pwd)
shots=$2
mkdir -p "$shots"
shots=$(cd "$shots" && pwd)
rm -f "$shots"/*.png

work=$(mktemp -d /tmp/qzt617-demo.XXXXXX)
export XDG_RUNTIME_DIR="$work/run"
mkdir -m 0700 -p "$XDG_RUNTIME_DIR"
export QZT617_URC_SOCKET="$work/urc.sock"
export QZT617_BOX_LOG="$work/boxes.log"
: >"$QZT617_BOX_LOG"
pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  wait 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

say() { printf '  %s\n' "$*"; }
die() {
  echo "demo failed: $*" >&2
  echo "boxes shown:" >&2
  cat "$QZT617_BOX_LOG" >&2
  exit 1
}
wait_for() { # condition, seconds
  local i
  for ((i = 0; i < ${2:-10} * 20; i++)); do
    eval "$1" >/dev/null 2>&1 && return 0
    sleep 0.05
  done
  return 1
}
shot() { import -window root "$shots/$1.png" && say "screenshot $1.png"; }
boxes() { wc -l <"$QZT617_BOX_LOG"; }
expect_box() { # number, text
  wait_for "[[ \$(boxes) -ge $1 ]]" 15 || die "no box '$2'"
  local seen
  seen=$(sed -n "$1p" "$QZT617_BOX_LOG" | cut -f2-)
  [[ "$seen" == "$2" ]] || die "box $1 says '$seen', expected '$2'"
}

for n in $(seq 90 150); do
  [[ -e /tmp/.X11-unix/X$n || -e /tmp/.X$n-lock ]] && continue
  Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp >"$work/xvfb.log" 2>&1 &
  pids+=($!)
  export DISPLAY=":$n"
  wait_for xdpyinfo 10 && break
done
xdpyinfo >/dev/null 2>&1 || die "no X server"

"$bin/urc-sim" serve --image "$work/urc.img" >"$work/sim.log" 2>&1 &
pids+=($!)
wait_for "'$bin/urc-sim' status" 10 || die "the emulated URC did not start"
say "emulated URC running (factory image)"

"$bin/qzt617" >"$work/app.log" 2>&1 &
app=$!
pids+=($app)
wait_for "xdotool search --onlyvisible --name '^QZT-617\$'" 15 || die "the window never appeared"
window=$(xdotool search --onlyvisible --name '^QZT-617$' | head -n1)
click() { xdotool mousemove --window "$window" "$1" "$2" click 1; sleep 0.4; }
sleep 0.5
shot 01-started

# "Start to learn", then the key TV/MUTE (code 05) on the URC picture.
click 500 654
shot 02-learning-mode
click $((146 + 62 + 15)) $((86 + 8))
shot 03-capturing
say "pressing NEC device 0x04 command 0x08 on the original remote"
"$bin/urc-sim" press nec 0x04 0x08 >/dev/null
expect_box 1 "RC code is received!"
sleep 0.3
shot 04-code-received
xdotool key Return
sleep 0.5
shot 05-key-learned

click 500 654 # "Stop learning"
shot 06-learning-stopped

sent=$("$bin/urc-sim" send 05)
[[ "$sent" == "nec 0x04 0x08" ]] || die "the URC sends '$sent' for TV/MUTE"
"$bin/urc-sim" check >/dev/null || die "the URC's memory is inconsistent"

click $((969 + 25)) $((5 + 21)) # exit
wait_for "! kill -0 $app" 10 || die "the program did not end"

echo
echo "Learned key TV/MUTE (code 05) from NEC device 0x04 command 0x08."
echo "The URC now sends: $sent; its memory checks out."
echo "Screenshots of each stage: $shots"
