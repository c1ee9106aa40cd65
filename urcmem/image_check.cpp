#include "urcmem/image_check.h"

#include "urcmem/memory_map.h"

#include <cstdio>
#include <vector>

namespace urcmem {

namespace {

// How much the program reads of each area (it reads whole 8-byte blocks).
constexpr int kKeyListRead = 400;
constexpr int kCodeIdTableRead = 960;
constexpr int kMaxCodeIds = (kCodeIdTableRead - 2) / kCodeIdEntrySize;

struct Area {
    const char* name;
    long long address;
    long long size;     // the bytes the area holds
    long long readSize; // the bytes the program reads there
};

std::string hex4(long long value) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%04llX", value);
    return text;
}

std::string hex2(int value) {
    char text[8];
    std::snprintf(text, sizeof text, "%02X", value & 0xFF);
    return text;
}

std::vector<Area> areasOf(const Header& h) {
    const long long m = h.blockMapSize();
    const long long allocSize = m + 1LL * kAllocRecordSize * h.allocRecordCount;
    return {
        {"identity and layout blocks", kIdentityAddress,
         kLayoutAddress + kLayoutBlockSize - kIdentityAddress,
         kLayoutAddress + kLayoutBlockSize - kIdentityAddress},
        {"header and key-code list", h.headerAddress, kKeyListOffset + 1 + h.keyCount,
         kKeyListOffset + kKeyListRead},
        {"key-record table", h.keyTableAddress, 1LL * kKeyRecordSize * h.recordCount,
         (1LL * h.recordCount * 44 / 16 + 1) * 8},
        {"code-identifier table", h.codeIdTableAddress, 0, kCodeIdTableRead}, // size set later
        {"allocation area", h.allocAreaAddress, allocSize, (allocSize / 8 + 1) * 8},
        {"code storage", h.storageAddress, 1LL * kStorageBlockSize * h.storageBlockCount,
         1LL * kStorageBlockSize * h.storageBlockCount},
    };
}

std::optional<std::string> checkCounts(const Header& h) {
    if (h.keyCount != h.recordCount)
        return "the header lists " + std::to_string(h.keyCount) + " key codes but " +
               std::to_string(h.recordCount) + " key records";
    if (h.storageBlockCount == 0)
        return std::string("the header gives a code storage of 0 blocks");
    if (h.storageBlockCount > 0x7FFF)
        return "the header gives " + std::to_string(h.storageBlockCount) +
               " storage blocks, more than an allocation record can address";
    return std::nullopt;
}

std::optional<std::string> checkAreas(std::vector<Area>& areas, const Memory& memory) {
    for (const auto& a : areas) {
        if (!Memory::inRange(a.address, a.readSize))
            return std::string("the ") + a.name + " at " + hex4(a.address) + " (" +
                   std::to_string(a.readSize) + " bytes read) passes the end of memory 0xFFFF";
    }
    Area& codeIds = areas[3];
    const int count = memory.word(codeIds.address);
    if (count > kMaxCodeIds)
        return "the code-identifier table lists " + std::to_string(count) + " entries; at most " +
               std::to_string(kMaxCodeIds) + " fit in what is read";
    codeIds.size = 2 + 1LL * kCodeIdEntrySize * count;
    for (std::size_t i = 0; i < areas.size(); ++i)
        for (std::size_t j = i + 1; j < areas.size(); ++j) {
            const Area& a = areas[i];
            const Area& b = areas[j];
            if (a.size > 0 && b.size > 0 && a.address < b.address + b.size &&
                b.address < a.address + a.size)
                return std::string("the ") + a.name + " at " + hex4(a.address) + " overlaps the " +
                       b.name + " at " + hex4(b.address);
        }
    return std::nullopt;
}

std::string describeRecord(const AllocRecord& r) {
    return "allocation record " + std::to_string(r.slot) + " (code " +
           identifierText(r.identifier) + ", blocks " + std::to_string(r.firstBlock) + "-" +
           std::to_string(r.firstBlock + r.blockCount - 1) + ")";
}

std::optional<std::string> checkAllocRecords(const Memory& memory, const Header& h) {
    std::vector<int> owner(static_cast<std::size_t>(h.storageBlockCount), -1);
    const auto records = allocRecords(memory, h);
    for (const auto& r : records) {
        if (!r.inUse)
            continue;
        if (r.blockCount == 0)
            return describeRecord(r) + " is in use but occupies no block";
        if (r.firstBlock + r.blockCount > h.storageBlockCount)
            return describeRecord(r) + " passes the end of the code storage (" +
                   std::to_string(h.storageBlockCount) + " blocks)";
        for (int b = r.firstBlock; b < r.firstBlock + r.blockCount; ++b) {
            if (!blockMarked(memory, h, b))
                return describeRecord(r) + ": block " + std::to_string(b) +
                       " is not marked in the block map";
            int& o = owner[static_cast<std::size_t>(b)];
            if (o >= 0)
                return describeRecord(r) + " shares block " + std::to_string(b) + " with " +
                       describeRecord(records[static_cast<std::size_t>(o)]);
            o = r.slot;
        }
    }
    return std::nullopt;
}

bool insideAnyArea(const std::vector<Area>& areas, long long address, long long size) {
    for (const auto& a : areas)
        if (address < a.address + a.size && a.address < address + size)
            return true;
    return false;
}

// Records written beyond the E slots land in the memory after the area; as
// long as that memory belongs to no other area, an in-use record there means
// the area overflowed.
std::optional<std::string> checkPastArea(const Memory& memory, const Header& h,
                                         const std::vector<Area>& areas) {
    long long address =
        h.allocAreaAddress + h.blockMapSize() + 1LL * kAllocRecordSize * h.allocRecordCount;
    for (int slot = h.allocRecordCount; Memory::inRange(address, kAllocRecordSize); ++slot) {
        if (insideAnyArea(areas, address, kAllocRecordSize))
            break;
        auto record = allocRecordAt(memory, static_cast<int>(address), slot);
        if (record.inUse)
            return "an allocation record in use (code " + identifierText(record.identifier) +
                   ") lies at " + hex4(address) + ", past the allocation area's " +
                   std::to_string(h.allocRecordCount) + " records";
        if (record.identifier == 0 && record.blockCount == 0 && record.firstBlock == 0)
            break;
        address += kAllocRecordSize;
    }
    return std::nullopt;
}

std::optional<std::string> checkKeyRecords(const Memory& memory, const Header& h) {
    const auto codes = keyCodes(memory, h);
    const auto records = allocRecords(memory, h);
    for (int i = 0; i < h.recordCount; ++i) {
        auto record = keyRecord(memory, h, i);
        if (!record || !record->refersToStorage())
            continue;
        bool found = false;
        for (const auto& r : records)
            found = found || (r.inUse && r.identifier == record->identifier());
        if (!found) {
            std::string key = static_cast<std::size_t>(i) < codes.size()
                                  ? "key " + hex2(codes[static_cast<std::size_t>(i)])
                                  : "key record " + std::to_string(i);
            return key + " (record " + std::to_string(i) + ") refers to stored code " +
                   identifierText(record->identifier()) +
                   " but no allocation record in use has that code";
        }
    }
    return std::nullopt;
}

} // namespace

std::optional<std::string> checkImage(const Memory& memory) {
    auto header = readHeader(memory);
    if (!header)
        return "the header address " + hex4(memory.word(kLayoutAddress)) +
               " leaves no room for the header before the end of memory";
    if (auto problem = checkCounts(*header))
        return problem;
    auto areas = areasOf(*header);
    if (auto problem = checkAreas(areas, memory))
        return problem;
    if (auto problem = checkAllocRecords(memory, *header))
        return problem;
    if (auto problem = checkPastArea(memory, *header, areas))
        return problem;
    return checkKeyRecords(memory, *header);
}

} // namespace urcmem
