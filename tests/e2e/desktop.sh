#!/usr/bin/env bash
# Start-up and learning on a desktop: a dock reserves the top 40 pixels of the
# screen, first on a bare X server (no window manager, so no work area: the
# program takes the whole screen as before) and then under openbox (the work
# area starts below the dock). The splash window is drawn before the
# start-up reading blocks, every box opens above it, and the main window sits
# at the top of the work area, as wide as the work area.
# Usage: desktop.sh FOLDER-OF-THE-BUILT-PROGRAMS
BIN=${1:-}
source "$(dirname "$0")/lib.sh"
source "$E2E_LIB_DIR/lib_desktop.sh"
trap 'desktop_cleanup; e2e_cleanup' EXIT

WORK_TOP=0

# The URC does not answer at first (its emulator stopped): the start-up
# reading blocks on its first request until its time limit. The splash must
# show its picture before then, and the box that follows must open above it.
splash_and_box_while_the_urc_does_not_answer() {
  begin_with_fresh_urc
  kill -STOP "$SIM_PID"
  start_app
  wait_for splash_drawn 10 || { kill -CONT "$SIM_PID"; fail "the splash window was not drawn"; }
  (($(box_count) == BOXES_SEEN)) && ! main_window >/dev/null ||
    { kill -CONT "$SIM_PID"; fail "the splash was drawn only after the start-up reading"; }
  expect_box "$NO_URC" confirmation
  kill -CONT "$SIM_PID"
  expect_boxes_above_splash
  answer_box Return
  wait_main_window
  expect_no_new_box 0.2
  expect_main_window_at 0 "$WORK_TOP" 1280
  expect_screen_matches_memory
  close_app
}

learning_one_key() {
  begin_with_fresh_urc
  start_app_and_wait
  click_learn
  learn_key 05 nec 0x04 0x08
  expect_sent 05 "nec 0x04 0x08"
  click_learn
  close_app
  check_memory
}

start_xvfb
start_dock
scenario splash_and_box_while_the_urc_does_not_answer
start_window_manager
WORK_TOP=$DOCK_HEIGHT
scenario splash_and_box_while_the_urc_does_not_answer
scenario learning_one_key
finish
