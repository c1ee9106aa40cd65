#!/usr/bin/env bash
# Learning keys as a person would: learning mode, a key clicked on the URC
# picture, the original remote's key pressed in front of the URC, the boxes
# answered; then the learned key proven with `urc-sim send`.
# Usage: learning.sh FOLDER-OF-THE-BUILT-PROGRAMS
BIN=${1:-}
source "$(dirname "$0")/lib.sh"

# A remote of no known protocol: a 3500/1750 leader and pulse-distance bits.
RAW_SIGNAL="raw 38000 +3500 -1750 +500 -400 +500 -1300 +500 -400 +500 -400 +500 -1300 +500 -1300 +500 -400 +500 -1300 +500 -400 +500 -1300 +500"
RAW_FILE="$E2E_DIR/raw-remote.txt"
echo "$RAW_SIGNAL" >"$RAW_FILE"

# The URC replays a raw code with every timing as captured, then a frame gap.
expect_sends_raw() {
  local out
  out=$(sim send "$1" 2>&1) || fail "urc-sim send $1 failed: $out"
  [[ "$out" == "$RAW_SIGNAL "-* ]] || fail "key $1 sends '$out', expected '$RAW_SIGNAL' and a gap"
}

# Field of a key record: flags byte, storage flag, code identifier.
record_flags() { key_record "$1" | cut -c1-2; }
record_storage_flag() { key_record "$1" | cut -c5-6; }
record_identifier() { key_record "$1" | cut -c7-12; }

three_protocols() {
  begin_with_fresh_urc
  start_app_and_wait
  click_learn
  click_update
  expect_box_and_answer "It is learning now! Please quit learning mode before updating！" Return information
  learn_key 05 nec 0x04 0x08
  expect_sent 05 "nec 0x04 0x08"
  learn_key 06 rc5 0x00 0x10
  expect_sent 06 "rc5 0x00 0x10"
  # Both are kept in the key record alone.
  [[ "$(used_alloc_records)" == "" ]] || fail "a protocol code took code storage"
  [[ "$(record_flags 05)$(record_storage_flag 05)" == C000 ]] || fail "key 05's record: $(key_record 05)"
  learn_key 07 --raw "$RAW_FILE"
  expect_sends_raw 07
  [[ "$(record_storage_flag 07)" == 80 ]] || fail "the raw code is not in code storage"
  [[ "$(used_alloc_records | wc -l)" -eq 1 ]] || fail "the raw code has no single allocation record"
  expect_keys_look "05 2
06 2
07 2
00 1
10 0"
  click_learn
  close_app
  end_with_fresh_start
}

# The carrier the URC measured reaches the stored code: raw codes replay at
# it, a 56 kHz form's timing pressed at 38 kHz is not that form, and a press of
# one frame of a form replays as one frame.
learned_codes_keep_the_measured_carrier() {
  begin_with_fresh_urc
  start_app_and_wait
  click_learn
  local carrier rca="+3680 -3680" bit out
  for bit in 1 0 0 1 0 0 0 0 0 0 1 0 0 1 1 0 1 1 1 1 1 1 0 1; do
    ((bit)) && rca+=" +460 -1840" || rca+=" +460 -920"
  done
  rca+=" +460 -20000"
  for carrier in 36000 56000; do
    echo "${RAW_SIGNAL/raw 38000/raw $carrier}" >"$E2E_DIR/raw-$carrier.txt"
  done
  # 47 kHz: more than a tenth from both RCA forms' carriers (56 and 38.7 kHz).
  echo "raw 47000 $rca" >"$E2E_DIR/rca-47000.txt"
  echo "raw 56000 $rca" >"$E2E_DIR/rca-56000.txt"
  learn_key 05 --raw "$E2E_DIR/raw-36000.txt"
  learn_key 06 --raw "$E2E_DIR/raw-56000.txt"
  learn_key 07 --raw "$E2E_DIR/rca-47000.txt"
  learn_key 10 --raw "$E2E_DIR/rca-56000.txt"
  out=$(sim send 05 --timings)
  [[ "$out" == "raw 36000 +3500 -1750 "* ]] || fail "key 05 sends '${out:0:40}'"
  out=$(sim send 06 --timings)
  [[ "$out" == "raw 56000 +3500 -1750 "* ]] || fail "key 06 sends '${out:0:40}'"
  out=$(sim send 07)
  [[ "$out" == "raw 47000 +3680 -3680 "* ]] || fail "the 47 kHz code is sent as '${out:0:40}'"
  expect_sent 10 "rca 0x09 0x02"
  out=$(sim send 10 --timings)
  [[ "$(wc -w <<<"$out")" -eq $((2 + 52)) ]] || fail "one RCA frame was pressed; key 10 sends $out"
  click_learn
  close_app
  end_with_fresh_start
}

# A raw code never takes an identifier the URC holds (its identifier is a
# digest, which two different codes can share): the same code learned for two
# keys is stored for each, under two identifiers.
same_code_for_two_keys_stored_for_each() {
  begin_with_fresh_urc
  start_app_and_wait
  click_learn
  learn_key 10 --raw "$RAW_FILE"
  local records blocks
  records=$(used_alloc_records)
  blocks=$(used_block_count)
  learn_key 11 --raw "$RAW_FILE"
  [[ "$(used_alloc_records | wc -l)" -eq 2 ]] ||
    fail "the second key's code has no allocation record of its own: $(used_alloc_records | paste -sd' ')"
  [[ "$(used_block_count)" -eq $((2 * blocks)) ]] || fail "the second key's code took no blocks of its own"
  [[ "$(record_identifier 10)" != "$(record_identifier 11)" ]] ||
    fail "the two keys share one identifier"
  [[ "${records:0:6}" == "$(record_identifier 10)" ]] ||
    fail "the first allocation record does not belong to the first key's code"
  [[ "$(used_alloc_records | sed -n 2p | cut -c1-6)" == "$(record_identifier 11)" ]] ||
    fail "the second allocation record does not belong to the second key's code"
  expect_sends_raw 10
  expect_sends_raw 11
  # Deleting one of the keys leaves the code for the other.
  click_learn
  click_delete
  click_key 10
  expect_box_and_answer "$SURE_DELETE" Return
  expect_box_and_answer "$DELETED" Return
  expect_no_code 10
  expect_sends_raw 11
  click_delete
  close_app
  end_with_fresh_start
}

relearning_asks_first() {
  begin_with_fresh_urc
  start_app_and_wait
  click_learn
  learn_key 05 nec 0x04 0x08
  # No keeps the learned code and starts no capture.
  click_key 05
  expect_box_and_answer "TV/MUTEbutton has learnt, do you need to learn again?" Escape
  expect_key_look 05 2
  [[ "$(sim_status_field 'capture mode')" == off ]] || fail "No started a capture"
  # Yes learns the key anew.
  click_key 05
  expect_box_and_answer "TV/MUTEbutton has learnt, do you need to learn again?" Return
  wait_capture_mode
  expect_key_look 05 C
  press nec 0x04 0x09
  expect_box_and_answer "$RECEIVED" Return information
  expect_key_look 05 2
  expect_sent 05 "nec 0x04 0x09"
  click_learn
  close_app
  end_with_fresh_start
}

capture_times_out() {
  begin_with_fresh_urc
  start_app_and_wait
  local before
  before=$(memory_digest)
  click_learn
  choose_key_for_learning 12
  expect_key_look 12 C
  # Nothing is pressed: the capture gives up after its time window (about
  # 8 s) with no box, the key plain again and learning mode still on.
  expect_key_look 12 0 15
  expect_no_new_box 0.1
  [[ "$(memory_digest)" == "$before" ]] || fail "a capture without a code changed the URC"
  learn_key 13 nec 0x04 0x11
  expect_sent 13 "nec 0x04 0x11"
  click_learn
  close_app
  end_with_fresh_start
}

stopping_during_a_capture() {
  begin_with_fresh_urc
  start_app_and_wait
  click_learn
  learn_key 05 nec 0x04 0x08
  local before
  before=$(memory_digest)
  # Stopping while a new key is captured: the key is plain again at once and
  # a key pressed afterwards is not stored.
  choose_key_for_learning 14
  click_learn
  expect_key_look 14 0
  press nec 0x04 0x14
  expect_no_new_box 1.5
  # Stopping while a learned key is re-learned: it keeps its learned look.
  click_learn
  click_key 05
  expect_box_and_answer "TV/MUTEbutton has learnt, do you need to learn again?" Return
  wait_capture_mode
  click_learn
  expect_key_look 05 2
  press nec 0x04 0x15
  expect_no_new_box 1.5
  [[ "$(memory_digest)" == "$before" ]] || fail "a stopped capture changed the URC"
  expect_no_code 14
  expect_sent 05 "nec 0x04 0x08"
  # Learning mode is off: a key click asks for it first.
  click_key 16
  expect_box_and_answer "Please click on Start to learn first!" Return information
  close_app
  end_with_fresh_start
}

# With a slow link the stopped worker is still in its poll when learning is
# switched on again and a key chosen: no second worker may start, and the
# program must come out of it ready for the next key, whichever way the race
# between the clicks and the old worker's end goes.
restarted_before_the_old_capture_ended() {
  begin_with_fresh_urc
  start_app_and_wait
  sim latency 150 >/dev/null
  click_learn
  choose_key_for_learning 20
  click_learn
  click_learn
  click_key 21
  expect_no_new_box 2
  # Either the chosen key was dropped with the old worker, or its capture
  # runs; stopping and starting again settles both.
  click_learn
  expect_key_look 21 0 10
  sim latency 1 >/dev/null
  settle 1
  click_learn
  learn_key 22 nec 0x22 0x01
  expect_sent 22 "nec 0x22 0x01"
  expect_no_code 21
  expect_no_code 20
  click_learn
  close_app
  end_with_fresh_start
}

other_key_clicked_while_capturing() {
  begin_with_fresh_urc
  start_app_and_wait
  click_learn
  choose_key_for_learning 44
  # The box names the key being captured, not the one clicked.
  click_key 05
  local busy="CBL/OKbuttonis learning now! Click on Stop learning to stop learning operation!"
  expect_box_and_answer "$busy" Return
  expect_key_look 05 0
  press necx 0x1234 0x56
  expect_box_and_answer "$RECEIVED" Return information
  expect_key_look 44 2
  # A code that arrives while such a box is still open is stored all the
  # same; its box opens over the first one.
  choose_key_for_learning 45
  click_key 05
  expect_box "CBL/RIGHTbuttonis learning now! Click on Stop learning to stop learning operation!"
  press nec 0x04 0x45
  expect_box "$RECEIVED" information
  answer_box Return
  answer_box Return
  expect_key_look 45 2
  expect_sent 45 "nec 0x04 0x45"
  expect_sent 44 "necx 0x1234 0x56"
  expect_no_code 05
  click_learn
  close_app
  end_with_fresh_start
}

start_xvfb
scenario three_protocols
scenario same_code_for_two_keys_stored_for_each
scenario learned_codes_keep_the_measured_carrier
scenario relearning_asks_first
scenario capture_times_out
scenario stopping_during_a_capture
scenario restarted_before_the_old_capture_ended
scenario other_key_clicked_while_capturing
finish
