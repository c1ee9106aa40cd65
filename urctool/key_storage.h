#pragma once
// Storing a converted code in a key as learning does, shared by set and
// learn: the storage plan, the image check of the URC before and after its
// writes, then the writes in the plan's crash-safe order, each read back.
#include "urcmem/urc_memory.h"
#include "urctool/key_names.h"
#include "urctool/urc_access.h"

#include <string>

namespace urctool {

// "05 (TV/MUTE)", or the code alone for a key the key table lacks.
std::string keyName(const KeyInfo& key);

// Free blocks of the code storage as the block map gives them.
int freeBlocks(const device::UrcTables& tables);

// Throws ToolError when the URC's memory fails its image check: a write into
// tables that point past memory or share blocks would corrupt codes that are
// still good. `when` says which memory ("as read", "after these writes").
void requireConsistent(const urcmem::Memory& memory, const std::string& when);

// Plans `converted` ("I::P:Q:::D") into key `key` of the snapshot, refuses
// with the storage's numbers (free blocks, allocation records) before any
// write, checks the memory as it would be after the writes, and writes them
// in order, each read back. Throws ToolError naming what failed.
void storeConvertedCode(device::UrcLibrary& urc, const Snapshot& snapshot, const KeyInfo& key,
                        const std::string& converted);

} // namespace urctool
