#pragma once
// The main window's copies of the URC's tables, read once at start-up and kept
// up to date by learning and deleting. Every change is made to these copies
// and to the URC together.
#include <string>
#include <vector>

namespace device {

struct UrcTables {
    // One entry per key code, in the URC's order: two hex digits of the key
    // code, "|", and the state ("0" no code, "1" not learned here, "2" learned).
    // Entry i belongs to key record i; never sorted, changed only in place.
    std::vector<std::string> LearnedKeys;
    // Identifiers (six hex digits) of codes that learned keys keep in storage.
    std::vector<std::string> StoredCodeIds;
    // Identifiers listed in the URC's code-identifier table.
    std::vector<std::string> BuiltinCodeIds;
    // First 30 hex digits of the identity block.
    std::string DeviceIdentity;
    // Two hex digits: the first argument of every write.
    std::string WriteSelector;
    int KeyTableAddress = 0;
    int AllocAreaAddress = 0;
    int StorageAddress = 0;
    int StorageBlockCount = 0;
    // Number of 6-byte allocation records the allocation area holds (E).
    int AllocRecordCapacity = 0;
    // One "0"/"1" character per storage block, "1" = in use.
    std::string BlockMap;
    // The in-use allocation records, 12 hex digits each, newest last.
    std::string AllocRecords;
    // The slot (0 to E - 1) each record of AllocRecords occupies in the
    // allocation area, in the same order. The URC skips free slots, so a record
    // must be written back to the slot it came from. Tables filled without
    // slots (empty here) hold records packed from slot 0.
    std::vector<int> AllocRecordSlots;
};

} // namespace device
