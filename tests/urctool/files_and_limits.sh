#!/usr/bin/env bash
# urc-tool and urc-sim against what they are given, end to end:
#  - signals past a limit of the URC are refused before anything is written,
#    with the limit and the value, and the URC's memory stays as it was;
#  - inputs are regular files within their bound: a FIFO, a folder and
#    /dev/zero are refused at once (each bounded by `timeout 5`, which a hang
#    would reach);
#  - export -o and plot -o replace FILE whole: a link at FILE is replaced
#    (its target untouched, a dangling link's target not made), a FIFO or a
#    folder is refused and left, a write that fails leaves the old file, and
#    the file's permissions are kept;
#  - labels that differ only in case reach their own keys.
# Usage: files_and_limits.sh FOLDER-OF-THE-BUILT-PROGRAMS
set -uo pipefail
BIN=${1:?usage: files_and_limits.sh FOLDER}
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
# Each command bounded: a hang ends in the 124 of timeout, which no check takes.
tool() { timeout 5 "$BIN/urc-tool" "$@"; }
sim() { timeout 5 "$BIN/urc-sim" "$@"; }
start_sim

memory() { sim dump 0000 10000 | md5sum; }

# --- limits: nothing written, the limit and the value named
tool set 05 --protocol nec 4 8 >/dev/null || fail "set 05"
before=$(memory)
expect 1 "mark 1000000 us: the URC stores marks up to 327670 us" \
  tool set 06 --raw "raw 38000 +1000000 -4500 +560"
expect 1 "the URC stores marks up to 327670 us" \
  tool set 06 --pronto "0000 006D 0002 0000 FFFF FFFF 0015 0F00"
many="raw 38000$(for _ in $(seq 10000); do printf ' +560 -560'; done)"
expect 1 "20000 durations need" tool set 06 --raw "$many"
varied="raw 38000$(for i in $(seq 0 2 1499); do printf ' +%d -%d' $((300 + i)) $((301 + i)); done)"
expect 1 "the URC stores at most 1020 varied durations" tool set 06 --raw "$varied"
printf 'begin remote\n name R\n flags SPACE_ENC\n bits 8\n one 560 1690\n zero 560 560\n header 4294976296 4500\n begin codes\n  K 0x12\n end codes\nend remote\n' \
  >"$DIR/wrap.conf"
expect 2 "header 4294976296 us: durations go up to 10000000 us" \
  tool set 06 --lircd "$DIR/wrap.conf" K
[[ "$(memory)" == "$before" ]] || fail "a refused set changed the URC's memory"

# --- inputs: regular files only, within their bound, refused at once
mkfifo "$DIR/fifo"
mkdir "$DIR/folder"
expect 1 "$DIR/fifo is a FIFO, not a lircd.conf" tool set 06 --lircd "$DIR/fifo" K
expect 1 "/dev/zero is a device, not a lircd.conf" tool set 06 --lircd /dev/zero K
expect 1 "$DIR/folder is a folder, not a lircd.conf" tool set 06 --lircd "$DIR/folder" K
head -c $((1024 * 1024 + 1)) /dev/zero | tr '\0' ' ' >"$DIR/big.conf"
expect 1 "is larger than a lircd.conf can be" tool set 06 --lircd "$DIR/big.conf" K
expect 1 "$DIR/fifo is a FIFO, not a capture file" sim press --raw "$DIR/fifo"
expect 1 "/dev/zero is a device, not a capture file" sim press --raw /dev/zero
[[ "$(memory)" == "$before" ]] || fail "a refused input changed the URC's memory"

# --- outputs: replaced whole, never through a link
for code in 06 07 10 11; do tool set $code --protocol necx 0x12$code 0x$code >/dev/null; done
echo keep >"$DIR/target"
ln -s "$DIR/target" "$DIR/link.json"
ln -s "$DIR/nowhere" "$DIR/dangling.svg"
tool export --format json -o "$DIR/link.json" || fail "export over a link"
[[ -f "$DIR/link.json" && ! -L "$DIR/link.json" && "$(cat "$DIR/target")" == keep ]] ||
  fail "export wrote through the link at its file"
tool plot 05 -o "$DIR/dangling.svg" || fail "plot over a dangling link"
[[ -f "$DIR/dangling.svg" && ! -L "$DIR/dangling.svg" && ! -e "$DIR/nowhere" ]] ||
  fail "plot followed the dangling link"
mkfifo "$DIR/fifo.svg"
expect 1 "$DIR/fifo is a FIFO; only a regular file" tool export --format lircd -o "$DIR/fifo"
expect 1 "$DIR/fifo.svg is a FIFO" tool plot 05 -o "$DIR/fifo.svg"
mkdir "$DIR/folder.png"
expect 1 "$DIR/folder.png is a folder" tool plot 05 -o "$DIR/folder.png"
[[ -p "$DIR/fifo" && -p "$DIR/fifo.svg" && -d "$DIR/folder.png" ]] || fail "a refused output was changed"
# A full disk, as the file-size limit: the old files stay and the reason is given.
chmod 640 "$DIR/link.json" # kept by every write that replaces the file
cp -p "$DIR/link.json" "$DIR/old.json"
cp "$DIR/dangling.svg" "$DIR/old.svg"
(
  trap '' XFSZ
  ulimit -f 2
  tool set 05 --protocol nec 4 9 >/dev/null # the export differs from old.json
  "$BIN/urc-tool" export --format json -o "$DIR/link.json" 2>"$DIR/err.json"
  echo $? >"$DIR/status.json"
  "$BIN/urc-tool" plot 05 -o "$DIR/dangling.svg" 2>"$DIR/err.svg"
  echo $? >"$DIR/status.svg"
)
for kind in json svg; do
  [[ $(cat "$DIR/status.$kind") == 1 ]] || fail "a failed $kind write ended with $(cat "$DIR/status.$kind")"
  grep -q "File too large" "$DIR/err.$kind" || fail "no reason for the failed $kind write: $(cat "$DIR/err.$kind")"
done
cmp -s "$DIR/old.json" "$DIR/link.json" || fail "a failed export destroyed the old file"
cmp -s "$DIR/old.svg" "$DIR/dangling.svg" || fail "a failed plot destroyed the old file"
[[ -z "$(find "$DIR" -maxdepth 1 -name '*.tmp-*')" ]] || fail "a temporary file was left"
tool export --format json -o "$DIR/link.json" || fail "export over the old file"
cmp -s "$DIR/old.json" "$DIR/link.json" && fail "the export did not replace the old file"
[[ $(stat -c %a "$DIR/link.json") == 640 ]] || fail "the export did not keep the file's permissions"

# --- labels differing only in case
tool set CBL/BACK --protocol nec 1 2 >/dev/null || fail "set CBL/BACK"
tool set CBL/back --protocol nec 1 3 >/dev/null || fail "set CBL/back"
[[ "$(sim send 34)" == "nec 0x01 0x02" && "$(sim send 50)" == "nec 0x01 0x03" ]] ||
  fail "CBL/BACK and CBL/back did not reach keys 34 and 50"
expect 2 "CBL/BACK (key 34) or CBL/back (key 50)" tool set cbl/Back --protocol nec 1 4
[[ $(tool export --format pronto --keys CBL/BACK,CBL/back | cut -d' ' -f1 | tr '\n' ' ') == \
  "CBL_BACK CBL_BACK_50 " ]] || fail "export --keys CBL/BACK,CBL/back: $(tool export --format pronto --keys CBL/BACK,CBL/back)"

sim check >"$DIR/check" 2>&1 || fail "urc-sim check: $(cat "$DIR/check")"
echo "ok: limits refused unwritten, inputs and outputs bounded and replaced whole"
