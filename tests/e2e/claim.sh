#!/usr/bin/env bash
# One owner of the URC at a time. A window started during a restore waits for
# it and reads what the restore left, so learning afterwards keeps the memory
# consistent; of two urc-tool writers started together one writes and the
# other is refused naming it (or waits with --wait); a second window, another
# runtime folder or another spelling of the socket meet the same claim. The
# races run a few rounds each (CLAIM_ROUNDS, default 3).
# Usage: claim.sh FOLDER-OF-THE-BUILT-PROGRAMS
BIN=${1:-}
source "$(dirname "$0")/lib.sh"
[[ -x "$BIN/urc-tool" ]] || fail "urc-tool is not in $BIN"
ROUNDS=${CLAIM_ROUNDS:-3}

RAW_FILE="$E2E_DIR/raw-remote.txt"
echo "raw 38000 +3500 -1750 +500 -400 +500 -1300 +500 -400 +500 -1300 +500" >"$RAW_FILE"

tool() { "$BIN/urc-tool" "$@"; }
# (A writer in the background is started directly, so that $! is its pid.)

# raw PAIRS STEPS: a raw signal of a header, PAIRS mark-space pairs whose
# spaces take STEPS lengths, and a last mark.
raw() {
  local i text="raw 38000 +3500 -1750"
  for ((i = 0; i < $1; i++)); do text+=" +500 -$((400 + 90 * (i % $2)))"; done
  echo "$text +500"
}

# holds KEY DURATIONS: urc-tool list shows KEY learned with a raw code of
# that many durations (the capture adds the final gap: 2 x PAIRS + 4).
holds() {
  tool list | grep -q "^$1 .* learned *raw 38000 Hz, $2 durations" ||
    fail "key $1 does not hold its $2 durations: $(tool list | grep "^$1 ")"
}

# The restore of the issue: three raw codes put back over a URC that holds
# other raw codes in the same blocks (about a second at 3 ms a transfer).
make_backup() {
  begin_with_fresh_urc
  tool set 35 --raw "$(raw 59 7)" >/dev/null
  tool set 05 --raw "$(raw 40 3)" >/dev/null
  tool set 06 --raw "$(raw 30 5)" >/dev/null
  tool backup "$E2E_DIR/B.img" --quiet || fail "backup failed"
}

window_started_during_a_restore() {
  local round=0 restore waited=0
  make_backup
  # A loaded machine may start the window after the restore has ended: more
  # rounds then, up to twice as many.
  while ((round < ROUNDS || (waited == 0 && round < 2 * ROUNDS))); do
    round=$((round + 1))
    begin_with_fresh_urc
    tool set 06 --raw "$(raw 36 4)" >/dev/null
    tool set 11 --raw "$(raw 20 6)" >/dev/null
    tool set 05 --protocol rc5 3 4 >/dev/null
    sim latency 3 >/dev/null
    : >"$E2E_DIR/app.log"
    "$BIN/urc-tool" restore "$E2E_DIR/B.img" --quiet >"$E2E_DIR/restore.out" 2>&1 &
    restore=$!
    sleep 0.05
    start_app
    wait "$restore" || fail "the restore beside a starting window: $(cat "$E2E_DIR/restore.out")"
    wait_main_window
    grep -q "owned by urc-tool restore (pid $restore); waiting up to 5 seconds" "$E2E_DIR/app.log" &&
      waited=$((waited + 1))
    expect_no_new_box 0.1
    click_learn
    learn_key 10 --raw "$RAW_FILE"
    click_learn
    close_app
    sim latency 0 >/dev/null
    check_memory
    holds 35 122
    holds 06 64
  done
  expect_screen_matches_memory_after_restart
  ((waited > 0)) || fail "the window never started while the restore ran: $(cat "$E2E_DIR/app.log")"
  echo "    the window waited for the restore in $waited of $round rounds"
}

expect_screen_matches_memory_after_restart() {
  start_app_and_wait
  expect_no_new_box 0.2
  expect_screen_matches_memory
  close_app
}

# Two writers 20 ms apart: the second is refused, naming the first, or (when
# the first was already done) writes after it; with --wait it waits.
two_writers_at_once() {
  local round first status refused=0 waited=0
  for round in $(seq "$ROUNDS"); do
    begin_with_fresh_urc
    sim latency 3 >/dev/null
    "$BIN/urc-tool" set CBL/MENU --raw "$(raw 59 7)" >"$E2E_DIR/first.out" 2>&1 &
    first=$!
    sleep 0.02
    status=0
    tool set CBL/INFO --raw "$(raw 49 5)" >"$E2E_DIR/second.out" 2>&1 || status=$?
    wait "$first" || fail "the first writer: $(cat "$E2E_DIR/first.out")"
    sim latency 0 >/dev/null
    check_memory
    holds 35 122
    if ((status == 1)); then
      grep -q "is owned by urc-tool set (pid $first); nothing was written" "$E2E_DIR/second.out" ||
        fail "the refusal does not name the first writer: $(cat "$E2E_DIR/second.out")"
      tool list | grep -q "^36 .* no code" || fail "the refused writer wrote key 36"
      refused=$((refused + 1))
    else
      ((status == 0)) || fail "the second writer ended with $status: $(cat "$E2E_DIR/second.out")"
      holds 36 102
    fi

    sim latency 3 >/dev/null
    "$BIN/urc-tool" set CBL/MENU --raw "$(raw 49 5)" >"$E2E_DIR/first.out" 2>&1 &
    first=$!
    sleep 0.02
    tool set CBL/INFO --raw "$(raw 59 7)" --wait 20 >"$E2E_DIR/second.out" 2>&1 ||
      fail "the waiting writer: $(cat "$E2E_DIR/second.out")"
    wait "$first" || fail "the first writer: $(cat "$E2E_DIR/first.out")"
    grep -q "owned by urc-tool set (pid $first); waiting for it" "$E2E_DIR/second.out" &&
      waited=$((waited + 1))
    sim latency 0 >/dev/null
    check_memory
    holds 35 102
    holds 36 122
  done
  ((refused > 0 && waited > 0)) || fail "the writers never met ($refused refused, $waited waited)"
  echo "    of $ROUNDS second writers $refused were refused and $waited waited"
}

# The window owns the URC whatever runtime folder or spelling of the socket
# another program uses; a second window finds no URC at once (a window does
# not let go as a urc-tool command does).
one_claim_per_urc() {
  local second status=0
  begin_with_fresh_urc
  start_app_and_wait
  mkdir -m 0700 "$E2E_DIR/run2"
  ln -s "$E2E_DIR" "$E2E_DIR/linked"
  XDG_RUNTIME_DIR="$E2E_DIR/run2" tool set 06 --protocol nec 1 2 >"$E2E_DIR/tool.out" 2>&1 &&
    fail "set went ahead from another runtime folder"
  grep -q "owned by qzt617 (pid $APP_PID)" "$E2E_DIR/tool.out" || fail "set: $(cat "$E2E_DIR/tool.out")"
  QZT617_URC_SOCKET="$E2E_DIR/linked/urc.sock" tool clear 05 >"$E2E_DIR/tool.out" 2>&1 &&
    fail "clear went ahead through a link to the socket"
  grep -q "owned by qzt617 (pid $APP_PID)" "$E2E_DIR/tool.out" || fail "clear: $(cat "$E2E_DIR/tool.out")"
  XDG_RUNTIME_DIR="$E2E_DIR/run2" tool list >/dev/null || fail "list beside the window failed"

  "$BIN/qzt617" >"$E2E_DIR/app2.log" 2>&1 &
  second=$!
  expect_box "$NO_URC" confirmation
  answer_box Escape
  wait "$second" || status=$?
  ((status == 0)) || fail "the second window ended with $status"
  grep -q "owned by qzt617 (pid $APP_PID); the URC cannot be read" "$E2E_DIR/app2.log" ||
    fail "the second window did not say why: $(cat "$E2E_DIR/app2.log")"
  app_running || fail "the first window ended"
  close_app
  check_memory
}

start_xvfb
scenario window_started_during_a_restore
scenario two_writers_at_once
scenario one_claim_per_urc
finish
