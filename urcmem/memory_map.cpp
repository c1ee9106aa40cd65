#include "urcmem/memory_map.h"

#include <cstdio>

namespace urcmem {

std::optional<Header> readHeader(const Memory& memory) {
    const auto layout = decodeLayoutBlock(memory.read(kLayoutAddress, kLayoutBlockSize));
    if (!Memory::inRange(layout->headerAddress, kHeaderSize))
        return std::nullopt;
    return decodeHeader(*layout, memory.read(layout->headerAddress, kHeaderSize));
}

std::vector<uint8_t> keyCodes(const Memory& memory, const Header& header) {
    const int first = header.headerAddress + kKeyListOffset + 1;
    if (!Memory::inRange(first, header.keyCount))
        return {};
    return memory.read(first, header.keyCount);
}

std::optional<KeyRecord> keyRecord(const Memory& memory, const Header& header, int index) {
    const long long address = header.keyTableAddress + 1LL * kKeyRecordSize * index;
    if (index < 0 || !Memory::inRange(address, kKeyRecordSize))
        return std::nullopt;
    KeyRecord record;
    auto bytes = memory.read(address, kKeyRecordSize);
    std::copy(bytes.begin(), bytes.end(), record.bytes.begin());
    return record;
}

AllocRecord allocRecordAt(const Memory& memory, int address, int slot) {
    AllocRecord record;
    record.slot = slot;
    record.identifier = (uint32_t(memory.byte(address)) << 16) |
                        (uint32_t(memory.byte(address + 1)) << 8) | memory.byte(address + 2);
    const int word = memory.word(address + 3);
    record.inUse = (word & 0x8000) != 0;
    record.firstBlock = word & 0x7FFF;
    record.blockCount = memory.byte(address + 5);
    return record;
}

std::vector<AllocRecord> allocRecords(const Memory& memory, const Header& header) {
    std::vector<AllocRecord> records;
    const long long first = header.allocAreaAddress + header.blockMapSize();
    for (int slot = 0; slot < header.allocRecordCount; ++slot) {
        const long long address = first + 1LL * kAllocRecordSize * slot;
        if (!Memory::inRange(address, kAllocRecordSize))
            break;
        records.push_back(allocRecordAt(memory, static_cast<int>(address), slot));
    }
    return records;
}

bool blockMarked(const Memory& memory, const Header& header, int block) {
    if (block < 0)
        return false;
    const long long address = header.allocAreaAddress + block / 8;
    if (!Memory::inRange(address, 1))
        return false;
    return (memory.byte(address) & (0x80 >> (block % 8))) != 0;
}

std::vector<uint32_t> codeIdentifiers(const Memory& memory, const Header& header) {
    std::vector<uint32_t> ids;
    if (!Memory::inRange(header.codeIdTableAddress, 2))
        return ids;
    const int count = memory.word(header.codeIdTableAddress);
    for (int i = 0; i < count; ++i) {
        const long long address = header.codeIdTableAddress + 2 + 1LL * kCodeIdEntrySize * i;
        if (!Memory::inRange(address, kCodeIdEntrySize))
            break;
        auto b = memory.read(address, 3);
        ids.push_back((uint32_t(b[0]) << 16) | (uint32_t(b[1]) << 8) | b[2]);
    }
    return ids;
}

std::string identifierText(uint32_t identifier) {
    char text[8];
    std::snprintf(text, sizeof text, "%06X", identifier & 0xFFFFFFu);
    return text;
}

StoredCodeLookup storedCode(const Memory& memory, uint8_t keyCode) {
    StoredCodeLookup result;
    auto header = readHeader(memory);
    if (!header) {
        result.error = "the URC's header lies outside its memory";
        return result;
    }
    const auto codes = keyCodes(memory, *header);
    char codeText[4];
    std::snprintf(codeText, sizeof codeText, "%02X", keyCode);
    int index = -1;
    for (std::size_t i = 0; i < codes.size(); ++i) {
        if (codes[i] == keyCode) {
            index = static_cast<int>(i);
            break;
        }
    }
    if (index < 0) {
        result.error = std::string("the URC has no key with code ") + codeText;
        return result;
    }
    auto record = keyRecord(memory, *header, index);
    if (!record) {
        result.error = std::string("the key record of key ") + codeText + " lies outside memory";
        return result;
    }
    StoredCode code{index, *record, std::nullopt};
    if (record->refersToStorage()) {
        for (const auto& alloc : allocRecords(memory, *header)) {
            if (!alloc.inUse || alloc.identifier != record->identifier())
                continue;
            const long long address =
                header->storageAddress + 1LL * kStorageBlockSize * alloc.firstBlock;
            const long long size = 1LL * kStorageBlockSize * alloc.blockCount;
            if (!Memory::inRange(address, size)) {
                result.error =
                    "the stored code " + identifierText(alloc.identifier) + " lies outside memory";
                return result;
            }
            code.data = memory.read(address, size);
            break;
        }
        if (!code.data) {
            result.error = std::string("key ") + codeText + " refers to stored code " +
                           identifierText(record->identifier()) +
                           " but no allocation record in use has it";
            return result;
        }
    }
    result.code = code;
    return result;
}

} // namespace urcmem
