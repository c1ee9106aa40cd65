// The start-up reading on crafted URC memories (the pointer rule itself is
// tested with the layout, in tests/urcmem/layout_test.cpp).
#include "device/core/urc_reading.h"
#include "tests/support/scripted_urc.h"

#include <gtest/gtest.h>

#include <functional>

using device::StartupFailure;
using testsupport::ScriptedUrc;

namespace {

struct Urc {
    ScriptedUrc urc;
    testsupport::TestImageLayout layout = testsupport::buildTestImage(urc);
    device::UrcTables tables;

    device::StartupResult read() { return device::readUrc(urc, tables); }
    void setWord(int address, int value) {
        urc.setBytes(address,
                     {static_cast<uint8_t>(value & 0xFF), static_cast<uint8_t>(value >> 8)});
    }
    int header() const { return layout.header; }
    int record(int i) const { return layout.keyTable + 22 * i; }
    int allocRecord(int j) const { return layout.allocArea + 64 + 6 * j; }
};

TEST(TypeAndFirmwareCheck, EveryCaseInItsOrder) {
    struct Case {
        const char* type;
        int major;
        int minor;
        StartupFailure expected;
    };
    const Case cases[] = {
        {"1004", 1, 1, StartupFailure::None},
        {"1004", 1, 2, StartupFailure::None},
        {"1004", 1, 3, StartupFailure::None},
        {"1004", 1, 4, StartupFailure::None},
        {"1004", 1, 0, StartupFailure::FirmwareMessage},
        {"1004", 0, 9, StartupFailure::FirmwareMessage},
        {"1004", 0, 0, StartupFailure::FirmwareMessage},
        {"1004", 1, 5, StartupFailure::VersionMessage},
        {"1004", 2, 1, StartupFailure::VersionMessage},
        {"1004", 2, 0, StartupFailure::VersionMessage},
        {"8888", 1, 4, StartupFailure::FirmwareMessage},
        {"8888", 2, 9, StartupFailure::FirmwareMessage},
        {"8888", 0, 0, StartupFailure::FirmwareMessage},
        {"1005", 1, 4, StartupFailure::VersionMessage},
        {"0410", 1, 4, StartupFailure::VersionMessage},
    };
    for (const auto& c : cases)
        EXPECT_EQ(device::checkTypeAndFirmware(c.type, c.major, c.minor), c.expected)
            << c.type << " " << c.major << "." << c.minor;
}

TEST(StartupReading, ReadsTheWholeMapOfAGoodUrc) {
    Urc u;
    const auto result = u.read();
    ASSERT_EQ(result.failure, StartupFailure::None);
    EXPECT_TRUE(result.identityRead);
    EXPECT_EQ(u.tables.DeviceIdentity, "1112131415161718191A1B1C1D1E1F");
    EXPECT_EQ(u.tables.WriteSelector, "5A");
    EXPECT_EQ(u.tables.KeyTableAddress, 0x1200);
    EXPECT_EQ(u.tables.AllocAreaAddress, 0x2000);
    EXPECT_EQ(u.tables.StorageAddress, 0x3000);
    EXPECT_EQ(u.tables.StorageBlockCount, 512);
    EXPECT_EQ(u.tables.AllocRecordCapacity, 64);
    ASSERT_EQ(u.tables.LearnedKeys.size(), 70u);
    EXPECT_EQ(u.tables.LearnedKeys.front(), "00|0");
    EXPECT_EQ(u.tables.LearnedKeys[8], "10|0");
    EXPECT_EQ(u.tables.LearnedKeys.back(), "85|0");
    EXPECT_EQ(u.tables.BlockMap, std::string(512, '0'));
    EXPECT_TRUE(u.tables.AllocRecords.empty());
    EXPECT_TRUE(u.tables.StoredCodeIds.empty());
    EXPECT_EQ(u.tables.BuiltinCodeIds, (std::vector<std::string>{"010000", "020000", "030000",
                                                                 "040000", "050000", "060000"}));
}

TEST(StartupReading, ReadsEachAreaWithItsExactArguments) {
    Urc u;
    ASSERT_EQ(u.read().failure, StartupFailure::None);
    const auto reads = u.urc.callsOf("readdatav20");
    const std::vector<std::vector<std::string>> expected = {
        {"6", "B0", "00", "08"},   {"2", "B0", "3C", "08"},   {"5", "10", "00", "08"},
        {"50", "10", "20", "08"},  {"193", "12", "00", "08"}, // (70 x 44) div 16 + 1
        {"57", "20", "00", "08"},                             // (64 x 6 + 64) div 8 + 1
        {"120", "19", "00", "08"},
    };
    ASSERT_EQ(reads.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i)
        EXPECT_EQ(reads[i].args, expected[i]) << "read " << i;
    EXPECT_EQ(u.urc.calls().front().function, "ReadVersion");
}

TEST(StartupReading, KeyStatesFollowTheFlagsByte) {
    struct Case {
        uint8_t flags;
        char state;
    };
    const Case cases[] = {{0xA0, '0'}, {0xE0, '0'}, {0x80, '1'}, {0xC0, '2'}, {0x40, '0'},
                          {0x00, '0'}, {0x7F, '0'}, {0xC5, '2'}, {0x9F, '1'}, {0xFF, '0'}};
    for (const auto& c : cases) {
        Urc u;
        u.urc.setBytes(u.record(5), {c.flags});
        ASSERT_EQ(u.read().failure, StartupFailure::None);
        EXPECT_EQ(u.tables.LearnedKeys[5], std::string("05|") + c.state) << int(c.flags);
    }
}

TEST(StartupReading, StoredCodeIdsComeFromKeysWithCodesInStorage) {
    Urc u;
    u.urc.setBytes(u.record(0), {0xC0, 0x00, 0x80, 0xAB, 0xCD, 0xEF}); // learned, in storage
    u.urc.setBytes(u.record(1), {0x80, 0x00, 0x80, 0x22, 0x00, 0x01}); // state 1, in storage
    u.urc.setBytes(u.record(2), {0xC0, 0x00, 0x00, 0x01, 0x00, 0x00}); // learned, built-in
    u.urc.setBytes(u.record(3), {0x00, 0x00, 0x80, 0x33, 0x33, 0x33}); // empty record
    ASSERT_EQ(u.read().failure, StartupFailure::None);
    EXPECT_EQ(u.tables.StoredCodeIds, (std::vector<std::string>{"ABCDEF", "220001"}));
}

TEST(StartupReading, AllocationRecordsMarkTheirBlocks) {
    Urc u;
    u.urc.setBytes(u.allocRecord(0), {0x22, 0x11, 0x00, 0x02, 0x80, 0x03}); // blocks 2..4
    u.urc.setBytes(u.allocRecord(1), {0x33, 0x00, 0x00, 0x0A, 0x00, 0x02}); // not in use
    u.urc.setBytes(u.allocRecord(2), {0x44, 0x00, 0x00, 0xFE, 0x81, 0x04}); // 510..513
    ASSERT_EQ(u.read().failure, StartupFailure::None);
    EXPECT_EQ(u.tables.AllocRecords, "221100028003"
                                     "440000FE8104");
    EXPECT_EQ(u.tables.AllocRecordSlots, (std::vector<int>{0, 2})); // the free slot is kept
    EXPECT_EQ(u.tables.BlockMap.substr(0, 6), "001110");
    EXPECT_EQ(u.tables.BlockMap.substr(10, 2), "00"); // the unused record marks nothing
    // The last run passes the end of the map and lengthens it.
    EXPECT_EQ(u.tables.BlockMap.size(), 514u);
    EXPECT_EQ(u.tables.BlockMap.substr(508), "001111");
}

TEST(StartupReading, ZeroKeysAndZeroIdentifiers) {
    Urc u;
    u.urc.setBytes(u.header() + 32, {0});
    u.setWord(u.layout.codeIdTable, 0);
    ASSERT_EQ(u.read().failure, StartupFailure::None);
    EXPECT_TRUE(u.tables.LearnedKeys.empty());
    EXPECT_TRUE(u.tables.BuiltinCodeIds.empty());
}

TEST(StartupReading, LargeCountsNeverOverrunTheReadBuffers) {
    Urc u;
    u.urc.setBytes(u.header() + 7, {255}); // E = 255: the area needs more than 2048 digits
    const auto result = u.read();
    EXPECT_EQ(result.failure, StartupFailure::None);
    EXPECT_EQ(u.urc.callsOf("readdatav20")[5].args[0], "200");
}

TEST(StartupReading, CountsOrReadsPastTheDataFailLikeAMissingUrc) {
    struct Case {
        const char* what;
        std::function<void(Urc&)> spoil;
    };
    const Case cases[] = {
        {"more identifiers than the 960 bytes read",
         [](Urc& u) { u.setWord(u.layout.codeIdTable, 160); }},
        {"more key codes than key records", [](Urc& u) { u.setWord(u.header(), 60); }},
        {"header read fails", [](Urc& u) { u.urc.failReadsAt(0x1000); }},
        {"key-code list read fails", [](Urc& u) { u.urc.failReadsAt(0x1020); }},
        {"key-record read fails", [](Urc& u) { u.urc.failReadsAt(0x1200); }},
        {"allocation area read fails", [](Urc& u) { u.urc.failReadsAt(0x2000); }},
        {"identifier table read fails", [](Urc& u) { u.urc.failReadsAt(0x1900); }},
        {"layout block read fails", [](Urc& u) { u.urc.failReadsAt(0xB03C); }},
        {"key records past the address space", [](Urc& u) { u.setWord(u.header(), 0x0FFF); }},
        {"identity read fails", [](Urc& u) { u.urc.failReadsAt(0xB000); }},
    };
    for (const auto& c : cases) {
        Urc u;
        c.spoil(u);
        EXPECT_EQ(u.read().failure, StartupFailure::NoDevice) << c.what;
    }
}

TEST(StartupReading, VersionTextIsCheckedBeforeAnyMemoryIsRead) {
    for (const std::string& version : {std::string(), std::string("1019 x"), std::string("102")}) {
        Urc u;
        u.urc.setVersionText(version);
        const auto result = u.read();
        EXPECT_EQ(result.failure, StartupFailure::VersionMessage) << version;
        EXPECT_FALSE(result.identityRead);
        EXPECT_TRUE(u.urc.callsOf("readdatav20").empty());
    }
    Urc u;
    u.urc.setVersionText("1020anything at all");
    EXPECT_EQ(u.read().failure, StartupFailure::None);
}

} // namespace
