# Pointer clicks on the main window, at the places a person would click.

# The key panel's scroll box lies at this place in the main window; the key
# table gives each key's place inside it.
readonly KEY_PANEL_X=146
readonly KEY_PANEL_Y=0
readonly KEY_TABLE_SOURCE="$E2E_LIB_DIR/../../keypanel/core/key_table.cpp"

# One line per key: code left top width height (panel-relative), in code order,
# read from the program's own key table so the clicks follow its layout.
KEY_RECTS="$E2E_DIR/keys.txt"
sed -n 's/^ *{"\([0-9A-F][0-9A-F]\)", "[^"]*", "[^"]*", \([0-9]*\), \([0-9]*\), \([0-9]*\), \([0-9]*\)},.*$/\1 \2 \3 \4 \5/p' \
  "$KEY_TABLE_SOURCE" >"$KEY_RECTS" 2>/dev/null || true
[[ $(wc -l <"$KEY_RECTS") -eq 70 ]] || fail "could not read the 70 keys from $KEY_TABLE_SOURCE"

# click_at X Y: a left click at a place given relative to the main window.
click_at() {
  [[ -n "$MAIN_WINDOW" ]] || fail "the main window has not been seen"
  xdotool mousemove --window "$MAIN_WINDOW" "$1" "$2" click 1
}

# The centre of key CODE, relative to the main window, as "X Y".
key_centre() {
  local code=$1 line
  line=$(grep "^$code " "$KEY_RECTS") || fail "no key with code $code"
  read -r _ left top width height <<<"$line"
  echo "$((KEY_PANEL_X + left + width / 2)) $((KEY_PANEL_Y + top + height / 2))"
}

click_key() {
  local x y
  read -r x y <<<"$(key_centre "$1")"
  click_at "$x" "$y"
}

# Command buttons: "Start to learn" / "Stop learning", "Delete", "Clear", exit.
click_learn() { click_at $((432 + 68)) $((636 + 18)); }
click_delete() { click_at $((609 + 68)) $((636 + 18)); }
click_clear() { click_at $((787 + 68)) $((636 + 18)); }
click_exit() { click_at $((969 + 25)) $((5 + 21)); }
click_update() { click_at $((969 + 25)) $((49 + 22)); }

# Chooses key CODE for learning (learning mode already on) and waits for the
# URC to be put into capture mode.
choose_key_for_learning() {
  click_key "$1"
  wait_capture_mode
}

# press ARGS...: an original remote's key is pressed in front of the URC
# (urc-sim press arguments), held briefly so that it cannot also be taken by
# the next capture.
press() {
  local out
  out=$(sim press "$@" --hold-ms 300 2>&1) || fail "urc-sim press $*: $out"
}

# learn_key CODE PRESS-ARGS...: with learning mode on, one whole learning
# cycle of key CODE that ends in the "received" box.
learn_key() {
  local code=$1
  shift
  choose_key_for_learning "$code"
  press "$@"
  expect_box_and_answer "$RECEIVED" Return information
  expect_key_look "$code" 2
}
