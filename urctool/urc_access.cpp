#include "urctool/urc_access.h"

#include "device/core/hex_text.h"
#include "device/core/urc_reading.h"
#include "urctool/errors.h"

#include <algorithm>

namespace urctool {
namespace {

constexpr int kBlock = urcmem::kStorageBlockSize;
constexpr int kMemoryEnd = static_cast<int>(urcmem::kMemorySize);
// Identity block and layout block, read together.
constexpr int kFixedBlocksEnd = urcmem::kLayoutAddress + urcmem::kLayoutBlockSize;
// The header, the key count and at most 255 key codes.
constexpr int kHeaderSpan = urcmem::kKeyListOffset + 1 + 255;

std::string where(int address) {
    return "0x" + device::addressText(address);
}

std::string startupFailureText(device::StartupFailure failure) {
    switch (failure) {
    case device::StartupFailure::VersionMessage:
        return "the URC or its device library is of a version urc-tool does not serve";
    case device::StartupFailure::FirmwareMessage:
        return "the URC's firmware is too old";
    case device::StartupFailure::NoDevice:
        return "reading the URC's tables failed (a read failed or its counts point past its "
               "memory)";
    case device::StartupFailure::None:
        break;
    }
    return {};
}

// Reads an area into the snapshot's memory at its own address; areas that lie
// outside memory are left out (the tables already said they are usable).
void readInto(device::UrcLibrary& urc, urcmem::Memory& memory, int address, int length) {
    if (length <= 0 || !urcmem::Memory::inRange(address, length))
        return;
    const auto bytes = readBytes(urc, address, static_cast<std::size_t>(length));
    memory.write(static_cast<std::size_t>(address), bytes);
}

} // namespace

std::vector<uint8_t> readBytes(device::UrcLibrary& urc, int address, std::size_t length,
                               std::size_t chunk, const Progress& progress) {
    if (!urcmem::Memory::inRange(address, static_cast<long long>(length)))
        throw ToolError("cannot read " + std::to_string(length) + " bytes at " + where(address) +
                        ": past the end of the URC's memory");
    std::vector<uint8_t> out;
    out.reserve(length);
    chunk = std::max<std::size_t>(kBlock, chunk - chunk % kBlock);
    // Reads go by whole blocks; the last may begin earlier so it ends in memory.
    while (out.size() < length) {
        const std::size_t want = std::min(chunk, length - out.size());
        const int blocks = static_cast<int>((want + kBlock - 1) / kBlock);
        const int at = address + static_cast<int>(out.size());
        const int from = std::min(at, kMemoryEnd - blocks * kBlock);
        std::string text(static_cast<std::size_t>(blocks) * 16, '\0');
        const auto halves = device::splitAddress(from);
        if (!urc.readdatav20(text.data(), blocks, halves.high.c_str(), halves.low.c_str(), "08"))
            throw ToolError("the device library could not read " + std::to_string(blocks * kBlock) +
                            " bytes at " + where(from));
        const auto bytes = urcmem::parseHexBytes(text);
        if (!bytes)
            throw ToolError("the device library returned text that is not hex for " + where(from));
        const auto skip = static_cast<std::size_t>(at - from);
        out.insert(out.end(), bytes->begin() + static_cast<long>(skip),
                   bytes->begin() + static_cast<long>(skip + want));
        if (progress)
            progress(out.size());
    }
    return out;
}

urcmem::Memory readWholeMemory(device::UrcLibrary& urc, std::size_t chunk,
                               const Progress& progress) {
    urcmem::Memory memory;
    const auto bytes = readBytes(urc, 0, urcmem::kMemorySize, chunk, progress);
    memory.write(0, bytes);
    return memory;
}

void writeChecked(device::UrcLibrary& urc, int selector, int address,
                  std::span<const uint8_t> bytes) {
    const std::string data = urcmem::toHex(bytes);
    const auto halves = device::splitAddress(address);
    const std::string sel = device::byteText(selector);
    const std::string range = std::to_string(bytes.size()) + " bytes at " + where(address);
    if (!urc.writedatav20(sel.c_str(), halves.high.c_str(), halves.low.c_str(), data.c_str()))
        throw ToolError("the device library could not write " + range);
    const auto back = readBytes(urc, address, bytes.size());
    if (!std::equal(back.begin(), back.end(), bytes.begin(), bytes.end()))
        throw ToolError("the URC reads back other bytes than were written: " + range);
}

ManagedAreas managedAreas(const urcmem::Header& h) {
    return {{h.keyTableAddress, h.recordCount * urcmem::kKeyRecordSize},
            {h.allocAreaAddress, h.blockMapSize() + h.allocRecordCount * urcmem::kAllocRecordSize},
            {h.storageAddress, h.storageBlockCount * urcmem::kStorageBlockSize}};
}

Snapshot readSnapshot(device::UrcLibrary& urc) {
    if (!urc.link_state())
        throw ToolError("no URC is connected (the device library reports no link)");
    Snapshot s;
    const auto startup = device::readUrc(urc, s.tables);
    if (startup.failure != device::StartupFailure::None)
        throw ToolError(startupFailureText(startup.failure));
    readInto(urc, s.memory, urcmem::kIdentityAddress, kFixedBlocksEnd - urcmem::kIdentityAddress);
    const int headerAddress = s.memory.word(urcmem::kLayoutAddress);
    readInto(urc, s.memory, headerAddress, std::min(kHeaderSpan, kMemoryEnd - headerAddress));
    const auto header = urcmem::readHeader(s.memory);
    if (!header)
        throw ToolError("the URC's header lies past the end of its memory");
    s.header = *header;
    const ManagedAreas areas = managedAreas(s.header);
    for (const Area& area : {areas.keyRecords, areas.allocArea, areas.storage})
        readInto(urc, s.memory, area.address, area.length);
    return s;
}

std::string recordDigits(const Snapshot& snapshot, std::size_t index) {
    const auto record =
        urcmem::keyRecord(snapshot.memory, snapshot.header, static_cast<int>(index));
    return record ? urcmem::toHex(record->bytes) : std::string();
}

std::string storageDigits(const Snapshot& snapshot, std::size_t index) {
    const auto record =
        urcmem::keyRecord(snapshot.memory, snapshot.header, static_cast<int>(index));
    if (!record || !record->refersToStorage())
        return {};
    for (const auto& alloc : urcmem::allocRecords(snapshot.memory, snapshot.header)) {
        if (!alloc.inUse || alloc.identifier != record->identifier())
            continue;
        const long long at = snapshot.header.storageAddress + 1LL * kBlock * alloc.firstBlock;
        const long long length = 1LL * kBlock * alloc.blockCount;
        if (!urcmem::Memory::inRange(at, length))
            return {};
        return urcmem::toHex(
            snapshot.memory.read(static_cast<std::size_t>(at), static_cast<std::size_t>(length)));
    }
    return {};
}

} // namespace urctool
