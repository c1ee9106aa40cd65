#include "startup_reading.h"

#include "device/core/hex_text.h"

#include <algorithm>
#include <vector>

namespace app {
namespace {

constexpr int kIdentityAddress = 0xB000;
constexpr int kLayoutAddress = 0xB03C;
constexpr std::size_t kKeyRecordSize = 22;
constexpr std::size_t kAllocRecordSize = 6;

// A block of URC data as text, with reads that fail instead of running past
// what the URC delivered.
class Area {
public:
    explicit Area(std::string text) : text_(std::move(text)) {}
    std::optional<int> byte(std::size_t offset) const { return device::byteAt(text_, offset); }
    std::optional<int> word(std::size_t offset) const { return device::wordAt(text_, offset); }
    // Digits of `count` bytes from `offset`, when they are all there.
    std::optional<std::string> digits(std::size_t offset, std::size_t count) const {
        if (text_.size() < 2 * (offset + count))
            return std::nullopt;
        std::string out = text_.substr(2 * offset, 2 * count);
        if (!device::isHexDigits(out))
            return std::nullopt;
        return out;
    }

private:
    std::string text_;
};

struct Header {
    int records = 0;    // R
    int allocCount = 0; // E
    int blockCount = 0; // StorageBlockCount
    int keyCount = 0;   // K
    int keyTable = 0;
    int codeIdTable = 0;
    int allocArea = 0;
    int storage = 0;
};

std::optional<Header> decodeHeader(const Area& area, int headerAddress, int pointerBase) {
    const auto r = area.word(0);
    const auto e = area.byte(7);
    const auto n = area.word(8);
    const auto k = area.byte(32);
    const auto keys = area.word(16);
    const auto ids = area.word(24);
    const auto alloc = area.word(26);
    const auto store = area.word(28);
    if (!r || !e || !n || !k || !keys || !ids || !alloc || !store)
        return std::nullopt;
    Header h{*r, *e, *n, *k, 0, 0, 0, 0};
    h.keyTable = pointerToAddress(*keys, headerAddress, pointerBase);
    h.codeIdTable = pointerToAddress(*ids, headerAddress, pointerBase);
    h.allocArea = pointerToAddress(*alloc, headerAddress, pointerBase);
    h.storage = pointerToAddress(*store, headerAddress, pointerBase);
    for (int address : {h.keyTable, h.codeIdTable, h.allocArea, h.storage})
        if (address < 0 || address > 0xFFFF)
            return std::nullopt;
    return h;
}

char keyState(int flags) {
    if ((flags & 0x80) && !(flags & 0x20))
        return (flags & 0x40) ? '2' : '1';
    return '0';
}

bool readKeyCodes(device::UrcLibrary& lib, int address, int keyCount,
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

bool readKeyRecords(device::UrcLibrary& lib, const Header& h, device::UrcTables& t) {
    const int blocks = (h.records * 44) / 16 + 1;
    const auto text = readArea(lib, h.keyTable, blocks, h.records * 44 + 16);
    if (!text)
        return false;
    const Area table(*text);
    // Only records the read covered may be decoded (K larger than R would
    // otherwise take states from whatever follows the table).
    const std::size_t covered = std::min<std::size_t>(h.records, 8 * blocks / kKeyRecordSize);
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

bool readAllocArea(device::UrcLibrary& lib, const Header& h, device::UrcTables& t) {
    const std::size_t mapBytes = (h.blockCount + 7) / 8;
    const int blocks = static_cast<int>((h.allocCount * kAllocRecordSize + mapBytes) / 8 + 1);
    const auto text = readArea(lib, h.allocArea, blocks, 2048);
    if (!text)
        return false;
    const Area area(*text);
    const auto map = area.digits(0, mapBytes);
    if (!map)
        return false;
    t.BlockMap = device::HexToBits(*map);
    for (int j = 0; j < h.allocCount; ++j) {
        const std::size_t at = mapBytes + kAllocRecordSize * j;
        const auto record = area.digits(at, kAllocRecordSize);
        const auto word = area.word(at + 3);
        const auto count = area.byte(at + 5);
        if (!record || !word || !count)
            return false;
        if (!(*word & 0x8000))
            continue;
        device::MarkBlocks(t.BlockMap, *word & 0x7FFF, *count);
        t.AllocRecords += *record;
        t.AllocRecordSlots.push_back(j);
    }
    return true;
}

bool readCodeIdTable(device::UrcLibrary& lib, int address, std::vector<std::string>& ids) {
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

int pointerToAddress(int stored, int headerAddress, int pointerBase) {
    return stored >= pointerBase ? stored - pointerBase : stored + headerAddress;
}

std::optional<std::string> readArea(device::UrcLibrary& library, int address, int blocks,
                                    std::size_t bufferSize) {
    if (address < 0 || blocks <= 0 || address + 8L * blocks > 0x10000)
        return std::nullopt;
    std::string buffer(std::max(bufferSize, static_cast<std::size_t>(16) * blocks), '\0');
    const auto halves = device::splitAddress(address);
    if (!library.readdatav20(buffer.data(), blocks, halves.high.c_str(), halves.low.c_str(), "08"))
        return std::nullopt;
    return buffer;
}

bool readMemoryMap(device::UrcLibrary& lib, device::UrcTables& t) {
    const auto layoutText = readArea(lib, kLayoutAddress, 2, 512);
    if (!layoutText)
        return false;
    const Area layout(*layoutText);
    const auto headerAddress = layout.word(0);
    const auto pointerBase = layout.word(6);
    const auto selector = layout.digits(8, 1);
    if (!headerAddress || !pointerBase || !selector)
        return false;
    t.WriteSelector = *selector;

    const auto headerText = readArea(lib, *headerAddress, 5, 1024);
    if (!headerText)
        return false;
    const auto header = decodeHeader(Area(*headerText), *headerAddress, *pointerBase);
    if (!header)
        return false;
    t.KeyTableAddress = header->keyTable;
    t.AllocAreaAddress = header->allocArea;
    t.StorageAddress = header->storage;
    t.StorageBlockCount = header->blockCount;
    t.AllocRecordCapacity = header->allocCount;

    return readKeyCodes(lib, *headerAddress + 32, header->keyCount, t.LearnedKeys) &&
           readKeyRecords(lib, *header, t) && readAllocArea(lib, *header, t) &&
           readCodeIdTable(lib, header->codeIdTable, t.BuiltinCodeIds);
}

StartupResult readAndCheckIdentity(device::UrcLibrary& library, device::UrcTables& tables) {
    StartupResult result;
    std::string version(device::kVersionBufferSize, '\0');
    if (!library.ReadVersion(version.data()) || version.compare(0, 4, "1020") != 0) {
        result.failure = StartupFailure::VersionMessage;
        return result;
    }

    const auto identityText = readArea(library, kIdentityAddress, 6, 1024);
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

StartupResult readUrc(device::UrcLibrary& library, device::UrcTables& tables) {
    StartupResult result = readAndCheckIdentity(library, tables);
    if (result.failure == StartupFailure::None && !readMemoryMap(library, tables))
        result.failure = StartupFailure::NoDevice;
    return result;
}

} // namespace app
