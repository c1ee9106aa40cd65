#pragma once
// The writes of an import as one plan: every code planned as learning plans
// it (learning::planLearnedCode) onto a copy of the URC's memory, the tables
// read again from the copy between keys, the keys being replaced emptied
// first so their storage is free for the new codes; then planRestore gives
// the writes from the URC as it is to the copy, in its crash-safe order.
#include "urcmem/memory_map.h"
#include "urctool/key_names.h"
#include "urctool/restore_plan.h"
#include "urctool/urc_access.h"

#include <string>
#include <vector>

namespace urctool {

struct KeyCode {
    KeyInfo key;
    std::string name;      // the code's name in the imported file
    std::string converted; // "I::P:Q:::D", as convertLikeLearning gives it
};

struct ImportPlan {
    urcmem::Memory target; // the URC's memory once every write is done
    std::vector<PlannedWrite> writes;
    int blocksNeeded = 0; // storage blocks the new codes take
    int blocksFree = 0;   // free once the replaced codes are gone
};

// Throws ToolError, before anything is written, when the codes do not fit the
// URC's storage (the blocks and allocation records needed against those free)
// or a code cannot be planned; the message names the numbers or the key.
ImportPlan planImport(const Snapshot& snapshot, const std::vector<KeyCode>& codes);

// The tables of a memory image, read as start-up reads them; the code
// identifier table (which no import writes) is taken from `original`.
device::UrcTables tablesOf(const urcmem::Memory& memory, const device::UrcTables& original);

} // namespace urctool
