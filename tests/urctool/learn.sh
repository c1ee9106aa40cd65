#!/usr/bin/env bash
# urc-tool learn against urc-sim: a key of an original remote pressed while
# learn waits (nec, rc5 and a raw signal) is stored as that protocol, device
# and command, or as the same raw signal that set stores; a timeout, a stop
# by SIGINT or SIGTERM, a key that does not exist, a bad --timeout and a URC
# owned by another program leave the URC's image file untouched.
# Usage: learn.sh FOLDER-OF-THE-BUILT-PROGRAMS
set -uo pipefail
BIN=${1:?usage: learn.sh FOLDER}
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
start_sim

LEARN_PID=
# let_go: waits until no key is held in front of the URC any more: a URC put
# into capture mode while one is held takes that key.
let_go() {
  for _ in $(seq 400); do
    [[ "$(sim status | sed -n 's/^pending key: //p')" == none ]] && return 0
    sleep 0.02
  done
  fail "a pressed key is still held: $(sim status)"
}
# start_learn NAME ARGS...: urc-tool learn ARGS in the background (output in
# DIR/NAME.out and DIR/NAME.err), back once it says the URC listens.
start_learn() {
  local name=$1
  shift
  let_go
  "$BIN/urc-tool" learn "$@" >"$DIR/$name.out" 2>"$DIR/$name.err" &
  LEARN_PID=$!
  for _ in $(seq 250); do
    grep -q "waiting up to" "$DIR/$name.err" && return 0
    kill -0 "$LEARN_PID" 2>/dev/null || break
    sleep 0.02
  done
  fail "learn $* did not wait for a code: $(cat "$DIR/$name.err")"
}
# finish_learn STATUS NAME TEXT: the learn ends with STATUS and says TEXT.
finish_learn() {
  local got=0
  wait "$LEARN_PID" || got=$?
  ((got == $1)) || fail "learn $2 ended with $got, expected $1: $(cat "$DIR/$2.out" "$DIR/$2.err")"
  grep -qF -- "$3" "$DIR/$2.out" "$DIR/$2.err" ||
    fail "learn $2: expected '$3' in: $(cat "$DIR/$2.out" "$DIR/$2.err")"
}
# The image file as the emulator keeps it: its bytes, and its inode and
# time, which a rewrite of the same bytes would change.
image_state() { echo "$(md5sum <"$DIR/urc.img") $(stat -c '%i %Y.%y' "$DIR/urc.img")"; }
capture_mode() { sim status | sed -n 's/^capture mode: //p'; }

# --- refused before the URC listens: a key that does not exist, a bad --timeout
before=$(image_state)
expect 2 "no key of the URC is called NOPE" tool learn NOPE
for bad in 0 3601 x 1.5 99999; do
  expect 2 "--timeout takes whole seconds from 1 to 3600, not \"$bad\"" tool learn 05 --timeout "$bad"
done
expect 2 "learn KEY" tool learn
[[ "$(capture_mode)" == off ]] || fail "a refused learn put the URC into capture mode"
[[ "$(image_state)" == "$before" ]] || fail "a refused learn changed the image"

# --- an nec press: the key holds the protocol, device and command
start_learn nec 05 --timeout 10
sim press nec 4 8 >/dev/null || fail "urc-sim press nec 4 8"
finish_learn 0 nec "key 05 (TV/MUTE) learned nec 0x04 0x08"
grep -q "press the key for 05 (TV/MUTE) on the original remote" "$DIR/nec.err" ||
  fail "no line asking for the key: $(cat "$DIR/nec.err")"
tool list | grep -q "^05  TV/MUTE  *learned     nec 0x04 0x08$" || fail "list: $(tool list | head -8)"
[[ "$(sim send 05)" == "nec 0x04 0x08" ]] || fail "key 05 sends '$(sim send 05)'"

# --- an rc5 press, named by label in another case
start_learn rc5 cbl/ok
sim press rc5 0x00 0x10 >/dev/null || fail "urc-sim press rc5"
finish_learn 0 rc5 "learned rc5 0x00 0x10"
tool export --format json --keys CBL/OK >"$DIR/rc5.json" || fail "export"
grep -q '"protocol":"rc5","device":0,"command":16' "$DIR/rc5.json" ||
  fail "export of CBL/OK: $(head -c 400 "$DIR/rc5.json")"

# --- a raw press: stored as set stores the same signal, and sent as it was pressed
signal="raw 38000 +3500 -1750"
for i in $(seq 0 23); do signal+=" +500 -$((400 + 450 * (i % 3)))"; done
signal+=" +500"
echo "$signal" >"$DIR/raw.txt"
start_learn raw 07
sim press --raw "$DIR/raw.txt" >/dev/null || fail "urc-sim press --raw"
finish_learn 0 raw "key 07 (TV/P+) learned raw 38000 Hz, 52 durations"
tool set 10 --raw "$signal" >/dev/null || fail "set 10"
[[ "$(sim send 07 --timings)" == "$(sim send 10 --timings)" ]] ||
  fail "learned and set raw codes differ: $(sim send 07 --timings) / $(sim send 10 --timings)"
[[ "$(sim send 07 --timings)" == "raw 38000 +3500 -1750 +500 -400 +500 -850 "* ]] ||
  fail "key 07 sends $(sim send 07 --timings | head -c 80)"
sim check >/dev/null || fail "urc-sim check after learning: $(sim check 2>&1)"

# --- a timeout writes nothing and says so
let_go
before=$(image_state)
start=$SECONDS
expect 1 "no code arrived within 1 second; the URC's memory was not touched" tool learn 11 --timeout 1
((SECONDS - start <= 4)) || fail "learn --timeout 1 took $((SECONDS - start)) s"
[[ "$(image_state)" == "$before" ]] || fail "a timed-out learn changed the image"

# --- while one learn waits, the URC is its own: another writer and a reader
# are refused naming it; SIGINT and SIGTERM end the wait, nothing written
for stop in INT TERM; do
  start_learn owner 11 --timeout 20
  expect 1 "is owned by urc-tool learn (pid $LEARN_PID); nothing was written" tool learn 12
  expect 1 "urc-tool learn (pid $LEARN_PID) is writing to the URC" tool list
  kill -s "$stop" "$LEARN_PID"
  status=$((128 + $(kill -l "$stop")))
  finish_learn "$status" owner "stopped by SIG$stop while waiting for a code; the URC's memory was not touched"
  [[ "$(image_state)" == "$before" ]] || fail "a learn stopped by SIG$stop changed the image"
done
# The stopped learns let go of the URC: the next learns it.
start_learn after 11 --timeout 10
sim press necx 0x1234 0x56 >/dev/null || fail "urc-sim press necx"
finish_learn 0 after "key 11"
[[ "$(sim send 11)" == "necx 0x1234 0x56" ]] || fail "key 11 sends '$(sim send 11)'"
sim check >/dev/null || fail "urc-sim check: $(sim check 2>&1)"
echo "ok: learn stores pressed codes; timeouts, stops and refusals write nothing"
