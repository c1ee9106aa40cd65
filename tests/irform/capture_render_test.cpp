#include "irform/capture_render.h"
#include "irform/protocols.h"
#include "irform/timing_body.h"
#include "tests/support/capture_words.h"

#include <gtest/gtest.h>

using namespace irform;
using ircode_test::endMarker;

namespace {

struct RenderCase {
    const char* name;
    std::vector<uint32_t> durations;
    std::string words; // before the end marker
};

class Render : public ::testing::TestWithParam<RenderCase> {};

TEST_P(Render, WritesTheUrcWords) {
    const Signal s{38000, GetParam().durations};
    EXPECT_EQ(renderCapture(s), GetParam().words + endMarker() + "4F4F4E00");
}

INSTANTIATE_TEST_SUITE_P(
    RenderCapture, Render,
    ::testing::Values(
        // (1051 + 58) * 3 = 3327 = 0xCFF; (655 - 58) * 3 = 1791 = 0x6FF.
        RenderCase{"MarkAndSpace", {1051, 655, 198, 100000}, "8CFF06FF8300"},
        RenderCase{"EndsWithMark", {1051}, "8CFF"},
        // 12000 us mark: 36174 units = 7FFF + 0x0D4F.
        RenderCase{"LongMark", {12000, 1000}, "7FFF8D4F"},
        // 560 us mark: 1854 units = 0x73E; 40000 us space: 119826 units = 3 fillers + 0x5415.
        RenderCase{"LongSpace", {560, 40000, 560, 100000}, "873E7FFF7FFF7FFF5415873E"},
        // 300 ms of silence ends the capture: what follows is not captured.
        RenderCase{"EndingSilence", {560, 300000, 560, 1000, 560}, "873E"},
        // The marker follows a mark: a trailing space is dropped.
        RenderCase{"SpaceBeforeEnd", {560, 1000}, "873E"}, RenderCase{"Empty", {}, ""}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(RenderCapture, NeverOutgrowsTheCaptureBuffer) {
    Signal s;
    for (int i = 0; i < 6000; ++i)
        s.durations.push_back(500);
    const std::string capture = renderCapture(s);
    EXPECT_LE(capture.size(), kCaptureCapacity);
    EXPECT_EQ(capture.size() % 4, 0u);
    EXPECT_EQ(capture.substr(capture.size() - 88, 80), endMarker());
    EXPECT_GE(capture[capture.size() - 92], '8') << "the last word before the marker is a mark";
}

struct CarrierCase {
    int hz;
    std::string words;
};

class Carrier : public ::testing::TestWithParam<CarrierCase> {};

// Bytes a b c with Trunc(9000 / (a + b + c)) = kHz.
TEST_P(Carrier, GivesBackTheKilohertz) {
    const std::string w = carrierWords(GetParam().hz);
    EXPECT_EQ(w, GetParam().words);
    const int s = std::stoi(w.substr(0, 2), nullptr, 16) + std::stoi(w.substr(2, 2), nullptr, 16) +
                  std::stoi(w.substr(4, 2), nullptr, 16);
    EXPECT_EQ(9000 / s, (GetParam().hz + 500) / 1000);
}

INSTANTIATE_TEST_SUITE_P(CarrierWords, Carrier,
                         ::testing::Values(CarrierCase{38000, "4F4F4E00"},
                                           CarrierCase{36000, "54535300"},
                                           CarrierCase{40000, "4B4B4B00"},
                                           CarrierCase{56000, "36353500"}));

struct BodyCase {
    const char* name;
    std::string body;
    std::vector<uint32_t> durations; // empty: not a body
};

class Body : public ::testing::TestWithParam<BodyCase> {};

TEST_P(Body, ParsesToDurations) {
    const auto signal = parseTimingBody(GetParam().body);
    if (GetParam().durations.empty()) {
        EXPECT_FALSE(signal);
        return;
    }
    ASSERT_TRUE(signal);
    EXPECT_EQ(signal->carrierHz, kDefaultCarrierHz);
    EXPECT_EQ(signal->durations, GetParam().durations);
}

INSTANTIATE_TEST_SUITE_P(
    ParseTimingBody, Body,
    ::testing::Values(
        BodyCase{"GapThenEnd",
                 "041B028F00C6013A00C6FEFE0022EDED041B028F00C6EDED",
                 {1051, 655, 198, 314, 198, 34500, 1051, 655, 198, kTrailingGapUs}},
        BodyCase{"EndWithoutGap", "041B028F00C6FEFE0014EDED", {1051, 655, 198, kTrailingGapUs}},
        // One to three characters too many at the front are skipped.
        BodyCase{"LongCount", "2041B028F00C6EDED", {1051, 655, 198, kTrailingGapUs}},
        BodyCase{"LongCarrier", "812041B028F00C6EDED", {1051, 655, 198, kTrailingGapUs}},
        BodyCase{"NegativeMark", "FFFFFFFB028F00C6EDED", {0, 655, 198, kTrailingGapUs}},
        // Words read alike in either case, the markers too.
        BodyCase{"LowerCase",
                 "041b028f00c6fefe0022eded041B028F00c6eded",
                 {1051, 655, 198, 34500, 1051, 655, 198, kTrailingGapUs}},
        BodyCase{"NegativeCutShort", "041B028FFFFF", {}},
        BodyCase{"NegativeNotHex", "041B028FFFFFFFXB00C6EDED", {}},
        BodyCase{"GapEndNotHex", "041BFEFE0022EDEX041BEDED", {}},
        BodyCase{"SpaceBeforeEnd", "041B028FEDED", {1051, kTrailingGapUs}},
        BodyCase{"NoEnd", "041B028F00C6", {}}, BodyCase{"TextAfterEnd", "041BEDED028F", {}},
        BodyCase{"GapCutShort", "041BFEFE0022", {}}, BodyCase{"NotHex", "041B02G800C6EDED", {}},
        BodyCase{"NoMark", "EDED", {}}, BodyCase{"Empty", "", {}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ParseTimingBody, GarbageNeverCrashes) {
    std::string text;
    for (int i = 0; i < 5000; ++i) {
        text += "FEDC0123456789ABCDEFxyz"[(i * 7919) % 23];
        parseTimingBody(text);
        parseTimingBody(std::string_view(text).substr(i / 2));
    }
}

} // namespace
