#!/usr/bin/env bash
# The URC failing at the worst moments (`urc-sim fail`): a read at start-up, the
# capture mode refused, a write while learning or deleting. Whatever fails,
# what the window shows and what the URC holds must agree afterwards.
# Usage: faults.sh FOLDER-OF-THE-BUILT-PROGRAMS
BIN=${1:-}
source "$(dirname "$0")/lib.sh"

RAW_SIGNAL="raw 38000 +3000 -3000 +450 -450 +450 -1350 +450 -450 +450 -1350 +450 -1350 +450 -450 +450 -450 +450 -1350 +450"
RAW_FILE="$E2E_DIR/raw-remote.txt"
echo "$RAW_SIGNAL" >"$RAW_FILE"

# The program reads, in order: the identity, the layout, the header, the
# key-code list, the key records, the allocation area and the code-identifier
# table.
START_UP_READS=(identity layout header key-code-list key-records allocation-area code-identifiers)

# failed_read_at_start_up K: the first K reads succeed and the next one fails;
# the user is told no URC is found, the program ends by itself, and the URC is
# left as it was.
failed_read_at_start_up() {
  local after=$1 before
  echo "    read $((after + 1)) fails (${START_UP_READS[after]})"
  begin_with_fresh_urc
  before=$(memory_digest)
  sim fail reads 1 --after "$after" >/dev/null
  start_app
  expect_box_and_answer "$NO_URC" Return information
  wait_app_exit 5
  expect_no_new_box 0.1
  [[ "$(sim_status_field faults)" == "reads 0, writes 0, capture 0" ]] ||
    fail "the start-up did not reach read $((after + 1)) (${START_UP_READS[after]})"
  [[ "$(memory_digest)" == "$before" ]] || fail "a failed start changed the URC"
  end_with_fresh_start
}

capture_mode_refused() {
  begin_with_fresh_urc
  start_app_and_wait
  click_learn
  sim fail capture 1 >/dev/null
  click_key 05
  # The capture ends at once without a code: no box, the key plain again.
  expect_key_look 05 0 5
  expect_no_new_box 0.3
  learn_key 05 nec 0x04 0x08
  expect_sent 05 "nec 0x04 0x08"
  click_learn
  close_app
  end_with_fresh_start
}

# failed_learning_write CODE PRESS-ARGS...: the first write of learning fails
# (the key record of a protocol code, the code data of a raw one); nothing is
# shown as learned and nothing changes in the URC.
failed_learning_write() {
  local code=$1 before
  shift
  before=$(memory_digest)
  choose_key_for_learning "$code"
  sim fail writes 1 >/dev/null
  press "$@"
  expect_box_and_answer "$LEARN_FAILED" Return information
  expect_key_look "$code" 0
  expect_no_code "$code"
  [[ "$(memory_digest)" == "$before" ]] || fail "a failed write left part of the code in the URC"
}

failed_writes_while_learning() {
  begin_with_fresh_urc
  start_app_and_wait
  click_learn
  failed_learning_write 05 nec 0x04 0x08
  failed_learning_write 07 --raw "$RAW_FILE"
  # Once the URC writes again, both are learned.
  learn_key 05 nec 0x04 0x08
  learn_key 07 --raw "$RAW_FILE"
  expect_sent 05 "nec 0x04 0x08"
  click_learn
  close_app
  end_with_fresh_start
}

# failed_raw_learning_write CODE AFTER: learning a raw code, the writes after
# the first AFTER fail (1: the allocation area, 2: the key record). The code
# data may already be in storage, but the key record must be untouched and the
# URC must stay consistent.
failed_raw_learning_write() {
  local code=$1 after=$2 record
  record=$(key_record "$code")
  choose_key_for_learning "$code"
  sim fail writes 1 --after "$after" >/dev/null
  press --raw "$RAW_FILE"
  expect_box_and_answer "$LEARN_FAILED" Return information
  expect_key_look "$code" 0
  expect_no_code "$code"
  [[ "$(sim_status_field faults)" == "reads 0, writes 0, capture 0" ]] ||
    fail "learning made fewer than $((after + 1)) writes"
  [[ "$(key_record "$code")" == "$record" ]] || fail "a failed learning changed key $code's record"
  check_memory
  expect_screen_matches_memory
}

failed_later_writes_while_learning_raw() {
  begin_with_fresh_urc
  start_app_and_wait
  click_learn
  failed_raw_learning_write 07 1
  failed_raw_learning_write 10 2
  # Once the URC writes again, both keys learn the code.
  learn_key 07 --raw "$RAW_FILE"
  learn_key 10 --raw "$RAW_FILE"
  click_learn
  expect_screen_matches_memory
  close_app
  end_with_fresh_start
}

failed_write_while_deleting() {
  begin_with_fresh_urc
  start_app_and_wait
  click_learn
  learn_key 05 nec 0x04 0x08
  click_learn
  click_delete
  sim fail writes 1 >/dev/null
  click_key 05
  expect_box_and_answer "$SURE_DELETE" Return confirmation
  expect_box_and_answer "Deleting is failure!" Return information
  # The URC still holds the code, so the key still shows it.
  expect_key_look 05 2
  expect_sent 05 "nec 0x04 0x08"
  click_delete
  close_app
  end_with_fresh_start
}

failed_write_while_clearing() {
  begin_with_fresh_urc
  start_app_and_wait
  click_learn
  learn_key 05 nec 0x04 0x08
  learn_key 06 nec 0x04 0x09
  click_learn
  sim fail writes 1 >/dev/null
  click_clear
  expect_box_and_answer "$SURE_CLEAR" Return information
  # The user is told that not everything was deleted.
  expect_box_and_answer "Deleting is failure!" Return information
  settle 0.5
  while ((BOXES_SEEN < $(box_count))); do
    expect_box_matching '*'
    answer_box Return
  done
  expect_screen_matches_memory
  close_app
  end_with_fresh_start
}

start_xvfb
for after in "${!START_UP_READS[@]}"; do
  scenario failed_read_at_start_up "$after"
done
scenario capture_mode_refused
scenario failed_writes_while_learning
scenario failed_later_writes_while_learning_raw
scenario failed_write_while_deleting
scenario failed_write_while_clearing
finish
