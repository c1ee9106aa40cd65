#!/usr/bin/env bash
# A restore killed at random points: the emulated URC is killed (as a pulled
# cable would stop it) at a random moment between the restore's first and last
# write, in at least 20 rounds. The moments are timed from the first write seen
# in the image, not from the start of urc-tool, whose start-up takes most of
# the time on a loaded machine or under a sanitizer. After each kill the URC
# restarted from its image file passes `urc-sim check`, the same restore then
# completes, and the URC equals the backup. The backup and the URC hold raw
# codes in the same storage blocks, so the restore has to release blocks
# before it reuses them.
# Usage: restore_crash.sh FOLDER-OF-THE-BUILT-PROGRAMS [ROUNDS]
set -euo pipefail
BIN=${1:?usage: restore_crash.sh FOLDER [ROUNDS]}
ROUNDS=${2:-24}
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
raw() { echo "raw 38000 +3500 -1750 $(for i in $(seq "$1"); do printf '+500 -%d ' $((400 + 90 * (i % $2))); done)+500"; }

# The backup: three raw codes and a protocol code.
start_sim
tool set 05 --raw "$(raw 24 3)" >/dev/null
tool set 06 --raw "$(raw 40 5)" >/dev/null
tool set 07 --protocol nec 1 2 >/dev/null
tool set 10 --raw "$(raw 30 7)" >/dev/null
tool backup "$DIR/backup.img" --quiet
# The URC before the restore: emptied, then other raw codes in the same blocks.
kill_sim
rm -f "$DIR/urc.img"
start_sim
tool set 06 --raw "$(raw 36 4)" >/dev/null
tool set 11 --raw "$(raw 20 6)" >/dev/null
tool set 05 --protocol rc5 3 4 >/dev/null
kill_sim
cp "$DIR/urc.img" "$DIR/changed.img"
cmp -s "$DIR/changed.img" "$DIR/backup.img" && fail "the two images do not differ"

# Every write of the emulated URC renames a new image over the old one. The
# watch holds the image as it was, so a write shows as the path no longer
# naming the held file. The polls use builtins only: a fork per poll, on a
# loaded machine, lets several writes pass unseen.
image_fd=
watch_image() {
  [[ -z "$image_fd" ]] || exec {image_fd}<&-
  exec {image_fd}<"$DIR/urc.img"
}
image_written() { ! [[ "$DIR/urc.img" -ef /dev/fd/$image_fd ]]; }
# A millisecond's pause without a fork: a read that times out on a pipe that
# nobody writes to.
exec {idle_fd}<> <(:)
pause_briefly() { read -r -t 0.001 -u "$idle_fd" _ || true; }
# wait_first_write PID: returns once the image has been written, or once the
# restore PID has ended without writing.
wait_first_write() {
  while ! image_written && kill -0 "$1" 2>/dev/null; do pause_briefly; done
}
now_ms() { echo $(($(date +%s%N) / 1000000)); }

# How long an undisturbed restore writes at the link's usual latency, from its
# first write to its last (a read-back follows), so the kills fall inside.
cp "$DIR/changed.img" "$DIR/urc.img"
start_sim 1
watch_image
tool restore "$DIR/backup.img" --quiet >/dev/null &
restore_pid=$!
wait_first_write "$restore_pid"
first_write=$(now_ms) last_write=$first_write writes=1
watch_image
while kill -0 "$restore_pid" 2>/dev/null; do
  if image_written; then
    last_write=$(now_ms) writes=$((writes + 1))
    watch_image
  fi
done
wait "$restore_pid" || fail "the undisturbed restore failed"
span_ms=$((last_write - first_write))
tool verify "$DIR/backup.img" --quiet >/dev/null || fail "the undisturbed restore is not equal"
kill_sim
((writes > 1)) || fail "the restore made $writes write that could be seen; a kill cannot fall between two"

torn=0
for round in $(seq "$ROUNDS"); do
  cp "$DIR/changed.img" "$DIR/urc.img"
  start_sim 1
  watch_image
  tool restore "$DIR/backup.img" --quiet >/dev/null 2>&1 &
  restore_pid=$!
  wait_first_write "$restore_pid"
  delay_ms=$((RANDOM % (span_ms + 1)))
  sleep "$((delay_ms / 1000)).$(printf '%03d' $((delay_ms % 1000)))"
  kill_sim
  wait "$restore_pid" 2>/dev/null || true
  cmp -s "$DIR/urc.img" "$DIR/changed.img" || cmp -s "$DIR/urc.img" "$DIR/backup.img" ||
    torn=$((torn + 1))
  start_sim
  out=$(sim check 2>&1) || fail "round $round: urc-sim check after the kill: $out"
  out=$(tool restore "$DIR/backup.img" --quiet 2>&1) || fail "round $round: the restore again: $out"
  kill_sim
  cmp -s "$DIR/urc.img" "$DIR/backup.img" || fail "round $round: the URC differs from the backup"
done
((torn > 0)) || fail "no kill fell inside a restore in $ROUNDS rounds (it writes for $span_ms ms)"
echo "ok: $ROUNDS rounds, $torn killed between two writes of the restore (it writes for $span_ms ms)"
