#include "learning/core/code_storage.h"

#include "irform/code_form.h"

#include <gtest/gtest.h>

using namespace learning;

namespace {

const std::string kP = "0123456789ABCDEF";
const std::string kQ = "FEDCBA9876543210";
const std::string kTwoBlocks = "11112222333344445555666677778888";

std::string converted(const std::string& id, const std::string& data = kTwoBlocks) {
    return id + "::" + kP + ":" + kQ + ":::" + data;
}

device::UrcTables sampleTables() {
    device::UrcTables t;
    t.LearnedKeys = {"01|0", "02|1", "03|0"};
    t.BuiltinCodeIds = {"1A2B3C"};
    t.KeyTableAddress = 0x1000;
    t.AllocAreaAddress = 0x2000;
    t.StorageAddress = 0x3000;
    t.StorageBlockCount = 16;
    t.AllocRecordCapacity = 4;
    t.BlockMap = "1100000000000000";
    t.AllocRecords = "AABBCC008002";
    t.StoredCodeIds = {"AABBCC"};
    return t;
}

StoragePlan planOk(const device::UrcTables& t, std::size_t key, const std::string& text) {
    auto result = planLearnedCode(t, key, text);
    if (auto* failure = std::get_if<PlanFailure>(&result))
        ADD_FAILURE() << failureText(*failure);
    return std::holds_alternative<StoragePlan>(result) ? std::get<StoragePlan>(result)
                                                       : StoragePlan{};
}

TEST(PlanLearnedCode, StoresDataThenAllocationAreaThenKeyRecord) {
    const auto plan = planOk(sampleTables(), 1, converted("AB12CD"));
    ASSERT_EQ(plan.writes.size(), 3u);
    EXPECT_EQ(plan.writes[0], (Write{0x3000 + 8 * 2, kTwoBlocks}));
    EXPECT_EQ(plan.writes[1], (Write{0x2000, "F000"
                                             "AABBCC008002"
                                             "AB12CD028002"}));
    EXPECT_EQ(plan.writes[2], (Write{0x1000 + 22, "C00080AB12CD" + kP + kQ}));
    EXPECT_EQ(plan.after.BlockMap, "1111000000000000");
    EXPECT_EQ(plan.after.AllocRecords, "AABBCC008002AB12CD028002");
    EXPECT_EQ(plan.after.StoredCodeIds, (std::vector<std::string>{"AABBCC", "AB12CD"}));
    EXPECT_EQ(plan.after.LearnedKeys, (std::vector<std::string>{"01|0", "02|2", "03|0"}));
}

struct FlagCase {
    const char* id;
    const char* flag;
    std::size_t writes;
};

class Flag : public ::testing::TestWithParam<FlagCase> {};

TEST_P(Flag, DecidesStorage) {
    const FlagCase c = GetParam();
    const auto tables = sampleTables();
    EXPECT_EQ(storageFlag(tables, c.id), c.flag);
    const auto plan = planOk(tables, 2, converted(c.id));
    ASSERT_EQ(plan.writes.size(), c.writes);
    EXPECT_EQ(plan.writes.back().address, 0x1000 + 44);
    EXPECT_EQ(plan.writes.back().hex.substr(0, 6), std::string("C000") + c.flag);
    if (c.writes == 1) {
        EXPECT_EQ(plan.after.BlockMap, tables.BlockMap);
        EXPECT_EQ(plan.after.AllocRecords, tables.AllocRecords);
        EXPECT_EQ(plan.after.StoredCodeIds, tables.StoredCodeIds);
    }
}

INSTANTIATE_TEST_SUITE_P(PlanLearnedCode, Flag,
                         ::testing::Values(FlagCase{"1A2B3C", "00", 1}, // in the URC's table
                                           FlagCase{"1a2b3c", "00", 1}, // ignoring case
                                           FlagCase{"010000", "00", 1}, // below 0x22, then 0000
                                           FlagCase{"210000", "00", 1},
                                           FlagCase{"220000", "80", 3}, // 0x22 or more
                                           FlagCase{"010001", "80", 3},
                                           // A raw identifier the URC holds: stored
                                           // under another one (see below).
                                           FlagCase{"AABBCC", "80", 3},
                                           FlagCase{"aabbcc", "80", 3}));

// A form's identifier names the form (a URC whose table lacks it keeps the
// form's data in storage): the second key refers to the stored one.
TEST(PlanLearnedCode, SameFormIdentifierLearnedTwiceIsStoredOnce) {
    const auto first = planOk(sampleTables(), 0, converted("070001"));
    ASSERT_EQ(first.writes.size(), 3u);
    const auto second = planOk(first.after, 2, converted("070001"));
    ASSERT_EQ(second.writes.size(), 1u);
    EXPECT_EQ(second.writes[0].address, 0x1000 + 44);
    EXPECT_EQ(second.after.AllocRecords, first.after.AllocRecords);
    EXPECT_EQ(second.after.LearnedKeys, (std::vector<std::string>{"01|2", "02|1", "03|2"}));
}

// The forms numbered from 0x22 on have identifiers in the raw range (0x22
// or more), yet each names its form: learned twice on a URC whose table
// lacks it, it is stored once; and a raw code never takes one.
TEST(PlanLearnedCode, AFormNumberedInTheRawRangeKeepsItsIdentifier) {
    ASSERT_GT(std::size(irform::kAllProtocols), 0x21u);
    const std::string formId = irform::builtinId(irform::kAllProtocols[0x21]);
    ASSERT_EQ(formId, "220001");
    const auto first = planOk(sampleTables(), 0, converted(formId));
    ASSERT_EQ(first.writes.size(), 3u);
    const auto second = planOk(first.after, 2, converted(formId));
    ASSERT_EQ(second.writes.size(), 1u);
    EXPECT_EQ(second.writes[0].hex.substr(6, 6), formId);

    auto tables = sampleTables();
    tables.AllocRecords = "220000008002";
    tables.StoredCodeIds = {"220000"};
    const auto raw = planOk(tables, 2, converted("220000"));
    ASSERT_EQ(raw.writes.size(), 3u);
    EXPECT_EQ(raw.writes[2].hex.substr(6, 6), "220002") << "the form's identifier is skipped";
}

// A raw code's identifier is a digest of its data, and two codes can share it:
// the new code never takes an identifier the URC already holds, so no two
// keys send one code by accident.
TEST(PlanLearnedCode, ARawIdentifierTheUrcHoldsIsReplacedByTheNextFreeOne) {
    struct Case {
        const char* what;
        const char* allocRecords;           // the URC's allocation area
        std::vector<std::string> storedIds; // the window's copy of their identifiers
        const char* builtinId;              // one more in the URC's identifier table, or ""
        const char* converted;              // the identifier the conversion gave
        const char* stored;                 // the one the code is stored under
    };
    const Case cases[] = {
        {"a stored code", "AABBCC008002", {"AABBCC"}, "", "AABBCC", "AABBCD"},
        {"in another case", "AABBCC008002", {"AABBCC"}, "", "aabbcc", "AABBCD"},
        {"only an allocation record", "AABBCC008002", {}, "", "AABBCC", "AABBCD"},
        {"the next in the identifier table",
         "AABBCC008002",
         {"AABBCC"},
         "AABBCD",
         "AABBCC",
         "AABBCE"},
        {"several in a row",
         "AABBCC008002AABBCD028002",
         {"AABBCC", "AABBCD"},
         "",
         "AABBCC",
         "AABBCE"},
        {"at the end of the range", "FFFFFF008002", {"FFFFFF"}, "", "FFFFFF", "220000"}};
    for (const Case& c : cases) {
        auto tables = sampleTables();
        tables.AllocRecords = c.allocRecords;
        tables.StoredCodeIds = c.storedIds;
        if (*c.builtinId != '\0')
            tables.BuiltinCodeIds.push_back(c.builtinId);
        const auto plan = planOk(tables, 2, converted(c.converted));
        ASSERT_EQ(plan.writes.size(), 3u) << c.what;
        EXPECT_EQ(plan.writes[2].hex, "C00080" + std::string(c.stored) + kP + kQ) << c.what;
        EXPECT_EQ(plan.after.AllocRecords.substr(plan.after.AllocRecords.size() - 12, 6), c.stored)
            << c.what;
        EXPECT_EQ(plan.after.StoredCodeIds.back(), c.stored) << c.what;
    }
}

struct FailCase {
    const char* name;
    device::UrcTables tables;
    std::size_t key;
    std::string text;
    PlanFailure failure;
};

device::UrcTables with(void (*change)(device::UrcTables&)) {
    auto t = sampleTables();
    change(t);
    return t;
}

class Refused : public ::testing::TestWithParam<FailCase> {};

TEST_P(Refused, BeforeAnythingIsWritten) {
    const auto result = planLearnedCode(GetParam().tables, GetParam().key, GetParam().text);
    ASSERT_TRUE(std::holds_alternative<PlanFailure>(result));
    EXPECT_EQ(std::get<PlanFailure>(result), GetParam().failure);
}

INSTANTIATE_TEST_SUITE_P(
    PlanLearnedCode, Refused,
    ::testing::Values(
        FailCase{"Empty", sampleTables(), 0, "", PlanFailure::BadConvertedText},
        FailCase{"NoIdSeparator", sampleTables(), 0, "AB12CD:" + kP + ":" + kQ + ":::" + kTwoBlocks,
                 PlanFailure::BadConvertedText},
        FailCase{"NoPSeparator", sampleTables(), 0, "AB12CD::" + kP + kQ + ":::" + kTwoBlocks,
                 PlanFailure::BadConvertedText},
        FailCase{"NoDataSeparator", sampleTables(), 0,
                 "AB12CD::" + kP + ":" + kQ + "::" + kTwoBlocks, PlanFailure::BadConvertedText},
        FailCase{"ShortId", sampleTables(), 0, converted("AB12C"), PlanFailure::BadConvertedText},
        FailCase{"IdNotHex", sampleTables(), 0, converted("AB12CX"), PlanFailure::BadConvertedText},
        FailCase{"DataShorterThanABlock", sampleTables(), 0, converted("AB12CD", "1234"),
                 PlanFailure::BadConvertedText},
        FailCase{"DataNotWholeBlocks", sampleTables(), 0, converted("AB12CD", kTwoBlocks + "12"),
                 PlanFailure::BadConvertedText},
        FailCase{"DataNotHex", sampleTables(), 0, converted("AB12CD", "11112222333344XX"),
                 PlanFailure::BadConvertedText},
        FailCase{"RecordTooShort", sampleTables(), 0, "AB12CD::0123:" + kQ + ":::" + kTwoBlocks,
                 PlanFailure::BadRecordLength},
        FailCase{"RecordTooLong", sampleTables(), 0,
                 "AB12CD::" + kP + "00:" + kQ + ":::" + kTwoBlocks, PlanFailure::BadRecordLength},
        FailCase{"NoSuchKey", sampleTables(), 3, converted("AB12CD"), PlanFailure::NoSuchKey},
        FailCase{"StorageFull", with([](device::UrcTables& t) { t.BlockMap = "1111111111111101"; }),
                 0, converted("AB12CD"), PlanFailure::NoFreeBlocks},
        FailCase{"NoAllocRecordLeft", with([](device::UrcTables& t) { t.AllocRecordCapacity = 1; }),
                 0, converted("AB12CD"), PlanFailure::NoFreeAllocRecord},
        FailCase{"MoreThan255Blocks", with([](device::UrcTables& t) {
                     t.StorageBlockCount = 512;
                     t.BlockMap = std::string(512, '0');
                 }),
                 0, converted("AB12CD", std::string(16 * 256, 'A')), PlanFailure::TooManyBlocks},
        FailCase{"DataPastMemoryEnd", with([](device::UrcTables& t) { t.StorageAddress = 0xFFF0; }),
                 0, converted("AB12CD"), PlanFailure::OutsideMemory}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(PlanLearnedCode, ExactlyOneFreeAllocRecordIsEnough) {
    auto t = sampleTables();
    t.AllocRecordCapacity = 2;
    EXPECT_EQ(planOk(t, 0, converted("AB12CD")).writes.size(), 3u);
}

TEST(PlanLearnedCode, TwoHundredFiftyFiveBlocksFitTheCount) {
    auto t = sampleTables();
    t.StorageBlockCount = 512;
    t.BlockMap = std::string(512, '0');
    const auto plan = planOk(t, 0, converted("AB12CD", std::string(16 * 255, 'A')));
    ASSERT_EQ(plan.writes.size(), 3u);
    EXPECT_TRUE(plan.writes[1].hex.ends_with("AB12CD0080FF"));
}

TEST(PlanLearnedCode, AllocationAreaKeepsTheMapAtItsOwnSize) {
    // A record read at start-up ran past the storage and lengthened the map.
    auto t = sampleTables();
    t.BlockMap = "11000000000000001111";
    const auto plan = planOk(t, 0, converted("AB12CD"));
    ASSERT_EQ(plan.writes.size(), 3u);
    EXPECT_EQ(plan.writes[1].hex, "F000"
                                  "AABBCC008002"
                                  "AB12CD028002");
}

struct SlotCase {
    const char* name;
    std::vector<int> slots; // of the records read at start-up, in their order
    int capacity;
    std::string recordsWritten; // after the map, "--" marks the new record
    std::vector<int> slotsAfter;
};

class Slot : public ::testing::TestWithParam<SlotCase> {};

// Records AA..., BB..., CC... in the given slots; the new record takes the
// first free slot and every record stays where it was.
TEST_P(Slot, KeepsEveryRecordInItsSlot) {
    const SlotCase c = GetParam();
    auto t = sampleTables();
    t.AllocRecordCapacity = c.capacity;
    t.AllocRecords.clear();
    const std::vector<std::string> records = {"AAAAAA00800A", "BBBBBB00800B", "CCCCCC00800C"};
    for (std::size_t i = 0; i < c.slots.size(); ++i)
        t.AllocRecords += records[i];
    t.AllocRecordSlots = c.slots;
    const auto plan = planOk(t, 0, converted("AB12CD"));
    ASSERT_EQ(plan.writes.size(), 3u);
    std::string expected = c.recordsWritten;
    expected.replace(expected.find("--"), 2, "AB12CD028002");
    EXPECT_EQ(plan.writes[1].hex, "F000" + expected);
    EXPECT_EQ(plan.after.AllocRecordSlots, c.slotsAfter);
    EXPECT_EQ(plan.after.AllocRecords.substr(0, t.AllocRecords.size()), t.AllocRecords);
}

INSTANTIATE_TEST_SUITE_P(
    PlanLearnedCode, Slot,
    ::testing::Values(SlotCase{"FreeSlotBeforeAUsedOne", {0, 3}, 4, "AAAAAA00800A--", {0, 3, 1}},
                      SlotCase{"FirstSlotFree", {2, 1}, 4, "--", {2, 1, 0}},
                      SlotCase{"OnlyTheLastSlotFree",
                               {2, 0, 1},
                               4,
                               "BBBBBB00800BCCCCCC00800CAAAAAA00800A--",
                               {2, 0, 1, 3}},
                      SlotCase{"NoRecordYet", {}, 4, "--", {0}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(PlanLearnedCode, NoFreeSlotLeftWhenEverySlotIsUsedOutOfOrder) {
    auto t = sampleTables();
    t.AllocRecordCapacity = 2;
    t.AllocRecords = "AAAAAA00800ABBBBBB00800B";
    t.AllocRecordSlots = {1, 0};
    const auto result = planLearnedCode(t, 0, converted("AB12CD"));
    ASSERT_TRUE(std::holds_alternative<PlanFailure>(result));
    EXPECT_EQ(std::get<PlanFailure>(result), PlanFailure::NoFreeAllocRecord);
}

struct RunCase {
    const char* map;
    int storageBlocks;
    int count;
    std::optional<int> first;
};

class FreeRun : public ::testing::TestWithParam<RunCase> {};

TEST_P(FreeRun, FindsTheFirstFreeRun) {
    const RunCase c = GetParam();
    EXPECT_EQ(findFreeRun(c.map, c.storageBlocks, c.count), c.first) << c.map << " " << c.count;
}

INSTANTIATE_TEST_SUITE_P(
    StoreCodeData, FreeRun,
    ::testing::Values(RunCase{"00000000", 8, 1, 0}, RunCase{"10000000", 8, 2, 1},
                      RunCase{"10100000", 8, 2, 3}, RunCase{"10100100", 8, 2, 3},
                      RunCase{"11110110", 8, 2, std::nullopt},
                      // the run may not reach the map's last character
                      RunCase{"11111100", 8, 2, std::nullopt}, RunCase{"11111100", 8, 1, 6},
                      // nor leave the code storage (map longer than the storage)
                      RunCase{"1111000000000000", 6, 2, 4},
                      RunCase{"1111000000000000", 6, 3, std::nullopt},
                      RunCase{"", 0, 1, std::nullopt}, RunCase{"0000", 8, 4, std::nullopt},
                      RunCase{"11111111", 8, 1, std::nullopt}));

struct MapCase {
    const char* bits;
    const char* hex;
};

class MapHex : public ::testing::TestWithParam<MapCase> {};

TEST_P(MapHex, PacksEightFlagsAByte) {
    EXPECT_EQ(BlockMapToHex(GetParam().bits), GetParam().hex);
}

INSTANTIATE_TEST_SUITE_P(BlockMapToHex, MapHex,
                         ::testing::Values(MapCase{"", ""}, MapCase{"00000000", "00"},
                                           MapCase{"10000000", "80"}, MapCase{"00000001", "01"},
                                           MapCase{"1111000010100101", "F0A5"},
                                           MapCase{"110000000000000011111111", "C000FF"}));

TEST(AllocRecordText, IdThenLowAndHighByteOfTheWordThenCount) {
    EXPECT_EQ(allocRecordText("AB12CD", 0, 1), "AB12CD008001");
    EXPECT_EQ(allocRecordText("AB12CD", 0x123, 5), "AB12CD238105");
    EXPECT_EQ(allocRecordText("AB12CD", 0x7FFF, 255), "AB12CDFFFFFF");
}

TEST(SplitConvertedText, TakesTheFirstOfEachSeparator) {
    const auto code = splitConvertedText(converted("AB12CD"));
    ASSERT_TRUE(code);
    EXPECT_EQ(code->id, "AB12CD");
    EXPECT_EQ(code->p, kP);
    EXPECT_EQ(code->q, kQ);
    EXPECT_EQ(code->data, kTwoBlocks);
}

} // namespace
