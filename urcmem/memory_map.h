#pragma once
// The URC's memory map as the device itself knows it: the fixed identity and
// layout blocks, the header found through the layout block, and the tables the
// header points to. These readers decode bytes; they never throw for a bad
// image (values that point outside memory are reported, not followed).
#include "urcmem/layout.h"
#include "urcmem/urc_memory.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace urcmem {

// nullopt when the header (with the key-code count) lies past 0xFFFF.
std::optional<Header> readHeader(const Memory& memory);

// The K key codes in the URC's order; empty when the list lies past 0xFFFF.
std::vector<uint8_t> keyCodes(const Memory& memory, const Header& header);

struct KeyRecord {
    std::array<uint8_t, kKeyRecordSize> bytes{};
    uint8_t flags() const { return bytes[0]; }
    uint8_t storageFlags() const { return bytes[2]; }
    uint32_t identifier() const {
        return (uint32_t(bytes[3]) << 16) | (uint32_t(bytes[4]) << 8) | bytes[5];
    }
    // Bit 7 set and bit 5 clear.
    bool holdsCode() const { return (flags() & 0xA0) == 0x80; }
    bool learned() const { return holdsCode() && (flags() & 0x40) != 0; }
    bool refersToStorage() const { return holdsCode() && (storageFlags() & 0x80) != 0; }
};

// Record i of the key-record table; nullopt when it lies past 0xFFFF.
std::optional<KeyRecord> keyRecord(const Memory& memory, const Header& header, int index);

struct AllocRecord {
    int slot = 0; // position in the allocation area, from 0
    uint32_t identifier = 0;
    bool inUse = false;
    int firstBlock = 0;
    int blockCount = 0;
};

// Reads the 6 bytes at address as an allocation record.
AllocRecord allocRecordAt(const Memory& memory, int address, int slot);
// The E records of the allocation area (those lying inside memory).
std::vector<AllocRecord> allocRecords(const Memory& memory, const Header& header);
// Whether the block map marks the block; false outside memory.
bool blockMarked(const Memory& memory, const Header& header, int block);

// The identifiers of the code-identifier table (those lying inside memory).
std::vector<uint32_t> codeIdentifiers(const Memory& memory, const Header& header);

// Six upper-case hexadecimal digits of an identifier.
std::string identifierText(uint32_t identifier);

// What a key holds, for replaying it: the 22-byte record and, when the record
// refers to the code storage, the data of the allocation record that has its
// identifier.
struct StoredCode {
    int recordIndex = 0;
    KeyRecord record;
    std::optional<std::vector<uint8_t>> data;
};
struct StoredCodeLookup {
    std::optional<StoredCode> code; // set on success
    std::string error;              // a sentence for a person otherwise
};
StoredCodeLookup storedCode(const Memory& memory, uint8_t keyCode);

} // namespace urcmem
