// checkImage on images broken in the ways a faulty writer would break them.
#include "urcmem/factory_image.h"
#include "urcmem/image_check.h"
#include "urcmem/memory_map.h"
#include "platform/urcsim/factory_keys.h"

#include <functional>
#include <gtest/gtest.h>

namespace {

using urcmem::Memory;
namespace f = urcmem::factory;

constexpr int kMapSize = f::kStorageBlockCount / 8;
constexpr int kRecords = f::kAllocAreaAddress + kMapSize;

// Key record i holds a learned code kept in storage under identifier id.
void learnStored(Memory& m, int key, uint32_t id) {
    const int a = f::kKeyTableAddress + 22 * key;
    m.setByte(a, 0xC0);
    m.setByte(a + 2, 0x80);
    m.setByte(a + 3, uint8_t(id >> 16));
    m.setByte(a + 4, uint8_t(id >> 8));
    m.setByte(a + 5, uint8_t(id));
}

void allocRecord(Memory& m, int slot, uint32_t id, int first, int count, bool inUse = true) {
    const int a = kRecords + 6 * slot;
    m.setByte(a, uint8_t(id >> 16));
    m.setByte(a + 1, uint8_t(id >> 8));
    m.setByte(a + 2, uint8_t(id));
    m.setWord(a + 3, (inUse ? 0x8000 : 0) | first);
    m.setByte(a + 5, uint8_t(count));
}

void markBlocks(Memory& m, int first, int count) {
    for (int b = first; b < first + count; ++b) {
        const int a = f::kAllocAreaAddress + b / 8;
        m.setByte(a, m.byte(a) | (0x80 >> (b % 8)));
    }
}

// A consistent image with two stored codes, as learning leaves it.
Memory learnedImage() {
    Memory m = urcsim::factoryImageFor(urcmem::defaultProfile());
    learnStored(m, 4, 0x2A0001);
    allocRecord(m, 0, 0x2A0001, 0, 3);
    markBlocks(m, 0, 3);
    learnStored(m, 9, 0x3B0002);
    allocRecord(m, 1, 0x3B0002, 3, 2);
    markBlocks(m, 3, 2);
    return m;
}

TEST(ImageCheck, AcceptsAnImageWithLearnedCodes) {
    EXPECT_EQ(urcmem::checkImage(learnedImage()), std::nullopt);
}

TEST(ImageCheck, AcceptsARecordThatNoLongerHasAKey) {
    // Deleting writes 0x00 into the flags and leaves storage allocated.
    Memory m = learnedImage();
    m.setByte(f::kKeyTableAddress + 22 * 4, 0x00);
    EXPECT_EQ(urcmem::checkImage(m), std::nullopt);
}

struct BrokenCase {
    const char* name;
    std::function<void(Memory&)> breakIt;
    const char* expected; // a part of the violation's wording
};

class BrokenImages : public testing::TestWithParam<BrokenCase> {};

TEST_P(BrokenImages, NameTheirFirstViolation) {
    Memory m = learnedImage();
    GetParam().breakIt(m);
    auto problem = urcmem::checkImage(m);
    ASSERT_TRUE(problem) << "no violation found";
    EXPECT_NE(problem->find(GetParam().expected), std::string::npos) << *problem;
}

const BrokenCase kBroken[] = {
    {"overlapping_records",
     [](Memory& m) {
         allocRecord(m, 1, 0x3B0002, 2, 2);
         markBlocks(m, 2, 3);
     },
     "shares block 2"},
    {"stored_code_without_record", [](Memory& m) { learnStored(m, 12, 0x4C0003); },
     "refers to stored code 4C0003 but no allocation record in use"},
    {"record_not_in_use", [](Memory& m) { allocRecord(m, 0, 0x2A0001, 0, 3, false); },
     "refers to stored code 2A0001"},
    {"unmarked_blocks", [](Memory& m) { m.setByte(f::kAllocAreaAddress, 0x80); },
     "block 1 is not marked"},
    {"record_past_storage",
     [](Memory& m) {
         allocRecord(m, 2, 0x5D0004, 510, 4);
         markBlocks(m, 510, 2);
     },
     "passes the end of the code storage"},
    {"empty_record", [](Memory& m) { allocRecord(m, 2, 0x5D0004, 20, 0); }, "occupies no block"},
    {"record_past_area",
     [](Memory& m) {
         allocRecord(m, f::kAllocRecordCount, 0x6E0005, 40, 1);
         markBlocks(m, 40, 1);
     },
     "past the allocation area's 64 records"},
    {"key_count_differs", [](Memory& m) { m.setWord(f::kHeaderAddress, 69); },
     "lists 70 key codes but 69 key records"},
    {"storage_past_memory", [](Memory& m) { m.setWord(f::kHeaderAddress + 8, 0x2000); },
     "code storage at 0x2000"},
    {"areas_overlap", [](Memory& m) { m.setWord(f::kHeaderAddress + 26, 0x8000 + 0x1400); },
     "overlaps"},
    {"header_past_memory", [](Memory& m) { m.setWord(urcmem::kLayoutAddress, 0xFFF0); },
     "header address 0xFFF0"},
    {"too_many_code_ids", [](Memory& m) { m.setWord(f::kCodeIdTableAddress, 200); },
     "lists 200 entries"},
    {"no_storage", [](Memory& m) { m.setWord(f::kHeaderAddress + 8, 0); }, "0 blocks"},
};

INSTANTIATE_TEST_SUITE_P(All, BrokenImages, testing::ValuesIn(kBroken),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(StoredCode, GivesTheRecordAndTheDataOfAStoredCode) {
    Memory m = learnedImage();
    const std::vector<uint8_t> data = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16};
    m.write(f::kStorageAddress + 8 * 3, data);
    // Key record 9 belongs to the tenth key code, "11".
    auto lookup = urcmem::storedCode(m, 0x11);
    ASSERT_TRUE(lookup.code) << lookup.error;
    EXPECT_EQ(lookup.code->recordIndex, 9);
    EXPECT_EQ(lookup.code->record.identifier(), 0x3B0002u);
    ASSERT_TRUE(lookup.code->data);
    EXPECT_EQ(*lookup.code->data, data);
}

TEST(StoredCode, GivesABuiltInCodeWithoutDataAndRefusesUnknownKeys) {
    Memory m = learnedImage();
    auto preset = urcmem::storedCode(m, 0x00);
    ASSERT_TRUE(preset.code);
    EXPECT_FALSE(preset.code->data);
    EXPECT_EQ(preset.code->record.flags(), 0x80);
    auto unknown = urcmem::storedCode(m, 0x99);
    EXPECT_FALSE(unknown.code);
    EXPECT_NE(unknown.error.find("no key with code 99"), std::string::npos);
    learnStored(m, 20, 0x7F0007);
    auto dangling = urcmem::storedCode(m, urcmem::keyCodes(m, *urcmem::readHeader(m))[20]);
    EXPECT_FALSE(dangling.code);
}

} // namespace
