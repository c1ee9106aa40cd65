#!/usr/bin/env bash
# Start-up against the emulated URC: a good URC, a URC that is not plugged in
# (Retry and Cancel), and URCs whose version, type or firmware the program
# refuses. Usage: startup.sh FOLDER-OF-THE-BUILT-PROGRAMS
BIN=${1:-}
source "$(dirname "$0")/lib.sh"

good_urc_shows_the_window() {
  begin_with_fresh_urc
  start_app_and_wait
  expect_no_new_box 0.2
  expect_screen_matches_memory
  # The factory URC holds a few codes from elsewhere and nothing learned.
  expect_keys_look "00 1
05 0"
  click_update
  expect_box_and_answer "Your software do not need to update" Return information
  close_app
  check_memory
}

unplugged_urc_found_on_retry() {
  begin_with_fresh_urc
  sim unplug >/dev/null
  start_app
  expect_box "$NO_URC" confirmation
  # Retry with the cable still out asks again, as often as needed.
  answer_box Return
  expect_box "$NO_URC" confirmation
  main_window >/dev/null && fail "the main window opened without a URC"
  sim plug >/dev/null
  answer_box Return
  wait_main_window
  expect_no_new_box 0.2
  expect_screen_matches_memory
  close_app
  end_with_fresh_start
}

unplugged_urc_cancel_ends_the_program() {
  begin_with_fresh_urc
  sim unplug >/dev/null
  start_app
  expect_box "$NO_URC" confirmation
  answer_box Escape
  wait_app_exit 5
  expect_no_new_box 0.1
  sim plug >/dev/null
  end_with_fresh_start
}

# refused_profile PROFILE MESSAGE-HEAD: the URC of that profile gets the
# message as an information box; once answered, the program ends by itself
# without having written anything.
refused_profile() {
  local profile=$1 head=$2 before
  begin_with_fresh_urc --profile "$profile"
  before=$(memory_digest)
  start_app
  expect_box_matching "$head"'http*!'
  [[ "$(sed -n "${BOXES_SEEN}p" "$QZT617_BOX_LOG" | cut -f1)" == information ]] ||
    fail "the $profile message is not an information box"
  answer_box Return
  wait_app_exit 5
  expect_no_new_box 0.1
  [[ "$(memory_digest)" == "$before" ]] || fail "a refused start changed the URC's memory"
  check_memory
}

firmware_too_old() {
  local profile
  for profile in fw10 fw0 outdated; do refused_profile "$profile" "$FIRMWARE_MESSAGE_HEAD"; done
}

urc_too_new_or_unknown() {
  local profile
  for profile in fw2 fw15 wrong-type bad-version; do
    refused_profile "$profile" "$VERSION_MESSAGE_HEAD"
  done
}

start_xvfb
scenario good_urc_shows_the_window
scenario unplugged_urc_found_on_retry
scenario unplugged_urc_cancel_ends_the_program
scenario firmware_too_old
scenario urc_too_new_or_unknown
finish
