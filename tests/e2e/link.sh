#!/usr/bin/env bash
# The USB link while the program runs: the cable pulled and put back (Retry),
# another URC plugged in, closing from the link box, closing refused while
# learning, and the cable pulled during a capture.
# Usage: link.sh FOLDER-OF-THE-BUILT-PROGRAMS
BIN=${1:-}
source "$(dirname "$0")/lib.sh"

# Pulls the cable: within a poll or two the program hides the key panel and
# asks Retry/Cancel.
pull_cable() {
  sim unplug >/dev/null
  expect_box "$NO_URC"
  wait_panel_hidden
}

unplug_and_retry() {
  begin_with_fresh_urc
  start_app_and_wait
  pull_cable
  # Retry with the cable still out asks again; so does Cancel, then Cancel.
  answer_box Return
  expect_box "$NO_URC"
  answer_box Escape
  expect_box_and_answer "$CLOSE_SOFTWARE" Escape
  expect_box "$NO_URC"
  sim plug >/dev/null
  answer_box Return
  wait_panel_shown
  expect_no_new_box 0.5
  expect_screen_matches_memory
  # The program works on as before.
  click_learn
  learn_key 05 nec 0x04 0x08
  expect_sent 05 "nec 0x04 0x08"
  click_learn
  close_app
  end_with_fresh_start
}

another_urc_ends_the_program() {
  begin_with_fresh_urc
  start_app_and_wait
  local identity other
  identity=$(mem_hex $((0xB000)) 15)
  # The same make, another unit: only the last digit differs.
  other=${identity:0:29}$(printf '%X' $(((16#${identity:29:1} + 1) % 16)))
  pull_cable
  sim identity "$other" >/dev/null
  sim plug >/dev/null
  answer_box Return
  wait_app_exit 5
  expect_no_new_box 0.1
  end_with_fresh_start
}

# While learning, the close that follows another URC is refused like any
# close with a URC connected; the panel stays locked, and once the cable is
# out the exit button ends the program.
another_urc_while_learning() {
  begin_with_fresh_urc
  start_app_and_wait
  local identity
  identity=$(mem_hex $((0xB000)) 15)
  click_learn
  pull_cable
  sim identity "${identity:0:28}00" >/dev/null
  sim plug >/dev/null
  answer_box Return
  expect_box_and_answer "$CLOSE_WHILE_LEARNING" Return information
  expect_app_running
  wait_panel_hidden
  sim unplug >/dev/null
  click_exit
  wait_app_exit 5
  expect_no_new_box 0.1
  sim plug >/dev/null
  end_with_fresh_start
}

cancel_then_close() {
  begin_with_fresh_urc
  start_app_and_wait
  pull_cable
  answer_box Escape
  expect_box_and_answer "$CLOSE_SOFTWARE" Return
  wait_app_exit 5
  expect_no_new_box 0.1
  sim plug >/dev/null
  end_with_fresh_start
}

close_refused_while_learning() {
  begin_with_fresh_urc
  start_app_and_wait
  click_learn
  click_exit
  expect_box_and_answer "$CLOSE_WHILE_LEARNING" Return information
  expect_app_running
  # Also during a capture, which goes on undisturbed.
  choose_key_for_learning 06
  click_exit
  expect_box_and_answer "$CLOSE_WHILE_LEARNING" Return information
  expect_app_running 0.1
  press rc5 0x05 0x0C
  expect_box_and_answer "$RECEIVED" Return information
  expect_sent 06 "rc5 0x05 0x0c"
  click_learn
  close_app
  end_with_fresh_start
}

unplug_during_a_capture() {
  begin_with_fresh_urc
  start_app_and_wait
  local before
  before=$(memory_digest)
  click_learn
  choose_key_for_learning 05
  pull_cable
  sim plug >/dev/null
  answer_box Return
  wait_panel_shown
  # The capture ended without a code; learning mode is still on.
  expect_no_new_box 0.3
  expect_key_look 05 0
  [[ "$(memory_digest)" == "$before" ]] || fail "a capture cut off by the cable changed the URC"
  learn_key 07 nec 0x10 0x20
  expect_sent 07 "nec 0x10 0x20"
  click_learn
  close_app
  end_with_fresh_start
}

close_during_a_capture_after_unplugging() {
  begin_with_fresh_urc
  start_app_and_wait
  local before
  before=$(memory_digest)
  click_learn
  choose_key_for_learning 05
  pull_cable
  answer_box Escape
  expect_box_and_answer "$CLOSE_SOFTWARE" Return
  wait_app_exit 5
  expect_no_new_box 0.1
  sim plug >/dev/null
  [[ "$(memory_digest)" == "$before" ]] || fail "closing during a capture changed the URC"
  end_with_fresh_start
}

start_xvfb
scenario unplug_and_retry
scenario another_urc_ends_the_program
scenario another_urc_while_learning
scenario cancel_then_close
scenario close_refused_while_learning
scenario unplug_during_a_capture
scenario close_during_a_capture_after_unplugging
finish
