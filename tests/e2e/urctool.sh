#!/usr/bin/env bash
# urc-tool beside the window program: a backup survives learning and deleting
# in the window, keys set from the command line are byte for byte what
# learning the same signals gives, and writing is refused while the window
# runs (reading is not).
# Usage: urctool.sh FOLDER-OF-THE-BUILT-PROGRAMS
BIN=${1:-}
source "$(dirname "$0")/lib.sh"
[[ -x "$BIN/urc-tool" ]] || fail "urc-tool is not in $BIN"

RAW_SIGNAL="raw 38000 +3500 -1750 +500 -400 +500 -1300 +500 -400 +500 -1300 +500 -1300 +500"
RAW_FILE="$E2E_DIR/raw-remote.txt"
echo "$RAW_SIGNAL" >"$RAW_FILE"

tool() { "$BIN/urc-tool" "$@"; }

# expect_status N COMMAND...: the command ends with status N.
expect_status() {
  local want=$1 got=0
  shift
  "$@" >"$E2E_DIR/tool.out" 2>&1 || got=$?
  ((got == want)) || fail "$* ended with $got, expected $want: $(cat "$E2E_DIR/tool.out")"
}

restore_after_window_changes() {
  begin_with_fresh_urc
  tool set 05 --protocol nec 4 8 >/dev/null || fail "set before the window ran"
  tool backup "$E2E_DIR/before.img" --quiet || fail "backup failed"
  start_app_and_wait
  # Reading works alongside the window; writing does not.
  tool list >/dev/null || fail "list failed while the window runs"
  tool verify "$E2E_DIR/before.img" --quiet >/dev/null || fail "verify failed while the window runs"
  expect_status 1 tool set 06 --protocol nec 1 2
  grep -q "is owned by qzt617 (pid $APP_PID)" "$E2E_DIR/tool.out" || fail "set: $(cat "$E2E_DIR/tool.out")"
  expect_status 1 tool clear 05
  expect_status 1 tool restore "$E2E_DIR/before.img"
  click_learn
  learn_key 07 --raw "$RAW_FILE"
  learn_key 10 rc5 0x00 0x10
  click_learn
  click_delete
  click_key 05
  expect_box_and_answer "$SURE_DELETE" Return confirmation
  expect_box_and_answer "$DELETED" Return information
  close_app
  expect_status 1 tool verify "$E2E_DIR/before.img" --quiet
  tool restore "$E2E_DIR/before.img" --quiet >/dev/null || fail "restore failed"
  check_memory
  tool verify "$E2E_DIR/before.img" --quiet >/dev/null || fail "the restored URC differs"
  expect_sent 05 "nec 0x04 0x08"
  expect_no_code 07
  end_with_fresh_start
}

# Learning in the window and urc-tool set, each from a factory URC, leave the
# same memory; so do deleting and clear.
set_equals_learning() {
  begin_with_fresh_urc
  start_app_and_wait
  click_learn
  learn_key 05 nec 0x04 0x08
  learn_key 06 --raw "$RAW_FILE"
  learn_key 07 sirc15 0x12 0x34
  click_learn
  click_delete
  click_key 07
  expect_box_and_answer "$SURE_DELETE" Return confirmation
  expect_box_and_answer "$DELETED" Return information
  close_app
  local learned
  learned=$(memory_digest)
  begin_with_fresh_urc
  tool set TV/MUTE --protocol nec 4 8 >/dev/null || fail "set 05"
  tool set 06 --raw "$RAW_SIGNAL" >/dev/null || fail "set 06"
  tool set tv/p+ --protocol sirc15 0x12 0x34 >/dev/null || fail "set 07"
  tool clear 07 >/dev/null || fail "clear 07"
  [[ "$(memory_digest)" == "$learned" ]] || fail "set and clear left other memory than learning"
  check_memory
}

start_xvfb
scenario restore_after_window_changes
scenario set_equals_learning
finish
