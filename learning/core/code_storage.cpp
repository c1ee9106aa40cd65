#include "learning/core/code_storage.h"

#include "device/core/hex_text.h"
#include "irform/code_form.h"
#include "irform/converted_text.h"

#include <algorithm>

namespace learning {
namespace {

constexpr std::size_t kIdDigits = irform::convertedtext::kIdDigits;
constexpr std::size_t kBlockDigits = 16;
constexpr std::size_t kRecordBytes = 22;
constexpr std::size_t kAllocRecordDigits = 12;
constexpr int kMaxBlocks = 255;
constexpr int kMemorySize = 0x10000;
constexpr int kFirstStoredIdByte = 0x22;

bool containsIgnoringCase(const std::vector<std::string>& list, std::string_view id) {
    return std::any_of(list.begin(), list.end(), [id](const std::string& entry) {
        return device::equalsIgnoringCase(entry, id);
    });
}

bool fitsMemory(const Write& write) {
    return write.address >= 0 &&
           write.address + static_cast<long>(write.hex.size() / 2) <= kMemorySize;
}

// The block map as the allocation area holds it: exactly one bit per block of
// the storage, so the records that follow it stay where the URC reads them.
std::string allocAreaMap(std::string_view blockMap, int storageBlockCount) {
    const std::size_t bits = static_cast<std::size_t>((storageBlockCount + 7) / 8) * 8;
    std::string map(blockMap.substr(0, std::min(bits, blockMap.size())));
    map.resize(bits, '0');
    return BlockMapToHex(map);
}

// The slot record i of AllocRecords occupies: where start-up found it, or, for
// tables filled without slots, its place in the packed list.
int slotOf(const device::UrcTables& tables, std::size_t i) {
    return i < tables.AllocRecordSlots.size() ? tables.AllocRecordSlots[i] : static_cast<int>(i);
}

std::size_t recordCount(const device::UrcTables& tables) {
    return tables.AllocRecords.size() / kAllocRecordDigits;
}

std::optional<int> firstFreeSlot(const device::UrcTables& tables) {
    std::vector<bool> used(static_cast<std::size_t>(std::max(tables.AllocRecordCapacity, 0)));
    for (std::size_t i = 0; i < recordCount(tables); ++i) {
        const int slot = slotOf(tables, i);
        if (slot >= 0 && static_cast<std::size_t>(slot) < used.size())
            used[static_cast<std::size_t>(slot)] = true;
    }
    const auto free = std::find(used.begin(), used.end(), false);
    if (free == used.end())
        return std::nullopt;
    return static_cast<int>(free - used.begin());
}

// The records of slots 0 to `last`, each at its slot. The new record takes the
// first free slot, so every slot before it is in use and the write ends with
// it: the records after it stay untouched in the URC.
std::string recordsThrough(const device::UrcTables& tables, int last) {
    std::vector<std::string> slots(static_cast<std::size_t>(last) + 1,
                                   std::string(kAllocRecordDigits, '0'));
    for (std::size_t i = 0; i < recordCount(tables); ++i) {
        const int slot = slotOf(tables, i);
        if (slot >= 0 && slot <= last)
            slots[static_cast<std::size_t>(slot)] =
                tables.AllocRecords.substr(kAllocRecordDigits * i, kAllocRecordDigits);
    }
    std::string text;
    for (const auto& record : slots)
        text += record;
    return text;
}

// Identifiers the URC holds: those of stored codes, of its allocation
// records and of its code-identifier table.
bool idHeld(const device::UrcTables& tables, std::string_view id) {
    if (containsIgnoringCase(tables.StoredCodeIds, id) ||
        containsIgnoringCase(tables.BuiltinCodeIds, id))
        return true;
    const std::string_view records = tables.AllocRecords;
    for (std::size_t i = 0; i < recordCount(tables); ++i)
        if (device::equalsIgnoringCase(records.substr(kAllocRecordDigits * i, kIdDigits), id))
            return true;
    return false;
}

// A raw code's identifier is a 24-bit digest of its carrier and data, so two
// different codes can get the same one (about 1.7e-4 for 70 keys), and the
// second key would then send the first key's code. The first identifier from
// the digest on (the raw range, first byte 0x22 or more, wrapping round) that
// the URC does not hold is taken instead; the URC holds far fewer
// identifiers than the range has, so the search ends.
std::string newRawId(const device::UrcTables& tables, const std::string& id) {
    constexpr uint32_t kFirstRawId = kFirstStoredIdByte << 16;
    constexpr uint32_t kLastRawId = 0xFFFFFF;
    uint32_t value = *device::parseHex(id);
    std::string candidate = id;
    while (idHeld(tables, candidate) || irform::protocolOfBuiltinId(candidate)) {
        value = value >= kLastRawId ? kFirstRawId : value + 1;
        candidate = device::hexText(value, kIdDigits);
    }
    return candidate;
}

} // namespace

std::optional<ConvertedCode> splitConvertedText(std::string_view text) {
    const auto fields = irform::convertedtext::split(text);
    if (!fields)
        return std::nullopt;
    ConvertedCode code{std::string(fields->id), std::string(fields->p), std::string(fields->q),
                       std::string(fields->data)};
    const bool digitsOk = code.id.size() == kIdDigits && device::isHexDigits(code.id) &&
                          device::isHexDigits(code.p) && device::isHexDigits(code.q) &&
                          device::isHexDigits(code.data);
    // Data whose length is not whole blocks would spill into the next block.
    const bool dataOk = code.data.size() >= kBlockDigits && code.data.size() % kBlockDigits == 0;
    if (!digitsOk || !dataOk)
        return std::nullopt;
    return code;
}

bool IsBuiltinCode(const device::UrcTables& tables, std::string_view id) {
    return containsIgnoringCase(tables.BuiltinCodeIds, id);
}

// The forms numbered from 0x22 on share the raw range; their identifier still
// names the form, shared by every key that holds it.
bool isRawId(const device::UrcTables& tables, std::string_view id) {
    const auto first = device::parseHex(id.substr(0, 2));
    return first && *first >= kFirstStoredIdByte && !IsBuiltinCode(tables, id) &&
           !irform::protocolOfBuiltinId(id);
}

bool isStoredCode(const device::UrcTables& tables, std::string_view id) {
    return containsIgnoringCase(tables.StoredCodeIds, id);
}

std::string storageFlag(const device::UrcTables& tables, std::string_view id) {
    if (IsBuiltinCode(tables, id))
        return "00";
    const auto first = device::parseHex(id.substr(0, 2));
    if (first && *first >= kFirstStoredIdByte)
        return "80";
    return id.size() >= kIdDigits && id.substr(2, 4) == "0000" ? "00" : "80";
}

std::string keyRecordText(std::string_view flag, const ConvertedCode& code) {
    return "C000" + std::string(flag) + code.id + code.p + code.q;
}

std::string allocRecordText(std::string_view id, int firstBlock, int blockCount) {
    const int word = 0x8000 + firstBlock;
    return std::string(id) + device::byteText(word & 0xFF) + device::byteText(word >> 8) +
           device::byteText(blockCount);
}

std::string BlockMapToHex(std::string_view blockMap) {
    return device::BitsToHex(blockMap);
}

std::optional<int> findFreeRun(std::string_view blockMap, int storageBlockCount, int count) {
    const long mapLength = static_cast<long>(blockMap.size());
    const long searchEnd = std::min<long>(storageBlockCount, mapLength);
    for (long b = 0; b < searchEnd; ++b) {
        if (blockMap[b] != '0')
            continue;
        // A run reaching the map's last character is refused, as the URC's
        // own search does; nor may a run leave the code storage.
        if (b + count >= mapLength || b + count > storageBlockCount)
            return std::nullopt;
        const auto run = blockMap.substr(b, count);
        if (run.find_first_not_of('0') == std::string_view::npos)
            return static_cast<int>(b);
    }
    return std::nullopt;
}

std::string_view failureText(PlanFailure failure) {
    switch (failure) {
    case PlanFailure::BadConvertedText:
        return "the converted code is malformed";
    case PlanFailure::BadRecordLength:
        return "the key record is not 22 bytes";
    case PlanFailure::NoSuchKey:
        return "the key has no record";
    case PlanFailure::TooManyBlocks:
        return "the code needs more than 255 storage blocks";
    case PlanFailure::NoFreeBlocks:
        return "the code storage has no free run of blocks";
    case PlanFailure::NoFreeAllocRecord:
        return "every allocation record is in use";
    case PlanFailure::OutsideMemory:
        return "a write would pass the end of the URC's memory";
    }
    return "";
}

std::variant<StoragePlan, PlanFailure>
planLearnedCode(const device::UrcTables& tables, std::size_t keyIndex, std::string_view converted) {
    auto code = splitConvertedText(converted);
    if (!code)
        return PlanFailure::BadConvertedText;
    // A form's identifier names the form and is shared by every key that
    // holds it; a raw code's only names its data.
    if (isRawId(tables, code->id))
        code->id = newRawId(tables, code->id);
    const std::string flag = storageFlag(tables, code->id);
    const std::string record = keyRecordText(flag, *code);
    if (record.size() != 2 * kRecordBytes)
        return PlanFailure::BadRecordLength;
    if (keyIndex >= tables.LearnedKeys.size())
        return PlanFailure::NoSuchKey;

    StoragePlan plan;
    plan.after = tables;
    if (flag == "80" && !isStoredCode(tables, code->id)) {
        const std::size_t blocks = code->data.size() / kBlockDigits;
        if (blocks > kMaxBlocks)
            return PlanFailure::TooManyBlocks;
        const int count = static_cast<int>(blocks);
        const auto first = findFreeRun(tables.BlockMap, tables.StorageBlockCount, count);
        if (!first)
            return PlanFailure::NoFreeBlocks;
        const auto slot = firstFreeSlot(tables);
        if (!slot)
            return PlanFailure::NoFreeAllocRecord;
        device::MarkBlocks(plan.after.BlockMap, *first, blocks);
        plan.after.AllocRecords += allocRecordText(code->id, *first, count);
        plan.after.AllocRecordSlots.clear();
        for (std::size_t i = 0; i < recordCount(tables); ++i)
            plan.after.AllocRecordSlots.push_back(slotOf(tables, i));
        plan.after.AllocRecordSlots.push_back(*slot);
        plan.after.StoredCodeIds.push_back(code->id);
        plan.writes.push_back({tables.StorageAddress + 8 * *first, code->data});
        plan.writes.push_back(
            {tables.AllocAreaAddress, allocAreaMap(plan.after.BlockMap, tables.StorageBlockCount) +
                                          recordsThrough(plan.after, *slot)});
    }
    plan.writes.push_back(
        {tables.KeyTableAddress + static_cast<int>(kRecordBytes * keyIndex), record});
    for (const Write& write : plan.writes)
        if (!fitsMemory(write))
            return PlanFailure::OutsideMemory;
    std::string& entry = plan.after.LearnedKeys[keyIndex];
    entry = entry.substr(0, 2) + "|2";
    return plan;
}

} // namespace learning
