#!/usr/bin/env bash
# Learning a raw code when the URC has no room for it: the code storage is
# full, or every allocation record is in use. The URC's image file (its 64 KiB
# of memory, address 0 first) is crafted for each case; the program must say
# "RC code is learned failly!" and leave the memory as it was.
# Usage: storage_full.sh FOLDER-OF-THE-BUILT-PROGRAMS
BIN=${1:-}
source "$(dirname "$0")/lib.sh"

RAW_SIGNAL="raw 38000 +3500 -1750 +500 -400 +500 -1300 +500 -1300 +500 -400 +500 -400 +500 -1300 +500 -400 +500 -1300 +500 -1300 +500 -400 +500"
RAW_FILE="$E2E_DIR/raw-remote.txt"
echo "$RAW_SIGNAL" >"$RAW_FILE"

# patch_image ADDRESS HEX: writes bytes into the stopped URC's image file.
patch_image() {
  [[ -z "$SIM_PID" ]] || fail "the image is patched only while the URC is stopped"
  printf '%b' "$(sed 's/../\\x&/g' <<<"$2")" |
    dd of="$URC_IMAGE" bs=1 seek="$1" conv=notrunc status=none || fail "cannot patch the image"
}

# repeat TEXT COUNT
repeat() {
  local out="" i
  for ((i = 0; i < $2; i++)); do out+=$1; done
  echo "$out"
}

# The raw code is refused, nothing at all is written, and the key stays plain.
expect_raw_code_refused() {
  local before
  before=$(memory_digest)
  start_app_and_wait
  click_learn
  choose_key_for_learning 07
  press --raw "$RAW_FILE"
  expect_box_and_answer "$LEARN_FAILED" Return information
  expect_key_look 07 0
  [[ "$(memory_digest)" == "$before" ]] || fail "a refused code changed the URC's memory"
  expect_no_code 07
  # A protocol code needs no storage and is still learned.
  learn_key 05 nec 0x04 0x08
  expect_sent 05 "nec 0x04 0x08"
  click_learn
  close_app
  end_with_fresh_start
}

every_storage_block_in_use() {
  begin_with_fresh_urc
  read_memory_map
  stop_sim
  patch_image "$MEM_ALLOC_AREA" "$(repeat FF "$MEM_MAP_SIZE")"
  start_sim
  check_memory
  [[ "$(used_block_count)" -eq $((MEM_MAP_SIZE * 8)) ]] || fail "the block map was not filled"
  expect_raw_code_refused
}

every_allocation_record_in_use() {
  begin_with_fresh_urc
  read_memory_map
  ((MEM_ALLOC_RECORDS <= MEM_BLOCKS)) || fail "the factory URC has more records than blocks"
  # Record j holds code 3000j+1 in storage block j alone; the rest of the
  # storage stays free, so only the records are missing.
  local records="" map j word
  for ((j = 0; j < MEM_ALLOC_RECORDS; j++)); do
    word=$((0x8000 + j))
    records+=$(printf '30%04X%02X%02X01' $((j + 1)) $((word & 0xFF)) $((word >> 8)))
  done
  map=$(repeat FF $((MEM_ALLOC_RECORDS / 8)))
  ((MEM_ALLOC_RECORDS % 8 == 0)) || map+=$(printf '%02X' $(((0xFF00 >> (MEM_ALLOC_RECORDS % 8)) & 0xFF)))
  stop_sim
  patch_image "$MEM_ALLOC_AREA" "$map"
  patch_image $((MEM_ALLOC_AREA + MEM_MAP_SIZE)) "$records"
  start_sim
  check_memory
  [[ "$(used_alloc_records | wc -l)" -eq "$MEM_ALLOC_RECORDS" ]] || fail "the records were not filled"
  expect_raw_code_refused
}

# E = 4 with slots 0 and 3 in use: the URC skips the free slots between, so
# learning must put its record in slot 1 and leave every other slot as it was.
free_allocation_slot_before_a_used_one() {
  begin_with_fresh_urc
  read_memory_map
  local free=000000000000 first=300001008001 last=300002018001 records out
  stop_sim
  patch_image $((MEM_HEADER + 7)) 04
  patch_image "$MEM_ALLOC_AREA" C0
  patch_image $((MEM_ALLOC_AREA + MEM_MAP_SIZE)) "$first$free$free$last"
  start_sim
  check_memory
  start_app_and_wait
  click_learn
  learn_key 07 --raw "$RAW_FILE"
  out=$(sim send 07 2>&1) || fail "urc-sim send 07 failed: $out"
  [[ "$out" == "$RAW_SIGNAL "-* ]] || fail "key 07 sends '$out'"
  check_memory
  records=$(mem_hex $((MEM_ALLOC_AREA + MEM_MAP_SIZE)) 24)
  [[ "${records:0:12}" == "$first" && "${records:24:24}" == "$free$last" ]] ||
    fail "the records read at start-up moved: $records"
  [[ "${records:12:6}" == "$(key_record 07 | cut -c7-12)" ]] &&
    (($(word_at "${records:12:12}" 3) & 0x8000)) || fail "slot 1 does not hold the new code: $records"
  click_learn
  close_app
  end_with_fresh_start
}

start_xvfb
scenario every_storage_block_in_use
scenario every_allocation_record_in_use
scenario free_allocation_slot_before_a_used_one
finish
