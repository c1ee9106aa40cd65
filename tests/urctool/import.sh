#!/usr/bin/env bash
# urc-tool import against urc-sim: a lircd.conf of a pulse-distance (NEC-like)
# remote and one of raw codes go to the keys their names mean, with the table
# of what went where; the URC then lists and sends them; a dry run and a
# remote too big for the storage leave the image file untouched.
# Usage: import.sh FOLDER-OF-THE-BUILT-PROGRAMS
set -uo pipefail
BIN=${1:?usage: import.sh FOLDER}
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
start_sim
image_state() { echo "$(md5sum <"$DIR/urc.img") $(stat -c '%i %Y' "$DIR/urc.img")"; }

# Our own definitions, written from lircd.conf's documentation: NEC's timing
# with address 0x04 (0x20 most significant bit first) and its complement.
cat >"$DIR/tv.conf" <<'CONF'
begin remote
  name  MYTV
  bits  16
  flags SPACE_ENC|CONST_LENGTH
  eps   30
  aeps  100
  header 9000 4500
  one    560 1690
  zero   560 560
  ptrail 560
  pre_data_bits 16
  pre_data 0x20DF
  gap 108000
  frequency 38000
  begin codes
    KEY_POWER       0x10EF
    KEY_MUTE        0x08F7
    MUTE            0x09F6
    VOL+            0x02FD
    KEY_VOLUMEDOWN  0x03FC
    CH+             0x00FF
    KEY_SLEEP       0x12ED
  end codes
end remote
begin remote
  name  RAWS
  flags RAW_CODES
  frequency 36000
  begin raw_codes
    name BTN_A
      3000 1000 500 1500 500 500 500 1500 500 500 500 1500 500
    name KEY_F2
      3000 1000 500 500 500 1500 500 500 500 1500 500 500 500 500 500
  end raw_codes
end remote
CONF

# --- a dry run prints the table and writes nothing
before=$(image_state)
expect 0 "nothing was written" tool import "$DIR/tv.conf" --device TV --dry-run
[[ "$(image_state)" == "$before" ]] || fail "a dry run changed the image"

# --- the NEC-like remote onto the TV keys
expect 0 "verified" tool import "$DIR/tv.conf" --device tv
for line in "KEY_POWER      00 (POWER/TV)          LIRC's name" \
  "VOL+           06 (TV/VOL+)           common spelling" \
  "KEY_SLEEP      -                      no key: the TV keys have none for LIRC's KEY_SLEEP" \
  "MUTE           -                      lost 05 (TV/MUTE) to KEY_MUTE" \
  "KEY_MUTE won: LIRC's name is the stronger reason" "5 of 7 codes go to a key"; do
  grep -qF -- "$line" "$DIR/out" || fail "import table lacks '$line': $(cat "$DIR/out")"
done
tool list >"$DIR/list" || fail "list"
for line in "00  POWER/TV         learned     nec 0x04 0x08" "05  TV/MUTE          learned     nec 0x04 0x10" \
  "06  TV/VOL+          learned     nec 0x04 0x40" "12  TV/VOL-          learned     nec 0x04 0xc0" \
  "07  TV/P+            learned     nec 0x04 0x00" "13  TV/P-            no code"; do
  grep -qF -- "$line" "$DIR/list" || fail "list lacks '$line': $(head -14 "$DIR/list")"
done
[[ "$(sim send 05)" == "nec 0x04 0x10" ]] || fail "key 05 sends '$(sim send 05)'"

# --- the raw remote onto the AMP keys, one code placed by a map file
printf '# my own names\nBTN_A AMP/input1\n' >"$DIR/map.txt"
expect 0 "verified" tool import "$DIR/tv.conf" --remote RAWS --device AMP --map "$DIR/map.txt"
grep -q "^BTN_A  *76 (AMP/input1)  *--map line 2$" "$DIR/out" || fail "map: $(cat "$DIR/out")"
[[ "$(sim send 76 --timings)" == "raw 36000 +3000 -1000 +500 -1500 +500 -500 "* ]] ||
  fail "key 76 sends $(sim send 76 --timings)"
tool list | grep -q "^83  AMP/F2  *learned     raw 36000 Hz, 16 durations" || fail "list: $(tool list | tail -8)"
sim check >/dev/null || fail "urc-sim check after importing: $(sim check 2>&1)"

# --- eight raw codes of 1000 durations of many lengths need more blocks than
# the storage has: refused whole, with the numbers, nothing written
{
  echo "begin remote"
  echo "  name BIG"
  echo "  flags RAW_CODES"
  echo "  begin raw_codes"
  for name in KEY_0 KEY_1 KEY_2 KEY_3 KEY_4 KEY_5 KEY_6 KEY_7; do
    echo "    name $name"
    line="      3000 1000"
    for i in $(seq 0 498); do line+=" 500 $((400 + 20 * (i % 30)))"; done
    echo "$line 500"
  done
  echo "  end raw_codes"
  echo "end remote"
} >"$DIR/big.conf"
before=$(image_state)
expect 1 "the 8 codes need 528 storage blocks and 8 allocation records; the URC has 506 blocks free of 512" tool import "$DIR/big.conf" --device CBL
grep -qF "nothing was written" "$DIR/out" || fail "refusal: $(cat "$DIR/out")"
[[ "$(image_state)" == "$before" ]] || fail "a refused import changed the image"
echo "ok: import places a remote's codes by name, writes them in one plan and refuses what does not fit"
