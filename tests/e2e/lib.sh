# Helpers for end-to-end runs: a private X server, a private emulated URC, the
# real program, and ways to drive and watch them from outside.
# Source this file; set BIN to the folder holding qzt617 and urc-sim.
set -euo pipefail

E2E_DIR=$(mktemp -d /tmp/qzt617-e2e.XXXXXX)
export XDG_RUNTIME_DIR="$E2E_DIR/run"
mkdir -m 0700 -p "$XDG_RUNTIME_DIR"
export QZT617_URC_SOCKET="$E2E_DIR/urc.sock"
export QZT617_BOX_LOG="$E2E_DIR/boxes.log"
: >"$QZT617_BOX_LOG"
SIM_PID=
APP_PID=
XVFB_PID=

e2e_cleanup() {
  [[ -n "$APP_PID" ]] && kill "$APP_PID" 2>/dev/null || true
  [[ -n "$SIM_PID" ]] && kill "$SIM_PID" 2>/dev/null || true
  [[ -n "$XVFB_PID" ]] && kill "$XVFB_PID" 2>/dev/null || true
  wait 2>/dev/null || true
  rm -rf "$E2E_DIR"
}
trap e2e_cleanup EXIT

fail() {
  echo "FAIL: $*" >&2
  echo "--- boxes shown:" >&2
  cat "$QZT617_BOX_LOG" >&2 || true
  exit 1
}

# Waits up to $2 seconds (default 10) for the command in $1 to succeed.
wait_for() {
  local what=$1 limit=${2:-10} i
  for ((i = 0; i < limit * 20; i++)); do
    eval "$what" >/dev/null 2>&1 && return 0
    sleep 0.05
  done
  return 1
}

start_xvfb() {
  local n
  for n in $(seq 90 140); do
    [[ -e /tmp/.X11-unix/X$n || -e /tmp/.X$n-lock ]] && continue
    Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp >"$E2E_DIR/xvfb.log" 2>&1 &
    XVFB_PID=$!
    export DISPLAY=":$n"
    wait_for "xdpyinfo" 10 && return 0
    kill "$XVFB_PID" 2>/dev/null || true
  done
  fail "no X server could be started"
}

# start_sim [serve options...]
start_sim() {
  "$BIN/urc-sim" serve --image "$E2E_DIR/urc.img" --socket "$QZT617_URC_SOCKET" "$@" \
    >"$E2E_DIR/sim.log" 2>&1 &
  SIM_PID=$!
  wait_for "'$BIN/urc-sim' status" 10 || fail "urc-sim did not start: $(cat "$E2E_DIR/sim.log")"
}

stop_sim() {
  kill "$SIM_PID" 2>/dev/null || true
  wait "$SIM_PID" 2>/dev/null || true
  SIM_PID=
}

sim() { "$BIN/urc-sim" "$@"; }

start_app() {
  "$BIN/qzt617" >"$E2E_DIR/app.log" 2>&1 &
  APP_PID=$!
}

app_running() { [[ -n "$APP_PID" ]] && kill -0 "$APP_PID" 2>/dev/null; }

# Waits for the program to end by itself; fails when it does not within $1 s.
wait_app_exit() {
  local limit=${1:-10}
  wait_for "! kill -0 $APP_PID" "$limit" || fail "the program did not end"
  wait "$APP_PID" 2>/dev/null || true
  APP_PID=
}

box_count() { wc -l <"$QZT617_BOX_LOG"; }

# Waits until box number $1 (counting from 1) has been shown, and checks that
# its text is $2.
expect_box() {
  local number=$1 text=$2
  wait_for "[[ \$(box_count) -ge $number ]]" 15 || fail "box $number ($text) never appeared"
  local shown
  shown=$(sed -n "${number}p" "$QZT617_BOX_LOG" | cut -f2-)
  [[ "$shown" == "$text" ]] || fail "box $number: expected '$text', saw '$shown'"
}

# Main window of the program, once it is mapped.
main_window() { xdotool search --onlyvisible --name '^QZT-617$' 2>/dev/null | head -n1; }

# Presses a key in the box that has the keyboard (Return = its default
# button, Escape = its cancelling one), as a person at the keyboard would.
answer_box() {
  sleep 0.3
  xdotool key "$1"
}

# Clicks at window-relative coordinates of the main window.
click_at() {
  local window
  window=$(main_window)
  [[ -n "$window" ]] || fail "main window not visible"
  xdotool mousemove --window "$window" "$1" "$2" click 1
}
