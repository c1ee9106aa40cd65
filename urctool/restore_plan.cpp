#include "urctool/restore_plan.h"

#include "urcmem/image_check.h"
#include "urctool/urc_access.h"

#include <algorithm>
#include <set>

namespace urctool {
namespace {

constexpr uint8_t kEmptyFlags = 0x00; // what deleting a key writes
constexpr int kInUseBit = 0x8000;

std::vector<uint8_t> bytesOf(const urcmem::Memory& m, const Area& area) {
    return m.read(static_cast<std::size_t>(area.address), static_cast<std::size_t>(area.length));
}

// Applies a write to the working image and notes it in the plan.
void apply(urcmem::Memory& work, RestorePlan& plan, int address, std::vector<uint8_t> bytes) {
    work.write(static_cast<std::size_t>(address), bytes);
    plan.writes.push_back({address, std::move(bytes)});
}

const urcmem::AllocRecord* allocFor(const std::vector<urcmem::AllocRecord>& records,
                                    uint32_t identifier) {
    for (const auto& record : records)
        if (record.inUse && record.identifier == identifier)
            return &record;
    return nullptr;
}

std::vector<uint8_t> blocksOf(const urcmem::Memory& m, const urcmem::Header& h,
                              const urcmem::AllocRecord& record) {
    const long long at = h.storageAddress + 1LL * urcmem::kStorageBlockSize * record.firstBlock;
    const long long length = 1LL * urcmem::kStorageBlockSize * record.blockCount;
    if (!urcmem::Memory::inRange(at, length))
        return {};
    return m.read(static_cast<std::size_t>(at), static_cast<std::size_t>(length));
}

// A key keeps its code through the restore when its record is the same in
// both images and, if it refers to storage, its allocation record and data
// are too.
bool keepsCode(const urcmem::Memory& current, const urcmem::Memory& backup, const urcmem::Header& h,
               int index) {
    const auto now = urcmem::keyRecord(current, h, index);
    const auto then = urcmem::keyRecord(backup, h, index);
    if (!now || !then || now->bytes != then->bytes)
        return false;
    if (!now->refersToStorage())
        return true;
    const auto nowRecords = urcmem::allocRecords(current, h);
    const auto thenRecords = urcmem::allocRecords(backup, h);
    const auto* a = allocFor(nowRecords, now->identifier());
    const auto* b = allocFor(thenRecords, now->identifier());
    return a && b && a->firstBlock == b->firstBlock && a->blockCount == b->blockCount &&
           blocksOf(current, h, *a) == blocksOf(backup, h, *b);
}

// Step 2: the allocation area with only the records that a key still refers
// to, and the block map marking just their blocks.
std::vector<uint8_t> allocAreaKeeping(const urcmem::Memory& work, const urcmem::Header& h,
                                      const std::set<uint32_t>& kept) {
    const Area area = managedAreas(h).allocArea;
    std::vector<uint8_t> bytes = bytesOf(work, area);
    std::fill(bytes.begin(), bytes.begin() + h.blockMapSize(), 0);
    for (const auto& record : urcmem::allocRecords(work, h)) {
        const std::size_t at = h.blockMapSize() + urcmem::kAllocRecordSize * record.slot + 4;
        if (!record.inUse)
            continue;
        if (!kept.count(record.identifier)) {
            bytes[at] &= static_cast<uint8_t>(~(kInUseBit >> 8));
            continue;
        }
        for (int b = record.firstBlock; b < record.firstBlock + record.blockCount; ++b)
            if (b < h.storageBlockCount)
                bytes[b / 8] |= static_cast<uint8_t>(0x80 >> (b % 8));
    }
    return bytes;
}

// Step 3: runs of differing storage blocks, each write at most kMaxStorageWrite.
void writeStorage(urcmem::Memory& work, const urcmem::Memory& backup, const Area& storage,
                  RestorePlan& plan) {
    const int block = urcmem::kStorageBlockSize;
    int runStart = -1;
    auto flush = [&](int end) {
        if (runStart < 0)
            return;
        apply(work, plan, runStart, backup.read(runStart, end - runStart));
        runStart = -1;
    };
    for (int at = storage.address; at < storage.address + storage.length; at += block) {
        const bool differs = work.read(at, block) != backup.read(at, block);
        if (!differs || (runStart >= 0 && at - runStart >= kMaxStorageWrite))
            flush(at);
        if (differs && runStart < 0)
            runStart = at;
    }
    flush(storage.address + storage.length);
}

// Step 5: differing key records, neighbours written together.
void writeRecords(urcmem::Memory& work, const urcmem::Memory& backup, const urcmem::Header& h,
                  RestorePlan& plan) {
    const int size = urcmem::kKeyRecordSize;
    int first = -1;
    auto flush = [&](int end) {
        if (first < 0)
            return;
        const int at = h.keyTableAddress + size * first;
        apply(work, plan, at, backup.read(at, static_cast<std::size_t>(size * (end - first))));
        first = -1;
    };
    for (int i = 0; i < h.recordCount; ++i) {
        const int at = h.keyTableAddress + size * i;
        const bool differs = work.read(at, size) != backup.read(at, size);
        if (!differs)
            flush(i);
        else if (first < 0)
            first = i;
    }
    flush(h.recordCount);
}

bool areasInside(const ManagedAreas& areas) {
    for (const Area& a : {areas.keyRecords, areas.allocArea, areas.storage})
        if (!urcmem::Memory::inRange(a.address, a.length))
            return false;
    return true;
}

} // namespace

RestorePlan planRestore(const urcmem::Memory& current, const urcmem::Memory& backup,
                        const urcmem::Header& h) {
    RestorePlan plan;
    const ManagedAreas areas = managedAreas(h);
    if (!areasInside(areas)) {
        plan.problem = "the URC's tables lie past the end of its memory";
        return plan;
    }
    // The result must be consistent before anything is written.
    urcmem::Memory result = current;
    for (const Area& a : {areas.keyRecords, areas.allocArea, areas.storage})
        result.write(static_cast<std::size_t>(a.address), bytesOf(backup, a));
    if (auto problem = urcmem::checkImage(result)) {
        plan.problem = "the backup's tables are not consistent: " + *problem;
        return plan;
    }

    urcmem::Memory work = current;
    std::set<uint32_t> kept;
    for (int i = 0; i < h.recordCount; ++i) {
        const auto record = urcmem::keyRecord(work, h, i);
        if (!record->refersToStorage())
            continue;
        if (keepsCode(current, backup, h, i))
            kept.insert(record->identifier());
        else
            apply(work, plan, h.keyTableAddress + urcmem::kKeyRecordSize * i, {kEmptyFlags});
    }
    auto freed = allocAreaKeeping(work, h, kept);
    if (freed != bytesOf(work, areas.allocArea))
        apply(work, plan, areas.allocArea.address, std::move(freed));
    writeStorage(work, backup, areas.storage, plan);
    if (bytesOf(work, areas.allocArea) != bytesOf(backup, areas.allocArea))
        apply(work, plan, areas.allocArea.address, bytesOf(backup, areas.allocArea));
    writeRecords(work, backup, h, plan);
    return plan;
}

std::vector<Difference> differences(const urcmem::Memory& a, const urcmem::Memory& b) {
    std::vector<Difference> out;
    const auto x = a.all();
    const auto y = b.all();
    for (std::size_t i = 0; i < x.size(); ++i) {
        if (x[i] == y[i])
            continue;
        const int at = static_cast<int>(i);
        if (!out.empty() && out.back().last == at - 1)
            out.back().last = at;
        else
            out.push_back({at, at});
    }
    return out;
}

} // namespace urctool
