# Screenshots and the colours of the keys in them. Each key's look is judged
# by the mean colour of the middle half of its rectangle (away from its edge
# and most of its label): red = learned (state 2), green = a code not learned
# with the program (state 1), grey-blue = no code (state 0),
# C for the amber look of a key chosen for learning; anything else is "?"
# (the panel hidden, a box in front).

# Looks of all keys on the screen now, one line per key: "CODE STATE" with
# STATE 0, 1, 2, C or ?. Only the key panel is grabbed, straight as pixels.
screen_key_looks() {
  local ox oy
  read -r ox oy <<<"$(window_origin)"
  import -window root -crop "230x740+$((ox + KEY_PANEL_X))+$((oy + KEY_PANEL_Y))" \
    -depth 8 rgb:- | od -An -tu1 -v -w3 |
    awk -v W=230 -f "$E2E_LIB_DIR/key_looks.awk" "$KEY_RECTS" -
}

# expect_key_look CODE STATE [SECONDS]: key CODE shows STATE, waiting up to
# SECONDS (default 5) for the program to repaint it.
expect_key_look() {
  local code=$1 want=$2 limit=${3:-5} seen deadline=$((SECONDS + ${3:-5}))
  while :; do
    seen=$(screen_key_looks | sed -n "s/^$code //p")
    [[ "$seen" == "$want" ]] && return 0
    ((SECONDS < deadline)) || break
    settle 0.2
  done
  fail "key $code looks like state '$seen', expected '$want' (within $limit s)"
}

# expect_keys_look LIST: "CODE STATE" lines; every key listed shows its state.
expect_keys_look() {
  local want=$1 seen code state shown
  seen=$(screen_key_looks)
  while read -r code state; do
    [[ -z "$code" ]] && continue
    shown=$(sed -n "s/^$code //p" <<<"$seen")
    [[ "$shown" == "$state" ]] || fail "key $code looks like state '$shown', expected '$state'"
  done <<<"$want"
}

# The screen shows exactly the key states the URC's memory holds, key by key.
expect_screen_matches_memory() {
  local memory screen difference
  memory=$(memory_key_states)
  screen=$(screen_key_looks)
  difference=$(diff <(sort <<<"$memory") <(sort <<<"$screen")) ||
    fail "the keys on the screen differ from the URC's memory (< memory, > screen):
$difference"
}

# Waits up to $1 s (default 5) until every key shows one of its looks again.
wait_panel_shown() {
  local deadline=$((SECONDS + ${1:-5}))
  until [[ -z "$(screen_key_looks | awk '$2 == "?"')" ]]; do
    ((SECONDS < deadline)) || fail "the key panel did not come back"
    settle 0.2
  done
}

# Waits up to $1 s (default 5) until no key shows any look (panel hidden).
wait_panel_hidden() {
  local deadline=$((SECONDS + ${1:-5}))
  until [[ -z "$(screen_key_looks | awk '$2 != "?"')" ]]; do
    ((SECONDS < deadline)) || fail "the key panel is still shown"
    settle 0.2
  done
}
