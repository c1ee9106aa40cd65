# Message boxes, seen through the box log the program appends to (one line per
# box as it opens: kind, tab, text) and answered with the keyboard.
# BOXES_SEEN counts the boxes a script has already checked.

box_count() { wc -l <"$QZT617_BOX_LOG"; }

# Texts the program shows, written once here.
readonly NO_URC="No URC is found, please check USB Connection!"
readonly RECEIVED="RC code is received!"
readonly LEARN_FAILED="RC code is learned failly!"
readonly CLOSE_WHILE_LEARNING="It is learning now! Please stop learning first if you want to quit operational system！"
readonly SURE_DELETE="Sure to delete the learned code of this button?"
readonly DELETED="Deleting is finished!"
readonly SURE_CLEAR="Sure to clear all the learned codes of the buttons?"
readonly CLEARED="Clearing is finished!"
readonly CLOSE_SOFTWARE="Do you close software?"
readonly FIRMWARE_MESSAGE_HEAD="Low version of RC firmware program! Please download the latest version from "
readonly VERSION_MESSAGE_HEAD="This version of learning software does not support learning operation of this kind of RC. Please download the latest version of learning software from "

# expect_box TEXT [KIND]: the next unchecked box opens (within 15 s) with
# exactly TEXT, and KIND (information, confirmation, ...) when given.
expect_box() {
  local text=$1 kind=${2:-} number=$((BOXES_SEEN + 1)) line
  wait_for "(( \$(box_count) >= $number ))" 15 || fail "box $number ('$text') never opened"
  line=$(sed -n "${number}p" "$QZT617_BOX_LOG")
  [[ "${line#*$'\t'}" == "$text" ]] || fail "box $number: expected '$text', saw '${line#*$'\t'}'"
  [[ -z "$kind" || "${line%%$'\t'*}" == "$kind" ]] ||
    fail "box $number ('$text'): expected a $kind box, saw ${line%%$'\t'*}"
  BOXES_SEEN=$number
}

# expect_box_matching PATTERN: like expect_box for texts that hold a part the
# program chooses (a web address); PATTERN is a bash glob.
expect_box_matching() {
  local pattern=$1 number=$((BOXES_SEEN + 1)) line
  wait_for "(( \$(box_count) >= $number ))" 15 || fail "box $number ('$pattern') never opened"
  line=$(sed -n "${number}p" "$QZT617_BOX_LOG")
  # shellcheck disable=SC2053 # a glob on purpose
  [[ "${line#*$'\t'}" == $pattern ]] || fail "box $number: expected '$pattern', saw '${line#*$'\t'}'"
  BOXES_SEEN=$number
}

# No box beyond those checked opens within $1 s (default 0.5).
expect_no_new_box() {
  settle "${1:-0.5}"
  local count
  count=$(box_count)
  ((count == BOXES_SEEN)) ||
    fail "an unexpected box opened: $(sed -n "$((BOXES_SEEN + 1)),\$p" "$QZT617_BOX_LOG")"
}

# The visible windows of the program that are neither its main window nor
# the splash window: the open message boxes, oldest first (X gives a client's
# windows rising ids).
box_windows() {
  local main w
  main=$(main_window 2>/dev/null || true)
  for w in $(xdotool search --onlyvisible --class '^qzt617$' 2>/dev/null); do
    [[ "$w" == "$main" ]] && continue
    [[ "$(xdotool getwindowname "$w" 2>/dev/null)" == "启动界面" ]] && continue
    echo "$w"
  done | sort -n
}

# answer_box KEY: presses KEY (Return = the default button: OK, Yes, Retry;
# Escape = No or Cancel) in the open box, as a person at the keyboard would,
# and waits for that box to close. With boxes over boxes, the newest one has
# the keyboard and is answered.
answer_box() {
  local key=$1 box
  wait_for "[[ -n \$(box_windows) ]]" 10 || fail "no box is open to answer with $key"
  box=$(box_windows | tail -n1)
  settle 0.2 # the box takes the keyboard once it is mapped
  timeout 3 xdotool windowfocus --sync "$box" 2>/dev/null || true
  xdotool key "$key"
  wait_for "! xdotool getwindowname $box || ! box_windows | grep -qx $box" 10 ||
    fail "the box did not close on $key"
}

# expect_box_and_answer TEXT KEY [KIND]
expect_box_and_answer() {
  expect_box "$1" "${3:-}"
  answer_box "$2"
}
