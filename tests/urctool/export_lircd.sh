#!/usr/bin/env bash
# The exported lircd.conf against LIRC's own decoder: every learned key (each
# protocol and raw codes of one and two frames), as the URC emits it, is read
# back by irsimreceive as that key's name and no other.
# Each recognised form LIRC has an encoding for is exported as a remote of
# that encoding, the others as raw codes.
# Keys set from lircd.confs of our own (SPACE_ENC, RC6) come back as their
# names too.
# The URC's emission: `urc-sim send` gives raw codes' timings itself; for a
# protocol it names the protocol, which must equal the export's decoded form,
# and the timings come from the JSON export.
# Usage: export_lircd.sh FOLDER-OF-THE-BUILT-PROGRAMS
set -euo pipefail
BIN=${1:?usage: export_lircd.sh FOLDER}
command -v irsimreceive >/dev/null || { echo "FAIL: irsimreceive (Debian lirc) is missing" >&2; exit 1; }
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
start_sim

# Key, then what it learns.
keys=(
  "05 --protocol nec 4 8"
  "06 --protocol necx 0x1234 0x56"
  "07 --protocol rc5 3 12"
  "12 --protocol sirc12 1 21"
  "13 --protocol sirc15 0x20 0x33"
  "14 --protocol sirc20 0x1234 0x11"
  "15 --raw raw_one"
  "16 --raw raw_two"
  "20 --pronto pronto"
  "23 --protocol rc6 0x12 0x34"
  "24 --protocol jvc 0x03 0x17"
  "25 --protocol panasonic 0x0100 0x3D"
  "26 --protocol samsung32 0x0707 0x02"
  "27 --protocol samsung36 0x0400 0x123"
  "30 --protocol denon 0x04 0x5A"
  "31 --protocol sharp 0x01 0xC2"
  "32 --protocol rc5x 0x1A 0x21"
  "33 --protocol rc6a32 0x800F 0x040C"
  "34 --protocol aiwa 0x0123 0x45"
  "35 --protocol pioneer 0xA5 0x1B"
  "36 --protocol mitsubishi 0x47 0x12"
  "37 --protocol nokia32 0x1234 0x5678"
  "40 --protocol nrc17 0x05 0x34"
  "41 --protocol thomson 0x3 0x2A"
  "42 --protocol dish 0x07 0x1C"
  "43 --protocol directv 0x5 0x9A"
  "44 --protocol bose 0 0x3C"
  "45 --protocol apple 0x5A 0x23"
  "46 --protocol rca 0x7 0x44"
  "47 --protocol panasonic-old 0x0E 0x21"
  "50 --protocol nec2 0x08 0x19"
  "51 --protocol nec32 0x1234 0x5678"
  "52 --protocol jvc48 0x0203 0x5C"
  "53 --protocol nec 4 9"
)
# Forms without a LIRC encoding (two-bit symbols, a silence inside biphase
# bits): exported as raw codes; every other form is a remote of its encoding.
raw_forms=" nokia32 directv rc5x "
raw_one="raw 38000 +3500 -1750 +500 -400 +500 -1300 +500 -400 +500 -1300 +500 -1300 +500 -400 +500"
raw_two="raw 36000 +2600 -2600 +600 -600 +600 -1800 +600 -1800 +600 -600 +600 -30000 +2600 -2600 +600 -600 +600 -1800 +600"
pronto="0000 006D 0004 0000 0080 0040 0010 0030 0010 0010 0010 0F00"
for entry in "${keys[@]}"; do
  read -r code option a b c <<<"$entry"
  case $a in
  raw_one) tool set "$code" --raw "$raw_one" >/dev/null ;;
  raw_two) tool set "$code" --raw "$raw_two" >/dev/null ;;
  pronto) tool set "$code" --pronto "$pronto" >/dev/null ;;
  *) tool set "$code" "$option" "$a" "$b" "$c" >/dev/null ;;
  esac
done
# Remotes of our own (pulse distance, RC6), their keys set from them.
cat >"$DIR/own.conf" <<'CONF'
begin remote
  name  OWN
  bits  16
  flags SPACE_ENC|CONST_LENGTH
  eps   30
  aeps  100
  header 3400 1700
  one    420 1270
  zero   420 420
  ptrail 420
  pre_data_bits 8
  pre_data 0xA5
  gap   90000
  begin codes
    OWN_UP   0x12ED
    OWN_DOWN 0x7788
  end codes
end remote
begin remote
  name  OWN_RC6
  bits  16
  flags RC6|CONST_LENGTH
  eps   30
  aeps  100
  header 2666 889
  one    444 444
  zero   444 444
  pre_data_bits 5
  pre_data 0x0E
  rc6_mask 0x10000
  toggle_bit_mask 0x10000
  gap   106000
  frequency 36000
  begin codes
    OWN_RC6_OK 0xF3A5
  end codes
end remote
CONF
tool set 21 --lircd "$DIR/own.conf" OWN_UP >/dev/null
tool set 22 --lircd "$DIR/own.conf" OWN_DOWN >/dev/null
tool set 54 --lircd "$DIR/own.conf" OWN_RC6_OK >/dev/null
tool export --format lircd -o "$DIR/urc.conf"
tool export --format json -o "$DIR/urc.json"

# irsimreceive leaves its dummy.out in the working folder: keep it in ours.
cd "$DIR"

# pulse_space "raw HZ +M -S ...": the emission as irsimreceive reads it,
# after a long silence.
pulse_space() {
  echo "space 200000"
  local word
  for word in ${1#raw * }; do
    case $word in
    +*) echo "pulse ${word#+}" ;;
    -*) echo "space ${word#-}" ;;
    esac
  done
}
# json_field CODE FIELD: a field of the key's line in the JSON export.
json_line() { grep "\"code\":\"$1\"" "$DIR/urc.json"; }

# emission_of CODE: the key's emission as pulse_space gives it.
emission_of() {
  local sent line
  sent=$(sim send "$1") || fail "urc-sim send $1"
  line=$(json_line "$1") || fail "key $1 is missing from the JSON export"
  if [[ $sent != raw* ]]; then
    [[ $line == *"\"form\":\"$sent\""* ]] || fail "key $1 sends '$sent'; the export says $line"
    sent="raw 0 $(sed -n 's/.*"durations":\[\([0-9,]*\)\].*/\1/p' <<<"$line" |
      awk -F, '{for (i = 1; i <= NF; ++i) printf "%s%s ", (i % 2 ? "+" : "-"), $i}')"
  fi
  pulse_space "$sent"
}
# irsimreceive reads all the emissions in one run (it takes a while to
# start): each key's name must come out once in turn (its repeats are read
# as the same name), no other name between them.
names_read() { irsimreceive "$1" "$2" 2>&1 | awk 'NF == 4 {print $3}' | uniq; }
: >"$DIR/emissions.txt"
expected=
for entry in "${keys[@]}"; do
  code=${entry%% *}
  emission_of "$code" >>"$DIR/emissions.txt"
  name=$(sed -n 's/.*"name":"\([^"]*\)".*/\1/p' <<<"$(json_line "$code")")
  expected+="$name ($code: $(sim send "$code"))"$'\n'
done
decoded=$(names_read "$DIR/urc.conf" "$DIR/emissions.txt")
[[ "$decoded" == "$(sed 's/ (.*//' <<<"$expected")" ]] ||
  fail "irsimreceive read the keys as: ${decoded//$'\n'/ }; expected, in turn: ${expected//$'\n'/, }"
checked=${#keys[@]}
# Each recognised form LIRC has an encoding for is a remote of it, keys of
# one device together (TV_MUTE and key 53 both nec, device 4).
for entry in "${keys[@]}"; do
  read -r code option form _ <<<"$entry"
  [[ $option == --protocol ]] || continue
  if [[ $raw_forms == *" $form "* ]]; then
    ! grep -q "name  QZT-617_$form\$" "$DIR/urc.conf" || fail "$form has no LIRC encoding, yet a remote"
  else
    grep -q "^  name  QZT-617_$form\$" "$DIR/urc.conf" || fail "$form is not a remote of its encoding"
  fi
done
[[ $(sed -n '/name  QZT-617_nec$/,/end remote/p' "$DIR/urc.conf" | grep -c '^    [A-Z]') == 2 ]] ||
  fail "the two nec keys of device 4 are not one remote"
# The keys set from the remotes' own lircd.conf, as the URC emits them, are
# read by irsimreceive with that file as the keys they were set from.
: >"$DIR/emissions.txt"
for code in 21 22 54; do
  emission_of "$code" >>"$DIR/emissions.txt"
done
decoded=$(names_read "$DIR/own.conf" "$DIR/emissions.txt")
[[ "$decoded" == $'OWN_UP\nOWN_DOWN\nOWN_RC6_OK' ]] ||
  fail "the keys set from own.conf were read as: ${decoded//$'\n'/ }"
checked=$((checked + 3))
echo "ok: $checked keys read back by irsimreceive as their names"
