#pragma once
// Planning what learning a converted code writes into the URC. Nothing here
// touches the device: a plan lists the writes in the order that keeps the URC
// consistent at every step (code data, then the allocation area, then the key
// record that refers to them) and the window's tables as they are once every
// write has succeeded. A code that cannot be stored is refused before anything
// is written.
#include "device/core/urc_tables.h"

#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace learning {

// "I::P:Q:::D" taken apart.
struct ConvertedCode {
    std::string id; // I, six hex digits
    std::string p;
    std::string q;
    std::string data; // D
};

// nullopt for a text lacking a separator, I not six hex digits, P, Q or D not
// hex, or D not a whole number (at least one) of 8-byte blocks.
std::optional<ConvertedCode> splitConvertedText(std::string_view text);

bool IsBuiltinCode(const device::UrcTables& tables, std::string_view id);
bool isStoredCode(const device::UrcTables& tables, std::string_view id);
// A raw code's identifier (0x22 or more, naming no form): its data is its own.
bool isRawId(const device::UrcTables& tables, std::string_view id);
// "00" when the code lives in the URC itself, "80" when its data lies in the
// code storage.
std::string storageFlag(const device::UrcTables& tables, std::string_view id);

// "C000" + flag + I + P + Q.
std::string keyRecordText(std::string_view flag, const ConvertedCode& code);
// I, then the low and high byte of 0x8000 + firstBlock, then the block count.
std::string allocRecordText(std::string_view id, int firstBlock, int blockCount);
// The block map packed eight flags a byte, the first flag the most
// significant bit.
std::string BlockMapToHex(std::string_view blockMap);
// First block of the first free run of `count` blocks that lies inside the
// map and the code storage; nullopt when there is none.
std::optional<int> findFreeRun(std::string_view blockMap, int storageBlockCount, int count);

struct Write {
    int address = 0;
    std::string hex;
    bool operator==(const Write&) const = default;
};

struct StoragePlan {
    std::vector<Write> writes;
    // The tables to keep once every write has succeeded: the key's entry marked
    // learned and, when data was stored, the identifier, block map and
    // allocation record added.
    device::UrcTables after;
};

enum class PlanFailure {
    BadConvertedText,  // separators, digits or data length wrong
    BadRecordLength,   // the key record is not exactly 22 bytes
    NoSuchKey,         // the key index has no entry in LearnedKeys
    TooManyBlocks,     // more than 255 blocks: the count does not fit its byte
    NoFreeBlocks,      // no free run of blocks in the code storage
    NoFreeAllocRecord, // every allocation record is in use
    OutsideMemory,     // a write would pass the end of the URC's memory
};

std::string_view failureText(PlanFailure failure);

// keyIndex is the index of the key's entry in LearnedKeys (key record i).
std::variant<StoragePlan, PlanFailure>
planLearnedCode(const device::UrcTables& tables, std::size_t keyIndex, std::string_view converted);

} // namespace learning
