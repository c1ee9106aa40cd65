# Helpers for end-to-end runs: a private X server, a private emulated URC, the
# real program, and ways to drive and watch them from outside, as a person at
# the screen would (pointer, keyboard, the URC's bench commands).
#
# Source this file with BIN set to the folder holding qzt617 and urc-sim.
# Each script that sources it gets its own temporary folder, X display and URC
# socket, so several scripts may run at the same time.
set -euo pipefail

[[ -n "${BIN:-}" && -x "$BIN/qzt617" && -x "$BIN/urc-sim" ]] ||
  { echo "usage: $0 FOLDER-WITH-qzt617-AND-urc-sim" >&2; exit 2; }
for tool in Xvfb xdotool import convert od awk; do
  command -v "$tool" >/dev/null || { echo "FAIL: $tool is not installed" >&2; exit 1; }
done

E2E_LIB_DIR=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
E2E_DIR=$(mktemp -d /tmp/qzt617-e2e.XXXXXX)
export XDG_RUNTIME_DIR="$E2E_DIR/run"
mkdir -m 0700 -p "$XDG_RUNTIME_DIR"
export QZT617_URC_SOCKET="$E2E_DIR/urc.sock"
export QZT617_BOX_LOG="$E2E_DIR/boxes.log"
: >"$QZT617_BOX_LOG"
URC_IMAGE="$E2E_DIR/urc.img"
SIM_PID=
APP_PID=
APP_STATUS=
MAIN_WINDOW=
WINDOW_ORIGIN=
XVFB_PID=
SCENARIO=
SCENARIO_START=
SCRIPT_START=$SECONDS
BOXES_SEEN=0

e2e_cleanup() {
  local status=$?
  [[ -n "$APP_PID" ]] && kill "$APP_PID" 2>/dev/null || true
  [[ -n "$SIM_PID" ]] && kill "$SIM_PID" 2>/dev/null || true
  [[ -n "$XVFB_PID" ]] && kill "$XVFB_PID" 2>/dev/null || true
  wait 2>/dev/null || true
  if ((status != 0)) && [[ -n "${E2E_KEEP:-}" ]]; then
    echo "the run's files are kept in $E2E_DIR" >&2
  else
    rm -rf "$E2E_DIR"
  fi
}
trap e2e_cleanup EXIT

fail() {
  echo "FAIL${SCENARIO:+ in scenario '$SCENARIO'}: $*" >&2
  echo "--- boxes shown:" >&2
  cat "$QZT617_BOX_LOG" >&2 || true
  echo "--- program output:" >&2
  tail -n 20 "$E2E_DIR/app.log" >&2 2>/dev/null || true
  if [[ -n "$XVFB_PID" ]] && ! kill -0 "$XVFB_PID" 2>/dev/null; then
    echo "(the X server on $DISPLAY had ended: $(tail -n 3 "$E2E_DIR/xvfb.log"))" >&2
  elif [[ -n "$XVFB_PID" ]] && import -window root "$E2E_DIR/failure.png" 2>/dev/null; then
    echo "(screen at the failure: $E2E_DIR/failure.png; set E2E_KEEP=1 to keep it)" >&2
  fi
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

# A short pause for the program to finish reacting to something that leaves
# no trace outside (a repaint); never used to wait for a condition.
settle() { sleep "${1:-0.3}"; }

# --- scenarios ---------------------------------------------------------------

# Runs the function named $1 as one scenario, with its name and duration.
scenario() {
  SCENARIO=$1
  SCENARIO_START=$SECONDS
  echo "--- $SCENARIO"
  "$@"
  echo "    ok ($((SECONDS - SCENARIO_START)) s)"
  SCENARIO=
}

finish() {
  echo "all scenarios passed in $((SECONDS - SCRIPT_START)) s"
}

# --- X server ----------------------------------------------------------------

# A display number is drawn from a high range that desktop sessions and fixed
# test displays leave alone; the server's lock file must name our own Xvfb,
# so two runs that draw the same number at once never share a server.
start_xvfb() {
  local attempt number
  for attempt in $(seq 1 20); do
    number=$((300 + RANDOM % 600))
    [[ -e "/tmp/.X$number-lock" || -e "/tmp/.X11-unix/X$number" ]] && continue
    # -noreset: the server must not reset (and briefly refuse clients) each
    # time the program, its last client, ends between two starts.
    Xvfb ":$number" -screen 0 1280x1024x24 -nolisten tcp -noreset >"$E2E_DIR/xvfb.log" 2>&1 &
    XVFB_PID=$!
    export DISPLAY=":$number"
    if wait_for "! kill -0 $XVFB_PID || { [[ \$(tr -d ' ' </tmp/.X$number-lock) == $XVFB_PID ]] &&
        xdotool getdisplaygeometry; }" 10 && kill -0 "$XVFB_PID" 2>/dev/null; then
      return 0
    fi
    kill "$XVFB_PID" 2>/dev/null || true
    wait "$XVFB_PID" 2>/dev/null || true
    XVFB_PID=
  done
  fail "no X server could be started: $(cat "$E2E_DIR/xvfb.log")"
}

# --- the emulated URC --------------------------------------------------------

sim() { "$BIN/urc-sim" "$@"; }

# start_sim [serve options...]: the URC on the private socket and image; the
# image persists across restarts until fresh_image removes it.
start_sim() {
  "$BIN/urc-sim" serve --image "$URC_IMAGE" --socket "$QZT617_URC_SOCKET" "$@" \
    >"$E2E_DIR/sim.log" 2>&1 &
  SIM_PID=$!
  wait_for "sim status" 10 || fail "urc-sim did not start: $(cat "$E2E_DIR/sim.log")"
}

stop_sim() {
  [[ -n "$SIM_PID" ]] || return 0
  kill "$SIM_PID" 2>/dev/null || true
  wait "$SIM_PID" 2>/dev/null || true
  SIM_PID=
}

# The next start_sim begins with a factory image.
fresh_image() { rm -f "$URC_IMAGE"; }

sim_status_field() { sim status | sed -n "s/^$1: //p"; }

wait_capture_mode() {
  wait_for "[[ \$(sim_status_field 'capture mode') == on ]]" "${1:-10}" ||
    fail "the URC was never put into capture mode"
}

# The URC's memory invariants must hold after every scenario.
check_memory() {
  local out
  out=$(sim check 2>&1) || fail "urc-sim check: $out"
}

memory_digest() { sim dump 0000 10000 | md5sum | cut -d' ' -f1; }

# --- the program -------------------------------------------------------------

# start_app [ARGS...]: the program with these arguments (Qt's own options).
start_app() {
  "$BIN/qzt617" "$@" >>"$E2E_DIR/app.log" 2>&1 &
  APP_PID=$!
  APP_STATUS=
  MAIN_WINDOW=
  WINDOW_ORIGIN=
}

app_running() { [[ -n "$APP_PID" ]] && kill -0 "$APP_PID" 2>/dev/null; }

# Waits for the program to end by itself within $1 s (default 5), and checks
# that it ended normally (status 0, no crash).
wait_app_exit() {
  local limit=${1:-5}
  [[ -n "$APP_PID" ]] || fail "no program was started"
  wait_for "! kill -0 $APP_PID" "$limit" || fail "the program did not end within $limit s"
  APP_STATUS=0
  wait "$APP_PID" 2>/dev/null || APP_STATUS=$?
  APP_PID=
  ((APP_STATUS == 0)) || fail "the program ended with status $APP_STATUS"
  [[ ! -e "$XDG_RUNTIME_DIR/qzt617/888.swf" ]] ||
    fail "the animation file was left behind after the program ended"
}

expect_app_running() {
  settle "${1:-0.5}"
  app_running || fail "the program ended when it should have stayed"
}

# The main window: the visible top-level window titled QZT-617 that is at
# least as large as the layout (message boxes share the title, not the size).
main_window() {
  local w width
  for w in $(xdotool search --onlyvisible --name '^QZT-617$' 2>/dev/null); do
    width=$(xdotool getwindowgeometry --shell "$w" 2>/dev/null | sed -n 's/^WIDTH=//p')
    [[ -n "$width" ]] && ((width >= 1000)) && { echo "$w"; return 0; }
  done
  return 1
}

# Waits for the main window and notes its id and place (the frameless window
# stays where it opened) in MAIN_WINDOW and WINDOW_ORIGIN.
wait_main_window() {
  wait_for "main_window" "${1:-15}" || fail "the main window never appeared"
  MAIN_WINDOW=$(main_window)
  WINDOW_ORIGIN=$(xdotool getwindowgeometry --shell "$MAIN_WINDOW" |
    sed -n 's/^[XY]=//p' | paste -sd' ')
  settle 0.5 # its first paint
}

# Screen position of the main window's top-left corner, as "X Y".
window_origin() {
  [[ -n "$WINDOW_ORIGIN" ]] || fail "the main window has not been seen"
  echo "$WINDOW_ORIGIN"
}

# Starts the program against a good URC and waits for its window.
start_app_and_wait() {
  start_app
  wait_main_window
}

# Closes the program with its exit button and waits for it to end.
close_app() {
  click_exit
  wait_app_exit 5
}

source "$E2E_LIB_DIR/lib_boxes.sh"
source "$E2E_LIB_DIR/lib_pointer.sh"
source "$E2E_LIB_DIR/lib_screen.sh"
source "$E2E_LIB_DIR/lib_memory.sh"

# --- scenario frame ----------------------------------------------------------

# Every scenario begins with a factory URC (serve options may pick a profile)
# and no program running.
begin_with_fresh_urc() {
  [[ -z "$APP_PID" ]] || fail "a program from the last scenario is still running"
  stop_sim
  fresh_image
  start_sim "$@"
  BOXES_SEEN=$(box_count)
}

# After a scenario: the URC's memory is consistent, and a fresh start of the
# program shows exactly the keys the memory says are learned.
end_with_fresh_start() {
  [[ -z "$APP_PID" ]] || fail "the scenario left the program running"
  check_memory
  start_app_and_wait
  expect_no_new_box 0.2
  expect_screen_matches_memory
  close_app
  check_memory
}
