#include "urctool/import_plan.h"

#include "device/core/hex_text.h"
#include "device/core/urc_reading.h"
#include "learning/core/code_storage.h"
#include "urctool/errors.h"
#include "urctool/key_storage.h"

#include <algorithm>
#include <cstring>
#include <set>

namespace urctool {
namespace {

constexpr std::size_t kBlockDigits = 16;
constexpr uint8_t kInUseBit = 0x80; // of an allocation record's fifth byte

// A memory image answering the reads of start-up, so the copy's tables come
// from the same reader as the URC's own.
class ImageReader final : public device::UrcLibrary {
public:
    explicit ImageReader(const urcmem::Memory& memory) : memory_(memory) {}
    bool link_state() override { return true; }
    bool ReadVersion(char*) override { return false; }
    bool readdatav20(char* buffer, int32_t blocks, const char* high, const char* low,
                     const char*) override {
        const auto address = device::parseHex(std::string(high) + low);
        const long long length = 8LL * blocks;
        if (!address || blocks <= 0 || !urcmem::Memory::inRange(*address, length))
            return false;
        const std::string hex =
            urcmem::toHex(memory_.read(*address, static_cast<std::size_t>(length)));
        std::memcpy(buffer, hex.data(), hex.size());
        return true;
    }
    bool writedatav20(const char*, const char*, const char*, const char*) override { return false; }
    bool SetCodeCarrierWave() override { return false; }
    bool RCollectCodeInfo(char*) override { return false; }
    bool RBasicInfo(char*) override { return false; }
    bool WCodeTypeData(const char*) override { return false; }

private:
    const urcmem::Memory& memory_;
};

void apply(urcmem::Memory& memory, const std::vector<learning::Write>& writes) {
    for (const auto& write : writes) {
        const auto bytes = urcmem::parseHexBytes(write.hex);
        if (!bytes ||
            !urcmem::Memory::inRange(write.address, static_cast<long long>(bytes->size())))
            throw ToolError("the storage plan holds a write outside the URC's memory");
        memory.write(static_cast<std::size_t>(write.address), *bytes);
    }
}

void clearBits(urcmem::Memory& memory, std::size_t address, uint8_t bits) {
    const auto byte = static_cast<uint8_t>(memory.read(address, 1)[0] & ~bits);
    memory.write(address, std::vector<uint8_t>{byte});
}

// An allocation record out of use and its blocks free in the block map.
void freeAllocRecord(urcmem::Memory& work, const urcmem::Header& h,
                     const urcmem::AllocRecord& alloc) {
    const auto area = static_cast<std::size_t>(h.allocAreaAddress);
    clearBits(work, area + h.blockMapSize() + urcmem::kAllocRecordSize * alloc.slot + 4, kInUseBit);
    const int end = std::min(alloc.firstBlock + alloc.blockCount, h.storageBlockCount);
    for (int b = alloc.firstBlock; b < end; ++b)
        clearBits(work, area + static_cast<std::size_t>(b / 8),
                  static_cast<uint8_t>(0x80 >> (b % 8)));
}

// Empties the keys the import replaces, as deleting does, and frees the
// storage of their codes that no other key refers to.
void emptyReplacedKeys(urcmem::Memory& work, const urcmem::Header& h,
                       const std::vector<KeyCode>& codes) {
    std::set<uint32_t> replaced;
    for (const auto& code : codes) {
        const auto record = urcmem::keyRecord(work, h, static_cast<int>(code.key.index));
        if (record && record->refersToStorage())
            replaced.insert(record->identifier());
        work.write(static_cast<std::size_t>(h.keyTableAddress) +
                       urcmem::kKeyRecordSize * code.key.index,
                   std::vector<uint8_t>{0x00});
    }
    for (int i = 0; i < h.recordCount; ++i)
        if (const auto record = urcmem::keyRecord(work, h, i); record && record->refersToStorage())
            replaced.erase(record->identifier());
    for (const auto& alloc : urcmem::allocRecords(work, h))
        if (alloc.inUse && replaced.count(alloc.identifier))
            freeAllocRecord(work, h, alloc);
}

struct Need {
    int blocks = 0;
    int records = 0;
};

// What the codes take of the storage, by planLearnedCode's rule: a raw code
// always gets blocks of its own; a form stored in the code storage gets them
// once, unless the URC keeps it already; a built-in form none.
Need storageNeed(const device::UrcTables& tables, const std::vector<KeyCode>& codes) {
    Need need;
    std::set<std::string> counted;
    for (const auto& code : codes) {
        const auto split = learning::splitConvertedText(code.converted);
        if (!split || learning::storageFlag(tables, split->id) != "80")
            continue;
        const bool raw = learning::isRawId(tables, split->id);
        if (!raw &&
            (learning::isStoredCode(tables, split->id) || !counted.insert(split->id).second))
            continue;
        need.blocks += static_cast<int>(split->data.size() / kBlockDigits);
        ++need.records;
    }
    return need;
}

int freeRecords(const device::UrcTables& t) {
    return t.AllocRecordCapacity - static_cast<int>(t.AllocRecords.size() / 12);
}

void requireRoom(const device::UrcTables& t, const Need& need, std::size_t keys) {
    if (need.blocks <= freeBlocks(t) && need.records <= freeRecords(t))
        return;
    throw ToolError("the " + std::to_string(keys) + (keys == 1 ? " code needs " : " codes need ") +
                    std::to_string(need.blocks) + " storage blocks and " +
                    std::to_string(need.records) + " allocation records; the URC has " +
                    std::to_string(freeBlocks(t)) + " blocks free of " +
                    std::to_string(t.StorageBlockCount) + " and " + std::to_string(freeRecords(t)) +
                    " records free of " + std::to_string(t.AllocRecordCapacity) +
                    " (counting the codes of the keys it replaces as free); nothing was "
                    "written (clear keys to make room, or import fewer codes with --map)");
}

} // namespace

device::UrcTables tablesOf(const urcmem::Memory& memory, const device::UrcTables& original) {
    device::UrcTables tables;
    tables.DeviceIdentity = original.DeviceIdentity;
    ImageReader reader(memory);
    if (!device::readMemoryMap(reader, tables))
        throw ToolError("the URC's tables as the import would leave them cannot be read");
    tables.BuiltinCodeIds = original.BuiltinCodeIds;
    return tables;
}

ImportPlan planImport(const Snapshot& s, const std::vector<KeyCode>& codes) {
    ImportPlan plan;
    plan.target = s.memory;
    emptyReplacedKeys(plan.target, s.header, codes);
    device::UrcTables tables = tablesOf(plan.target, s.tables);
    const Need need = storageNeed(tables, codes);
    plan.blocksNeeded = need.blocks;
    plan.blocksFree = freeBlocks(tables);
    requireRoom(tables, need, codes.size());
    for (const auto& code : codes) {
        const auto planned = learning::planLearnedCode(tables, code.key.index, code.converted);
        if (const auto* failure = std::get_if<learning::PlanFailure>(&planned))
            throw ToolError("code " + code.name + " cannot go to key " + keyName(code.key) + ": " +
                            std::string(learning::failureText(*failure)) + " (" +
                            std::to_string(freeBlocks(tables)) + " storage blocks free, " +
                            std::to_string(freeRecords(tables)) +
                            " allocation records free); nothing was written");
        apply(plan.target, std::get<learning::StoragePlan>(planned).writes);
        tables = tablesOf(plan.target, s.tables);
    }
    requireConsistent(plan.target, "as the import would leave it");
    RestorePlan ordered = planRestore(s.memory, plan.target, s.header);
    if (!ordered.problem.empty())
        throw ToolError(ordered.problem + "; nothing was written");
    plan.writes = std::move(ordered.writes);
    return plan;
}

} // namespace urctool
