#!/usr/bin/env bash
# A Wayland session: a headless weston with XWayland. With WAYLAND_DISPLAY and
# DISPLAY set the program runs on the X11 platform through XWayland (its
# windows' fixed places and the display-mode change need X11); without
# XWayland it still starts, on Wayland, and says on standard error what will
# not work. Usage: wayland.sh FOLDER-OF-THE-BUILT-PROGRAMS
BIN=${1:-}
source "$(dirname "$0")/lib.sh"

for tool in weston Xwayland; do
  command -v "$tool" >/dev/null || fail "$tool is not installed"
done

# weston, headless, with XWayland started on the first X client; its X
# display is the first free one, which weston writes in its log.
start_weston() {
  [[ -d /tmp/.X11-unix ]] || mkdir -m 1777 /tmp/.X11-unix
  export WAYLAND_DISPLAY="qzt617-e2e-$$" XDG_SESSION_TYPE=wayland
  weston --backend=headless-backend.so --xwayland --socket="$WAYLAND_DISPLAY" --width=1280 \
    --height=1024 --idle-time=0 >"$E2E_DIR/weston.log" 2>&1 &
  XVFB_PID=$! # stopped with the run like the X server
  wait_for "grep -q 'xserver listening on display' '$E2E_DIR/weston.log'" 20 ||
    fail "weston did not start: $(tail -n 5 "$E2E_DIR/weston.log")"
  XWAYLAND_DISPLAY=$(sed -n 's/.*xserver listening on display \(:[0-9]*\).*/\1/p' \
    "$E2E_DIR/weston.log" | head -n1)
}

# The program's Qt platform plugin, as loaded into it.
loaded_platform() { grep -oE 'libq(xcb|wayland-[a-z]+)\.so' "/proc/$APP_PID/maps" | head -n1; }

# Stops the program (it has no button a test can click through XWayland).
stop_app() {
  app_running || fail "the program ended when it should have stayed"
  kill -TERM "$APP_PID"
  wait "$APP_PID" 2>/dev/null || true
  APP_PID=
}

xwayland_runs_the_program_on_x11() {
  begin_with_fresh_urc
  export DISPLAY=$XWAYLAND_DISPLAY
  start_app
  wait_main_window 30
  [[ "$(loaded_platform)" == libqxcb.so ]] || fail "the program runs on $(loaded_platform)"
  expect_no_new_box 0.2
  stop_app
}

# Qt's X11 options are taken by Qt only on X11; on Wayland they are left
# over after QApplication, and still accepted.
without_xwayland_it_starts_and_says_so() {
  begin_with_fresh_urc
  unset DISPLAY
  : >"$E2E_DIR/app.log"
  start_app -display :0 -sync
  wait_for "grep -q 'Wayland session without XWayland' '$E2E_DIR/app.log'" 15 ||
    fail "nothing said on standard error about the missing XWayland"
  wait_for "[[ -e '$XDG_RUNTIME_DIR/qzt617/888.swf' ]]" 20 || fail "the main window was not made"
  [[ "$(loaded_platform)" == libqwayland-* ]] || fail "the program runs on $(loaded_platform)"
  expect_app_running 1
  expect_no_new_box 0.2
  stop_app
}

start_weston
scenario xwayland_runs_the_program_on_x11
scenario without_xwayland_it_starts_and_says_so
finish
