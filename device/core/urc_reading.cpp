#include "device/core/urc_reading.h"

#include "device/core/hex_text.h"
#include "urcmem/layout.h"

#include <algorithm>
#include <vector>

namespace device {
namespace {

constexpr std::size_t kKeyRecordSize = urcmem::kKeyRecordSize;
constexpr std::size_t kAllocRecordSize = urcmem::kAllocRecordSize;

// A block of URC data as text, with reads that fail instead of running past
// what the URC delivered.
class Area {
public:
    explicit Area(std::string text) : text_(std::move(text)) {}
    std::optional<int> byte(std::size_t offset) const { return byteAt(text_, offset); }
    std::optional<int> word(std::size_t offset) const { return wordAt(text_, offset); }
    // Digits of `count` bytes from `offset`, when they are all there.
    std::optional<std::string> digits(std::size_t offset, std::size_t count) const {
        if (text_.size() < 2 * (offset + count))
            return std::nullopt;
        std::string out = text_.substr(2 * offset, 2 * count);
        if (!isHexDigits(out))
            return std::nullopt;
        return out;
    }
    // The first `count` bytes, when their digits are all there.
    std::optional<std::vector<uint8_t>> leadingBytes(std::size_t count) const {
        const auto hex = digits(0, count);
        if (!hex)
            return std::nullopt;
        std::vector<uint8_t> out;
        for (std::size_t i = 0; i < count; ++i)
            out.push_back(static_cast<uint8_t>(*byteAt(*hex, i)));
        return out;
    }

private:
    std::string text_;
};

// The layout's decoding, with the program's own demand: translated pointers
// must lie in the address space (they are followed with reads at once).
std::optional<urcmem::Header> decodeHeader(const Area& area, const urcmem::LayoutBlock& layout) {
    const auto bytes = area.leadingBytes(urcmem::kHeaderFieldsSize);
    if (!bytes)
        return std::nullopt;
    const auto h = urcmem::decodeHeader(layout, *bytes);
    if (!h)
        return std::nullopt;
    for (int address :
         {h->keyTableAddress, h->codeIdTableAddress, h->allocAreaAddress, h->storageAddress})
        if (address < 0 || address > 0xFFFF)
            return std::nullopt;
    return h;
}

char keyState(int flags) {
    if ((flags & 0x80) && !(flags & 0x20))
        return (flags & 0x40) ? '2' : '1';
    return '0';
}

bool readKeyCodes(UrcLibrary& lib, int address, int keyCount,
                  std::vector<std::string>& learnedKeys) {
    const auto text = readArea(lib, address, 50, 1024);
    if (!text)
        return false;
    const Area list(*text);
    for (int i = 0; i < keyCount; ++i) {
        const auto code = list.digits(1 + i, 1);
        if (!code)
            return false;
        learnedKeys.push_back(*code + "|");
    }
    return true;
}

bool readKeyRecords(UrcLibrary& lib, const urcmem::Header& h, UrcTables& t) {
    const int blocks = (h.recordCount * 44) / 16 + 1;
    const auto text = readArea(lib, h.keyTableAddress, blocks, h.recordCount * 44 + 16);
    if (!text)
        return false;
    const Area table(*text);
    // Only records the read covered may be decoded (K larger than R would
    // otherwise take states from whatever follows the table).
    const std::size_t covered = std::min<std::size_t>(h.recordCount, 8 * blocks / kKeyRecordSize);
    if (static_cast<std::size_t>(h.keyCount) > covered)
        return false;
    for (int i = 0; i < h.keyCount; ++i) {
        const std::size_t at = kKeyRecordSize * i;
        const auto flags = table.byte(at);
        const auto storage = table.byte(at + 2);
        const auto id = table.digits(at + 3, 3);
        if (!flags || !storage || !id)
            return false;
        const char state = keyState(*flags);
        t.LearnedKeys[i] += state;
        if (state != '0' && (*storage & 0x80))
            t.StoredCodeIds.push_back(*id);
    }
    return true;
}

bool readAllocArea(UrcLibrary& lib, const urcmem::Header& h, UrcTables& t) {
    const std::size_t mapBytes = h.blockMapSize();
    const int blocks = static_cast<int>((h.allocRecordCount * kAllocRecordSize + mapBytes) / 8 + 1);
    const auto text = readArea(lib, h.allocAreaAddress, blocks, 2048);
    if (!text)
        return false;
    const Area area(*text);
    const auto map = area.digits(0, mapBytes);
    if (!map)
        return false;
    t.BlockMap = HexToBits(*map);
    for (int j = 0; j < h.allocRecordCount; ++j) {
        const std::size_t at = mapBytes + kAllocRecordSize * j;
        const auto record = area.digits(at, kAllocRecordSize);
        const auto word = area.word(at + 3);
        const auto count = area.byte(at + 5);
        if (!record || !word || !count)
            return false;
        if (!(*word & 0x8000))
            continue;
        MarkBlocks(t.BlockMap, *word & 0x7FFF, *count);
        t.AllocRecords += *record;
        t.AllocRecordSlots.push_back(j);
    }
    return true;
}

bool readCodeIdTable(UrcLibrary& lib, int address, std::vector<std::string>& ids) {
    const auto text = readArea(lib, address, 120, 2048);
    if (!text)
        return false;
    const Area table(*text);
    const auto count = table.word(0);
    // 960 bytes are read: a count past them points at data that was not read.
    if (!count || 2 + 6 * static_cast<std::size_t>(*count) > 960)
        return false;
    for (int j = 0; j < *count; ++j) {
        const auto id = table.digits(2 + 6 * j, 3);
        if (!id)
            return false;
        ids.push_back(*id);
    }
    return true;
}

} // namespace

StartupFailure checkTypeAndFirmware(std::string_view typeCode, int major, int minor) {
    if (typeCode == "8888")
        return StartupFailure::FirmwareMessage;
    if (typeCode != "1004")
        return StartupFailure::VersionMessage;
    if (major >= 2)
        return StartupFailure::VersionMessage;
    if (major == 0)
        return StartupFailure::FirmwareMessage;
    if (minor >= 5)
        return StartupFailure::VersionMessage;
    if (minor == 0)
        return StartupFailure::FirmwareMessage;
    return StartupFailure::None;
}

std::optional<std::string> readArea(UrcLibrary& library, int address, int blocks,
                                    std::size_t bufferSize) {
    if (address < 0 || blocks <= 0 || address + 8L * blocks > 0x10000)
        return std::nullopt;
    std::string buffer(std::max(bufferSize, static_cast<std::size_t>(16) * blocks), '\0');
    const auto halves = splitAddress(address);
    if (!library.readdatav20(buffer.data(), blocks, halves.high.c_str(), halves.low.c_str(), "08"))
        return std::nullopt;
    return buffer;
}

bool readMemoryMap(UrcLibrary& lib, UrcTables& t) {
    const auto layoutText = readArea(lib, urcmem::kLayoutAddress, 2, 512);
    if (!layoutText)
        return false;
    const Area layoutArea(*layoutText);
    const auto layoutBytes = layoutArea.leadingBytes(urcmem::kLayoutFieldsSize);
    if (!layoutBytes)
        return false;
    const auto layout = urcmem::decodeLayoutBlock(*layoutBytes);
    // The selector is kept as the URC's own digits: every write repeats them.
    t.WriteSelector = *layoutArea.digits(urcmem::kWriteSelectorOffset, 1);

    const auto headerText = readArea(lib, layout->headerAddress, 5, 1024);
    if (!headerText)
        return false;
    const auto header = decodeHeader(Area(*headerText), *layout);
    if (!header)
        return false;
    t.KeyTableAddress = header->keyTableAddress;
    t.AllocAreaAddress = header->allocAreaAddress;
    t.StorageAddress = header->storageAddress;
    t.StorageBlockCount = header->storageBlockCount;
    t.AllocRecordCapacity = header->allocRecordCount;

    return readKeyCodes(lib, layout->headerAddress + urcmem::kKeyListOffset, header->keyCount,
                        t.LearnedKeys) &&
           readKeyRecords(lib, *header, t) && readAllocArea(lib, *header, t) &&
           readCodeIdTable(lib, header->codeIdTableAddress, t.BuiltinCodeIds);
}

StartupResult readAndCheckIdentity(UrcLibrary& library, UrcTables& tables) {
    StartupResult result;
    std::string version(kVersionBufferSize, '\0');
    if (!library.ReadVersion(version.data()) || version.compare(0, 4, "1020") != 0) {
        result.failure = StartupFailure::VersionMessage;
        return result;
    }

    const auto identityText = readArea(library, urcmem::kIdentityAddress, 6, 1024);
    const Area identity(identityText.value_or(std::string()));
    const auto id = identity.digits(0, 15);
    const auto type = identity.digits(35, 2);
    const auto major = identity.byte(32);
    const auto minor = identity.byte(33);
    if (!identityText || !id || !type || !major || !minor) {
        result.failure = StartupFailure::NoDevice;
        return result;
    }
    tables.DeviceIdentity = *id;
    result.identityRead = true;

    result.failure = checkTypeAndFirmware(*type, *major, *minor);
    return result;
}

StartupResult readUrc(UrcLibrary& library, UrcTables& tables) {
    StartupResult result = readAndCheckIdentity(library, tables);
    if (result.failure == StartupFailure::None && !readMemoryMap(library, tables))
        result.failure = StartupFailure::NoDevice;
    return result;
}

} // namespace device
