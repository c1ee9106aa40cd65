#!/usr/bin/env bash
# Deleting learned keys one at a time (delete mode) and clearing them all,
# proven afterwards with `urc-sim send`.
# Usage: deleting.sh FOLDER-OF-THE-BUILT-PROGRAMS
BIN=${1:-}
source "$(dirname "$0")/lib.sh"

RAW_SIGNAL="raw 36000 +4000 -2000 +600 -500 +600 -1500 +600 -1500 +600 -500 +600 -500 +600 -1500 +600 -500 +600 -1500 +600"
RAW_FILE="$E2E_DIR/raw-remote.txt"
echo "$RAW_SIGNAL" >"$RAW_FILE"

NEVER_LEARNED="This button is never done for learning before!"

# The factory URC's keys with codes from elsewhere stay as they are.
expect_preset_keys_kept() {
  local code
  for code in 00 17 85; do
    sim send "$code" >/dev/null 2>&1 || fail "key $code lost its code from elsewhere"
  done
  expect_keys_look "00 1
17 1
85 1"
}

delete_keys_one_by_one() {
  begin_with_fresh_urc
  start_app_and_wait
  click_learn
  learn_key 05 nec 0x04 0x08
  learn_key 10 --raw "$RAW_FILE"
  # Deleting is refused while learning, learning while deleting.
  click_delete
  expect_box_and_answer "It is learning now! Please click on Stop learning for other operations!" Return
  click_learn
  click_delete
  click_learn
  expect_box_and_answer "It is deleting now! Please stop deleting first if you want to stop to learn！" Return
  local before
  before=$(memory_digest)
  click_update
  expect_box_and_answer "It is deleting now! Please quit deleting mode before updating" Return information
  # A key with a code from elsewhere, or none, cannot be deleted.
  click_key 00
  expect_box_and_answer "$NEVER_LEARNED" Return information
  click_key 06
  expect_box_and_answer "$NEVER_LEARNED" Return information
  # No keeps the code.
  click_key 05
  expect_box_and_answer "$SURE_DELETE" Escape confirmation
  [[ "$(memory_digest)" == "$before" ]] || fail "refused deletions changed the URC"
  expect_key_look 05 2
  # Yes deletes it; delete mode stays on while learned keys remain.
  click_key 05
  expect_box_and_answer "$SURE_DELETE" Return confirmation
  expect_box_and_answer "$DELETED" Return information
  expect_key_look 05 0
  expect_no_code 05
  sim send 10 >/dev/null || fail "key 10 lost its code"
  click_key 10
  expect_box_and_answer "$SURE_DELETE" Return confirmation
  expect_box_and_answer "$DELETED" Return information
  expect_key_look 10 0
  expect_no_code 10
  # The last learned key gone, delete mode is off: a click asks for learning.
  click_key 06
  expect_box_and_answer "Please click on Start to learn first!" Return information
  expect_preset_keys_kept
  close_app
  end_with_fresh_start
}

clear_all_keys() {
  begin_with_fresh_urc
  start_app_and_wait
  # Nothing learned yet: the Clear button is greyed and does nothing.
  click_clear
  expect_no_new_box 0.5
  click_learn
  learn_key 05 nec 0x04 0x08
  learn_key 06 rc5 0x01 0x22
  learn_key 10 --raw "$RAW_FILE"
  click_clear
  expect_box_and_answer "It is learning now! Please click on Stop Learning for other operations!" Return
  click_learn
  click_delete
  click_clear
  expect_box_and_answer "It is on deleting mode! Please click on Stop Deleting first for other operations!" Return
  click_delete
  local before
  before=$(memory_digest)
  click_clear
  expect_box_and_answer "$SURE_CLEAR" Escape information
  [[ "$(memory_digest)" == "$before" ]] || fail "answering No to clearing changed the URC"
  click_clear
  expect_box_and_answer "$SURE_CLEAR" Return information
  expect_box_and_answer "$CLEARED" Return information
  expect_keys_look "05 0
06 0
10 0"
  expect_no_code 05
  expect_no_code 06
  expect_no_code 10
  expect_preset_keys_kept
  # Nothing left to clear: the button is greyed again.
  click_clear
  expect_no_new_box 0.5
  close_app
  end_with_fresh_start
}

start_xvfb
scenario delete_keys_one_by_one
scenario clear_all_keys
finish
