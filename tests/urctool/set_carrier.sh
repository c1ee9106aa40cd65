#!/usr/bin/env bash
# urc-tool set keeps the carrier it is given (to the nearest kHz, what a raw
# code holds) and the frames of a recognised press, as the URC then sends
# them; a signal at a carrier far from a form's is not that form.
# Usage: set_carrier.sh FOLDER-OF-THE-BUILT-PROGRAMS
set -euo pipefail
BIN=${1:?usage: set_carrier.sh FOLDER}
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
start_sim

# expect_sends CODE TEXT: the first words of what the URC sends for the key.
expect_sends() {
  local sent
  sent=$(sim send "$1" --timings) || fail "urc-sim send $1"
  [[ "$sent" == "$2"* ]] || fail "key $1 sends '${sent:0:60}...', expected '$2...'"
}

bits="+500 -400 +500 -1300 +500 -400 +500 -1300 +500 -1300 +500"
for carrier in 36000 40000 56000 36400; do
  tool set 05 --raw "raw $carrier +3500 -1750 $bits" >/dev/null
  expect_sends 05 "raw $(((carrier + 500) / 1000 * 1000)) +3500 -1750"
done
# Pronto's carrier word 0x4A: 1e6 / (74 x 0.241246) = 56016 Hz.
tool set 06 --pronto "0000 004A 0004 0000 0080 0040 0010 0030 0010 0010 0010 0F00" >/dev/null
expect_sends 06 "raw 56000 "
# One RCA frame (device 9, command 2): at 56 kHz it is rca and is sent as one
# frame; at 38 kHz it is rca38 (the same frame at 38.7 kHz); at 47 kHz, far
# from both, it is a raw code at 47 kHz.
rca="+3680 -3680"
for bit in 1 0 0 1 0 0 0 0 0 0 1 0 0 1 1 0 1 1 1 1 1 1 0 1; do
  ((bit)) && rca+=" +460 -1840" || rca+=" +460 -920"
done
rca+=" +460 -20000"
tool set 07 --raw "raw 56000 $rca" >/dev/null
[[ "$(sim send 07)" == "rca 0x09 0x02" ]] || fail "the 56 kHz frame is sent as '$(sim send 07)'"
words=$(sim send 07 --timings | wc -w)
((words == 2 + 52)) || fail "one RCA frame pressed, $((words - 2)) durations sent"
tool set 10 --raw "raw 38000 $rca" >/dev/null
[[ "$(sim send 10)" == "rca38 0x09 0x02" ]] || fail "the 38 kHz frame is sent as '$(sim send 10)'"
expect_sends 10 "raw 38700 +3680 -3680 +460 -1840"
tool set 12 --raw "raw 47000 $rca" >/dev/null
expect_sends 12 "raw 47000 +3680 -3680 +460 -1840"
# A carrier no raw code holds is refused, naming the limit; nothing is written.
before=$(sim send 11 2>&1 || true)
expect 1 "carrier 300000 Hz: the URC keeps carriers of 1 to 255 kHz" tool set 11 --raw "raw 300000 $rca"
[[ "$(sim send 11 2>&1 || true)" == "$before" ]] || fail "key 11 changed"
sim check >/dev/null || fail "urc-sim check: $(sim check 2>&1)"
echo "ok: carriers and frames kept"
