# The URC's memory read with `urc-sim dump` and decoded here, apart from the
# program, so that what the program shows can be held against what the URC
# really holds. Words are two bytes, least significant first.

# mem_hex ADDRESS LENGTH (decimal): the bytes as hexadecimal text.
mem_hex() {
  local out
  out=$(sim dump "$(printf '%04X' "$1")" "$(printf '%X' "$2")") || fail "urc-sim dump $1 $2 failed"
  echo "$out"
}

# byte_at HEX OFFSET / word_at HEX OFFSET: numbers from a dumped text.
byte_at() { echo $((16#${1:$(($2 * 2)):2})); }
word_at() { echo $((16#${1:$(($2 * 2 + 2)):2}${1:$(($2 * 2)):2})); }

# Sets MEM_* from the layout block and the header: the header address, the
# counts, and the addresses of the key-record table, the allocation area and
# the code storage.
read_memory_map() {
  local layout header base
  layout=$(mem_hex $((0xB03C)) 16)
  MEM_HEADER=$(word_at "$layout" 0)
  base=$(word_at "$layout" 6)
  header=$(mem_hex "$MEM_HEADER" 40)
  MEM_RECORDS=$(word_at "$header" 0)
  MEM_ALLOC_RECORDS=$(byte_at "$header" 7)
  MEM_BLOCKS=$(word_at "$header" 8)
  MEM_KEYS=$(byte_at "$header" 32)
  MEM_KEY_TABLE=$(pointer_address "$(word_at "$header" 16)" "$base")
  MEM_ALLOC_AREA=$(pointer_address "$(word_at "$header" 26)" "$base")
  MEM_STORAGE=$(pointer_address "$(word_at "$header" 28)" "$base")
  MEM_MAP_SIZE=$(((MEM_BLOCKS + 7) / 8))
}

# A stored pointer v is an address v - P from the pointer base P on, else
# v + H (the header address).
pointer_address() {
  if (($1 >= $2)); then echo $(($1 - $2)); else echo $(($1 + MEM_HEADER)); fi
}

# The key codes in the URC's order, one per line.
memory_key_codes() {
  local list i
  list=$(mem_hex $((MEM_HEADER + 32)) $((MEM_KEYS + 1)))
  for ((i = 1; i <= MEM_KEYS; i++)); do echo "${list:$((i * 2)):2}"; done
}

# key_record CODE: the 22 bytes of the record of key CODE, as hexadecimal text.
key_record() {
  local index
  read_memory_map
  index=$(memory_key_codes | grep -nx "$1" | head -n1 | cut -d: -f1) ||
    fail "the URC has no key $1"
  mem_hex $((MEM_KEY_TABLE + 22 * (index - 1))) 22
}

# "CODE STATE" for each key of the program's key panel, as the URC's memory
# has it (a key the URC does not list holds no code; the first record of a
# code that is listed twice counts).
memory_key_states() {
  local codes table
  read_memory_map
  codes=$(mem_hex $((MEM_HEADER + 33)) "$MEM_KEYS")
  table=$(mem_hex "$MEM_KEY_TABLE" $((22 * MEM_KEYS)))
  awk -v codes="$codes" -v table="$table" -v keys="$MEM_KEYS" '
    function hex(t, v, i) {
      v = 0
      for (i = 1; i <= length(t); i++) v = v * 16 + index("0123456789ABCDEF", toupper(substr(t, i, 1))) - 1
      return v
    }
    BEGIN {
      for (i = 0; i < keys; i++) {
        code = toupper(substr(codes, 2 * i + 1, 2))
        if (code in state) continue
        flags = hex(substr(table, 44 * i + 1, 2))
        # bit 7 set and bit 5 clear: a code; bit 6 then tells a learned one
        if (int(flags / 128) % 2 == 1 && int(flags / 32) % 2 == 0)
          state[code] = int(flags / 64) % 2 == 1 ? 2 : 1
        else
          state[code] = 0
      }
    }
    { print $1, ($1 in state) ? state[$1] : 0 }' "$KEY_RECTS"
}

# The in-use allocation records, 12 hexadecimal digits each, one per line.
used_alloc_records() {
  local area i record
  read_memory_map
  area=$(mem_hex "$MEM_ALLOC_AREA" $((MEM_MAP_SIZE + 6 * MEM_ALLOC_RECORDS)))
  for ((i = 0; i < MEM_ALLOC_RECORDS; i++)); do
    record=${area:$(((MEM_MAP_SIZE + 6 * i) * 2)):12}
    (($(word_at "$record" 3) & 0x8000)) && echo "$record"
  done
  return 0
}

# The number of storage blocks marked in use in the block map.
used_block_count() {
  local map bits=0 i byte
  read_memory_map
  map=$(mem_hex "$MEM_ALLOC_AREA" "$MEM_MAP_SIZE")
  for ((i = 0; i < MEM_MAP_SIZE; i++)); do
    byte=$((16#${map:$((i * 2)):2}))
    while ((byte)); do bits=$((bits + (byte & 1))); byte=$((byte >> 1)); done
  done
  echo "$bits"
}

# expect_sent CODE TEXT: the URC, sending the code of key CODE, emits TEXT.
expect_sent() {
  local out
  # stderr apart: a URC with a real transmitter says there that it sent.
  out=$(sim send "$1" 2>"$E2E_DIR/send.err") || fail "urc-sim send $1 failed: $(cat "$E2E_DIR/send.err")"
  [[ "$out" == "$2" ]] || fail "key $1 sends '$out', expected '$2'"
}

# expect_no_code CODE: the URC holds no code for key CODE and sends nothing.
expect_no_code() {
  local out
  if out=$(sim send "$1" 2>&1); then fail "key $1 still sends '$out'"; fi
  [[ "$out" == *"holds no code"* ]] || fail "urc-sim send $1: unexpected answer '$out'"
}
