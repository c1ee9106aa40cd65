// The contract checks of the fuzz entries must accept what the real code
// produces and reject each kind of broken result, or the fuzzers would either
// cry wolf or miss faults.
#include "fuzz/oracles.h"
#include "learning/core/capture_text.h"
#include "irform/code_form.h"
#include "irform/raw_example.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::string marker() {
    std::string m;
    for (int i = 0; i < 20; ++i)
        m += "7FFF";
    return m;
}

const std::string kHead = "8D0007008300030083007FFF7FFF7FFF10008D0007008300";
const std::string kCarrier = "1A1A1A00";

std::string capture() {
    std::string text = kHead + marker() + kCarrier;
    text.resize(10240, '\0');
    return text;
}

TEST(CutCheck, AcceptsTheRealCutAndTheNoMarkerAnswer) {
    EXPECT_EQ(fuzzcheck::checkCut(capture(), learning::CutAtEndMarker(capture())), "");
    EXPECT_EQ(fuzzcheck::checkCut("8D000700", "0000"), "");
}

TEST(CutCheck, RejectsBrokenCuts) {
    struct Case {
        const char* what;
        std::string capture;
        std::string cut;
    };
    const Case cases[] = {
        {"marker invented", "8D0007008300", "8D00" + marker() + kCarrier},
        {"carrier words lost", capture(), kHead + marker()},
        {"head changed", capture(), "9D00" + kHead.substr(4) + marker() + kCarrier},
        {"head past the marker", capture(), kHead + marker() + marker() + kCarrier},
        {"marker after the data's end", std::string("8D00\0", 5) + marker() + kCarrier,
         "8D00" + marker() + kCarrier},
    };
    for (const auto& c : cases)
        EXPECT_NE(fuzzcheck::checkCut(c.capture, c.cut), "") << c.what;
}

TEST(EncodedCheck, TellsGoodFromBrokenResults) {
    struct Case {
        learning::EncodeResult result;
        bool good;
    };
    const Case cases[] = {
        {{"", true}, true},
        {{"27312041B028F00C6FEFE0022EDED", false}, true},
        {{"12", true}, false},
        {{"", false}, false},
        {{"27312041b0", false}, false},
        {{"27312 41B0", false}, false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(fuzzcheck::checkEncoded(c.result).empty(), c.good) << c.result.text;
}

std::string necText() {
    return irform::convertedText(irform::toCodeForm(irform::Decoded{irform::Protocol::Nec, 4, 8}));
}

std::string rawText() {
    const auto form = irform::rawCodeForm(irform::rawExampleSignal(1));
    return form ? irform::convertedText(*form) : std::string();
}

TEST(ConvertedCheck, AcceptsWhatTheCodeFormMakes) {
    EXPECT_EQ(fuzzcheck::checkConverted(""), "");
    EXPECT_EQ(fuzzcheck::checkConverted(necText()), "");
    ASSERT_FALSE(rawText().empty());
    EXPECT_EQ(fuzzcheck::checkConverted(rawText()), "");
}

// Replaces the character at `at` (from the end when negative).
std::string withChar(std::string text, int at, char c) {
    text[at >= 0 ? at : text.size() + at] = c;
    return text;
}

TEST(ConvertedCheck, RejectsBrokenForms) {
    const std::string nec = necText();
    const std::string raw = rawText();
    const std::string p16(16, '0');
    const std::string cases[] = {
        "010000:" + p16 + ":" + p16 + ":::" + p16,         // one colon short
        "01000::" + p16 + ":" + p16 + ":::" + p16,         // I of 5 digits
        "010000::" + p16 + "0:" + p16 + ":::" + p16,       // P of 17 digits
        "010000::" + p16 + ":" + p16 + ":::" + p16 + "00", // D not whole blocks
        "010000::" + p16 + ":" + p16 + ":::",              // no data
        withChar(nec, 0, 'a'),                             // lower case
        withChar(raw, -1, raw.back() == '0' ? '1' : '0'),  // data no longer matches Q
        "010000::" + p16 + ":" + p16 + ":::" + std::string(256 * 16, '0'), // 256 blocks
    };
    for (const auto& text : cases)
        EXPECT_NE(fuzzcheck::checkConverted(text), "") << text;
}

device::UrcTables goodTables() {
    device::UrcTables t;
    t.LearnedKeys = {"00|0", "01|1", "4E|2"};
    t.StoredCodeIds = {"2A1B3C"};
    t.BuiltinCodeIds = {"010000"};
    t.StorageBlockCount = 12;
    t.BlockMap = "1100000000000000";
    t.AllocRecords = "2A1B3C800002";
    t.AllocRecordCapacity = 4;
    t.AllocRecordSlots = {2};
    t.WriteSelector = "5A";
    return t;
}

TEST(TablesCheck, TellsGoodFromBrokenTables) {
    EXPECT_EQ(fuzzcheck::checkTables(goodTables()), "");
    auto grownMap = goodTables();
    grownMap.BlockMap += "0001";
    EXPECT_EQ(fuzzcheck::checkTables(grownMap), "");

    const std::vector<void (*)(device::UrcTables&)> breaks = {
        [](device::UrcTables& t) { t.LearnedKeys.push_back("01|3"); },
        [](device::UrcTables& t) { t.LearnedKeys.push_back("01|"); },
        [](device::UrcTables& t) { t.StoredCodeIds.push_back("2A1B"); },
        [](device::UrcTables& t) { t.BlockMap = "11000000"; },
        [](device::UrcTables& t) { t.BlockMap[3] = '2'; },
        [](device::UrcTables& t) { t.AllocRecords.pop_back(); },
        [](device::UrcTables& t) { t.AllocRecordSlots.clear(); },
        [](device::UrcTables& t) { t.AllocRecordSlots = {4}; },
        [](device::UrcTables& t) {
            t.AllocRecords += "2A1B3C800202";
            t.AllocRecordSlots = {2, 2};
        },
        [](device::UrcTables& t) { t.WriteSelector = "5"; },
    };
    for (std::size_t i = 0; i < breaks.size(); ++i) {
        auto tables = goodTables();
        breaks[i](tables);
        EXPECT_NE(fuzzcheck::checkTables(tables), "") << "break " << i;
    }
}

} // namespace
