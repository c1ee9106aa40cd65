#!/usr/bin/env bash
# urc-tool plot end to end against urc-sim: keys and a signal not learned yet
# drawn one row each into PNG, SVG and PDF files (the format by the suffix), a
# signal given without a URC at all, and bad requests refused by name with the
# usage's exit status and nothing written.
# Usage: plot.sh FOLDER-OF-THE-BUILT-PROGRAMS
set -uo pipefail
BIN=${1:?usage: plot.sh FOLDER}
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
tool() { timeout 10 "$BIN/urc-tool" "$@"; }
sim() { timeout 5 "$BIN/urc-sim" "$@"; }

# A raw signal needs no URC: none is serving yet.
tool plot --raw "raw 38000 +9000 -4500 +560 -40000" -o "$DIR/given.png" || fail "plot --raw"
start_sim 0
tool set 05 --protocol nec 4 8 >/dev/null || fail "set 05"
tool set 14 --protocol rc5 5 12 >/dev/null || fail "set 14"
printf 'begin remote\n name R\n flags RAW_CODES\n frequency 36000\n begin raw_codes\n  name K\n   889 889 1778\n end raw_codes\nend remote\n' \
  >"$DIR/r.conf"
tool plot --keys 05,CBL/1 --lircd "$DIR/r.conf" K -o "$DIR/rows.PNG" || fail "plot --keys --lircd"
tool plot TV/MUTE --pronto "0000 006D 0002 0000 0156 00AB 0015 0F00" -o "$DIR/two.svg" ||
  fail "plot KEY --pronto"
tool plot 05 -o "$DIR/one.pdf" || fail "plot to PDF"
file "$DIR/given.png" | grep -q "PNG image data, [0-9]* x 159" || fail "given.png: $(file "$DIR/given.png")"
file "$DIR/rows.PNG" | grep -q "PNG image data, [0-9]* x 347" || fail "three rows: $(file "$DIR/rows.PNG")"
grep -q '<svg' "$DIR/two.svg" || fail "two.svg is no SVG"
head -c 5 "$DIR/one.pdf" | grep -q '%PDF-' || fail "one.pdf is no PDF"
grep -qa '/Title (TV/MUTE: nec 0x04 0x08, 38.0 kHz)' "$DIR/one.pdf" || fail "one.pdf lacks its title"

expect 2 "plot needs -o FILE.png, -o FILE.svg or -o FILE.pdf" tool plot 05 -o "$DIR/x.gif"
expect 2 "plot takes at most one of --raw, --pronto and --lircd" \
  tool plot --raw "raw 38000 +900" --pronto "0000 006D" -o "$DIR/x.png"
expect 2 "\"05,,14\" has an empty one" tool plot --keys 05,,14 -o "$DIR/x.png"
expect 2 "a plot holds at most 10 rows; 11 were asked for" \
  tool plot --keys 05,05,05,05,05,05,05,05,05,05,05 -o "$DIR/x.png"
expect 1 "key 01 holds no code" tool plot 01 -o "$DIR/x.png"
expect 1 "is a folder, not a lircd.conf" tool plot --lircd "$DIR" K -o "$DIR/x.png"
[[ ! -e "$DIR/x.png" && ! -e "$DIR/x.gif" ]] || fail "a refused plot wrote its file"
echo "plot: all passed"
