#include "urctool/key_storage.h"

#include "learning/core/code_storage.h"
#include "urcmem/image_check.h"
#include "urctool/errors.h"

#include <algorithm>

namespace urctool {
namespace {

constexpr std::size_t kBlockDigits = 16;

void writePlanned(device::UrcLibrary& urc, const Snapshot& s,
                  const std::vector<learning::Write>& writes) {
    for (const auto& write : writes) {
        const auto bytes = urcmem::parseHexBytes(write.hex);
        if (!bytes)
            throw ToolError("the storage plan holds a write that is not hex");
        writeChecked(urc, s.header.writeSelector, write.address, *bytes);
    }
}

// The storage's limits with the numbers the user can act on.
std::string planFailureText(learning::PlanFailure failure, const device::UrcTables& t,
                            const std::string& converted) {
    const auto code = learning::splitConvertedText(converted);
    const std::size_t blocks = code ? code->data.size() / kBlockDigits : 0;
    switch (failure) {
    case learning::PlanFailure::NoFreeBlocks:
        return "the code needs " + std::to_string(blocks) +
               " storage blocks in one run; the URC's code storage has " +
               std::to_string(freeBlocks(t)) + " free of " + std::to_string(t.StorageBlockCount) +
               " (clear a key to make room)";
    case learning::PlanFailure::NoFreeAllocRecord:
        return "all " + std::to_string(t.AllocRecordCapacity) +
               " allocation records are in use (clear a key to make room)";
    default:
        return std::string(learning::failureText(failure));
    }
}

urcmem::Memory withWrites(urcmem::Memory memory, const std::vector<learning::Write>& writes) {
    for (const auto& write : writes)
        if (const auto bytes = urcmem::parseHexBytes(write.hex);
            bytes && urcmem::Memory::inRange(write.address, static_cast<long long>(bytes->size())))
            memory.write(static_cast<std::size_t>(write.address), *bytes);
    return memory;
}

} // namespace

std::string keyName(const KeyInfo& key) {
    return key.label.empty() ? key.code : key.code + " (" + key.label + ")";
}

int freeBlocks(const device::UrcTables& t) {
    const auto used = std::count(
        t.BlockMap.begin(),
        t.BlockMap.begin() + std::min<std::size_t>(t.BlockMap.size(), t.StorageBlockCount), '1');
    return t.StorageBlockCount - static_cast<int>(used);
}

void requireConsistent(const urcmem::Memory& memory, const std::string& when) {
    if (const auto problem = urcmem::checkImage(memory))
        throw ToolError("the URC's memory " + when + " fails its check: " + *problem +
                        "; nothing was written (urc-tool restore puts a backup back)");
}

void storeConvertedCode(device::UrcLibrary& urc, const Snapshot& s, const KeyInfo& key,
                        const std::string& converted) {
    const auto planned = learning::planLearnedCode(s.tables, key.index, converted);
    if (const auto* failure = std::get_if<learning::PlanFailure>(&planned))
        throw ToolError("key " + keyName(key) + " cannot take this code: " +
                        planFailureText(*failure, s.tables, converted) + "; nothing was written");
    const auto& writes = std::get<learning::StoragePlan>(planned).writes;
    requireConsistent(withWrites(s.memory, writes), "after these writes");
    writePlanned(urc, s, writes);
}

} // namespace urctool
