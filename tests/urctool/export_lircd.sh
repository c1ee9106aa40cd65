#!/usr/bin/env bash
# The exported lircd.conf against LIRC's own decoder: every learned key (each
# protocol and raw codes of one and two frames), as the URC emits it, is read
# back by irsimreceive as that key's name and no other.
# Keys set from a SPACE_ENC lircd.conf of our own come back as its names too.
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
)
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
# A pulse-distance remote's lircd.conf of our own, its keys set from it.
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
CONF
tool set 21 --lircd "$DIR/own.conf" OWN_UP >/dev/null
tool set 22 --lircd "$DIR/own.conf" OWN_DOWN >/dev/null
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

checked=0
for entry in "${keys[@]}"; do
  code=${entry%% *}
  sent=$(sim send "$code") || fail "urc-sim send $code"
  line=$(json_line "$code") || fail "key $code is missing from the JSON export"
  name=$(sed -n 's/.*"name":"\([^"]*\)".*/\1/p' <<<"$line")
  if [[ $sent == raw* ]]; then
    emission=$sent
  else
    [[ $line == *"\"form\":\"$sent\""* ]] || fail "key $code sends '$sent'; the export says $line"
    emission="raw 0 $(sed -n 's/.*"durations":\[\([0-9,]*\)\].*/\1/p' <<<"$line" |
      awk -F, '{for (i = 1; i <= NF; ++i) printf "%s%s ", (i % 2 ? "+" : "-"), $i}')"
  fi
  pulse_space "$emission" >"$DIR/emission.txt"
  decoded=$(irsimreceive "$DIR/urc.conf" "$DIR/emission.txt" 2>&1 | awk 'NF == 4 {print $3}' | sort -u)
  [[ "$decoded" == "$name" ]] ||
    fail "key $code ($sent) was read as '${decoded//$'\n'/ }', expected $name"
  checked=$((checked + 1))
done
((checked == ${#keys[@]})) || fail "only $checked keys were checked"
# The keys set from the remote's own lircd.conf, as the URC emits them, are
# read by irsimreceive with that file as the keys they were set from.
for pair in "21 OWN_UP" "22 OWN_DOWN"; do
  read -r code own <<<"$pair"
  sent=$(sim send "$code") || fail "urc-sim send $code"
  pulse_space "$sent" >"$DIR/emission.txt"
  decoded=$(irsimreceive "$DIR/own.conf" "$DIR/emission.txt" 2>&1 | awk 'NF == 4 {print $3}' | sort -u)
  [[ "$decoded" == "$own" ]] || fail "key $code set from $own was read as '$decoded'"
  checked=$((checked + 1))
done
echo "ok: $checked keys read back by irsimreceive as their names"
