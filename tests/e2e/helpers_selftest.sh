#!/usr/bin/env bash
# Checks of the end-to-end helpers that need no X server or URC: the judging
# of key colours and the decoding of URC words. A wrong threshold here would
# make the screen checks blind, so the colours of every key look are pinned.
set -euo pipefail
HERE=$(cd "$(dirname "$0")" && pwd)
failures=0

# look_of R G B: the state key_looks.awk gives a 4x4 key filled with one colour.
look_of() {
  local i
  for ((i = 0; i < 16; i++)); do echo "$1 $2 $3"; done |
    awk -v W=4 -f "$HERE/key_looks.awk" <(echo "K0 0 0 4 4") - | cut -d' ' -f2
}

while read -r r g b want what; do
  got=$(look_of "$r" "$g" "$b")
  if [[ "$got" != "$want" ]]; then
    echo "FAIL: $what ($r,$g,$b) judged '$got', expected '$want'" >&2
    failures=$((failures + 1))
  fi
done <<'EOF'
226 118 113 2 learned key (red)
103 188 113 1 key-with-a-code-from-elsewhere (green)
107 193 121 1 green key with a pale label
150 165 185 0 plain key (grey-blue)
123 141 166 0 plain key, darker
172 166 181 0 plain key with a red stripe on its label
194 140 51 C key chosen for learning (amber)
53 124 168 ? the window's background (panel hidden)
30 30 30 ? a dark frame
240 240 240 ? a box in front
EOF

# Two keys side by side in one picture: each is judged by its own pixels.
two_keys=$(
  for ((y = 0; y < 4; y++)); do
    for ((x = 0; x < 8; x++)); do
      if ((x < 4)); then echo "226 118 113"; else echo "150 165 185"; fi
    done
  done | awk -v W=8 -f "$HERE/key_looks.awk" <(printf 'A1 0 0 4 4\nB2 4 0 4 4\n') - | paste -sd' '
)
[[ "$two_keys" == "A1 2 B2 0" ]] || { echo "FAIL: two keys judged '$two_keys'" >&2; failures=$((failures + 1)); }

# Words are two bytes, least significant first; pointers below the base are
# relative to the header.
fail() { echo "FAIL: $*" >&2; exit 1; }
sim() { fail "no URC in the self-test"; }
source "$HERE/lib_memory.sh"
MEM_HEADER=$((0x1000))
while read -r hex offset kind want; do
  got=$("${kind}_at" "$hex" "$offset")
  [[ "$got" == "$want" ]] || { echo "FAIL: ${kind}_at $hex $offset = $got, expected $want" >&2; failures=$((failures + 1)); }
done <<'EOF'
3412 0 word 4660
00FF80 1 word 33023
AB 0 byte 171
0102C0 2 byte 192
EOF
while read -r value base want; do
  got=$(pointer_address "$value" "$base")
  [[ "$got" == "$want" ]] || { echo "FAIL: pointer $value (base $base) = $got, expected $want" >&2; failures=$((failures + 1)); }
done <<'EOF'
40000 32768 7232
32768 32768 0
100 32768 4196
EOF

((failures == 0)) || exit 1
echo "helpers ok"
