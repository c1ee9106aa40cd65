# A desktop around the program: a dock that reserves the top of the screen
# and, when asked, a real window manager (openbox); and what a person would
# see of the splash window, the boxes and the main window's place.

readonly DOCK_HEIGHT=40
DOCK_PID=
WM_PID=

desktop_cleanup() {
  [[ -n "$WM_PID" ]] && kill "$WM_PID" 2>/dev/null || true
  [[ -n "$DOCK_PID" ]] && kill "$DOCK_PID" 2>/dev/null || true
}

start_dock() {
  [[ -x "$BIN/e2e-dock-window" ]] || fail "the dock helper $BIN/e2e-dock-window is not built"
  "$BIN/e2e-dock-window" "$DOCK_HEIGHT" >"$E2E_DIR/dock.log" 2>&1 &
  DOCK_PID=$!
  wait_for "xdotool search --onlyvisible --name '^e2e dock$'" 10 || fail "the dock did not appear"
}

# openbox, once it manages the screen and has taken the dock's strip out of
# the work area.
start_window_manager() {
  command -v openbox >/dev/null || fail "openbox is not installed"
  HOME=$E2E_DIR openbox --sm-disable >"$E2E_DIR/openbox.log" 2>&1 &
  WM_PID=$!
  wait_for "[[ \$(work_area) == '0 $DOCK_HEIGHT '* ]]" 15 ||
    fail "openbox did not start or ignores the dock: $(tail -n 3 "$E2E_DIR/openbox.log")"
}

# The work area a window manager publishes, as "X Y WIDTH HEIGHT".
work_area() { xprop -root _NET_WORKAREA | sed -n 's/.*= *\([0-9, ]*\)$/\1/p' | tr -d ',' | cut -d' ' -f1-4; }

splash_window() { xdotool search --onlyvisible --name '^启动界面$' 2>/dev/null | head -n1; }

# The splash window shows its picture (and not whatever lay beneath it):
# a drawn picture has far more than a handful of colours.
splash_drawn() {
  local splash geometry colours
  splash=$(splash_window) && [[ -n "$splash" ]] || return 1
  geometry=$(xdotool getwindowgeometry --shell "$splash" | sed -n 's/^[XYWIDTHEG]*=//p' | paste -sd' ')
  read -r x y width height _ <<<"$geometry"
  colours=$(import -window root -crop "${width}x${height}+$x+$y" +repage png:- 2>/dev/null |
    convert - -format %k info:)
  ((colours > 50))
}

# The program's top-level windows from the bottom of the stack to the top:
# the window manager's stacking list, or on a bare server the root's
# children (which xwininfo lists from the top).
stacking_bottom_to_top() {
  local list w
  list=$(xprop -root _NET_CLIENT_LIST_STACKING 2>/dev/null | sed -n 's/.*# //p' | tr -d ',')
  if [[ -z "$list" ]]; then
    list=$(xwininfo -root -children | awk '$1 ~ /^0x/ { print $1 }' | tac)
  fi
  for w in $list; do echo $((w)); done
}

# Every open box lies above the splash window (the splash still up).
expect_boxes_above_splash() {
  local splash order box
  splash=$(splash_window) || true
  [[ -n "$splash" ]] || fail "the splash window is not up"
  order=$(stacking_bottom_to_top)
  local splash_place box_place
  splash_place=$(grep -nx "$splash" <<<"$order" | cut -d: -f1)
  [[ -n "$splash_place" ]] || fail "the splash window is not in the stacking order"
  for box in $(box_windows); do
    box_place=$(grep -nx "$box" <<<"$order" | cut -d: -f1)
    [[ -n "$box_place" ]] || fail "box window $box is not in the stacking order"
    ((box_place > splash_place)) || fail "a box lies below the splash window"
  done
}

# expect_main_window_at X Y WIDTH: the main window's place and width.
expect_main_window_at() {
  local geometry
  geometry=$(xdotool getwindowgeometry --shell "$MAIN_WINDOW" | sed -n 's/^\(X\|Y\|WIDTH\)=//p' |
    paste -sd' ')
  [[ "$geometry" == "$1 $2 $3" ]] ||
    fail "the main window is at x y width '$geometry', expected '$1 $2 $3'"
}
