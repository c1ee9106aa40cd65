#pragma once
// Reading and writing the URC through the device library: whole memory in the
// largest reads the library takes, checked writes that are read back, and a
// snapshot of the areas that describe the learned keys.
#include "device/core/urc_tables.h"
#include "device/urc_library.h"
#include "urcmem/memory_map.h"
#include "urcmem/urc_memory.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <vector>

namespace urctool {

// The library reads at most the whole address space in one call.
inline constexpr std::size_t kLargestRead = urcmem::kMemorySize;

// Called after each read with the bytes read so far.
using Progress = std::function<void(std::size_t done)>;

// `length` bytes from `address` in reads of at most `chunk` bytes (a multiple
// of 8). Throws ToolError naming the address of a failed read.
std::vector<uint8_t> readBytes(device::UrcLibrary& urc, int address, std::size_t length,
                               std::size_t chunk = kLargestRead, const Progress& progress = {});

urcmem::Memory readWholeMemory(device::UrcLibrary& urc, std::size_t chunk = kLargestRead,
                               const Progress& progress = {});

// Writes the bytes at `address` with the URC's write selector, reads them back
// and compares; throws ToolError when the write fails or reads back wrong.
void writeChecked(device::UrcLibrary& urc, int selector, int address,
                  std::span<const uint8_t> bytes);

// The three areas the program manages in the URC's memory.
struct Area {
    int address = 0;
    int length = 0;
};
struct ManagedAreas {
    Area keyRecords; // R records of 22 bytes
    Area allocArea;  // the block map, then E records of 6 bytes
    Area storage;    // the code storage's blocks of 8 bytes
};
ManagedAreas managedAreas(const urcmem::Header& header);

// What the URC holds, as read: the tables as the window reads them at start-up
// and, in `memory` at their own addresses, the identity and layout blocks, the
// header with its key-code list and the three managed areas (the rest zero).
struct Snapshot {
    device::UrcTables tables;
    urcmem::Header header;
    urcmem::Memory memory;
};

// Checks the link, reads and checks the URC as the window does at start-up,
// then reads the areas. Throws ToolError with what failed.
Snapshot readSnapshot(device::UrcLibrary& urc);

// The 22 bytes of key record `index` as 44 hex digits, and the hex digits of
// the storage blocks its allocation record gives (empty when it has none).
std::string recordDigits(const Snapshot& snapshot, std::size_t index);
std::string storageDigits(const Snapshot& snapshot, std::size_t index);

} // namespace urctool
