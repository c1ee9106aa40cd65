#include "learning/core/capture_text.h"
#include "irform/timing_body.h"
#include "tests/support/capture_words.h"

#include <gtest/gtest.h>

#include <random>

using learning::CutAtEndMarker;
using learning::EncodeTimings;
using namespace ircode_test;

namespace {

const std::string kCarrier78 = "1A1A1A00";

std::string encodeCapture(const std::string& data) {
    const auto result = EncodeTimings(CutAtEndMarker(asDelivered(data)));
    return result.failed ? "<failed>" : result.text;
}

struct EncodeCase {
    const char* name;
    std::string data;
    std::string timings;
};

class Encode : public ::testing::TestWithParam<EncodeCase> {};

TEST_P(Encode, GivesTheTimingText) {
    EXPECT_EQ(encodeCapture(GetParam().data), GetParam().timings);
}

INSTANTIATE_TEST_SUITE_P(
    EncodeTimings, Encode,
    ::testing::Values(
        EncodeCase{"GapThenEnd",
                   words({"8D00", "0700", "8300", "0300", "8300", "7FFF", "7FFF", "7FFF", "1000",
                          "8D00", "0700", "8300"}) +
                       endMarker() + kCarrier78,
                   "27312041B028F00C6013A00C6FEFE0022EDED041B028F00C6EDED"},
        EncodeCase{"EndWithoutGap", words({"8D00", "0700", "8300"}) + endMarker() + kCarrier78,
                   "17312041B028F00C6FEFE0014EDED"},
        // 0x8100 = 256 units: 85 - 58 = 27 us; 0x80A0 = 160 units: 53 - 58 = -5.
        EncodeCase{"ShortMarkIsNegative",
                   words({"8100", "0700", "80A0"}) + endMarker() + kCarrier78,
                   "17312001B028FFFFFFFFBFEFE0014EDED"},
        // 7FFF then 8300: 32767 + 768 units = 11178 us - 58 = 11120 = 2B70.
        EncodeCase{"LongMarkIsJoined",
                   words({"8D00", "0700", "7FFF", "8300"}) + endMarker() + kCarrier78,
                   "17312041B028F2B70FEFE0014EDED"},
        // A mark of exactly the filler's length before a space: 2A70.
        EncodeCase{"FillerLengthMark",
                   words({"8D00", "0700", "7FFF", "0700", "8300"}) + endMarker() + kCarrier78,
                   "17312041B028F2A70028F00C6FEFE0014EDED"},
        // Carrier bytes all zero: carrier "00", tag "00".
        EncodeCase{"NoCarrier", words({"8D00"}) + endMarker() + "00000000",
                   "10000041BFEFE0014EDED"},
        // s = 3: 9000 / 3 = 3000 = BB8, written with the digits it needs.
        EncodeCase{"WideCarrier", words({"8D00"}) + endMarker() + "01010100",
                   "1BB812041BFEFE0014EDED"},
        EncodeCase{"NoEndMarker", words({"8D00", "0700", "8300"}), "<failed>"},
        EncodeCase{"NoCarrierWords", words({"8D00", "0700", "8300"}) + endMarker(), "<failed>"},
        EncodeCase{"NotHex", words({"8D00", "07G0", "8300"}) + endMarker() + kCarrier78,
                   "<failed>"},
        // Two gaps of 1 and 2 fillers: 10980 us (10 ms) and 21850 + 58 us (21 ms).
        EncodeCase{"TwoGaps",
                   words({"8D00", "7FFF", "0000", "8D00", "7FFF", "7FFF", "0010", "8D00"}) +
                       endMarker() + kCarrier78,
                   "3731204"
                   "1BFEFE000AEDED041BFEFE0015EDED041BEDED"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(EncodeTimings, EmptyAndTinyInputsFail) {
    for (const char* text : {"", "0", "0000", "8D00", "7FFF"})
        EXPECT_TRUE(EncodeTimings(text).failed) << text;
}

TEST(EncodeTimings, FailedResultHasNoText) {
    const auto result = EncodeTimings("0000");
    EXPECT_TRUE(result.failed);
    EXPECT_EQ(result.text, "");
}

// Random words, truncated captures and random characters never crash, and a
// success always has the form count, carrier, tag, body ending in EDED.
TEST(EncodeTimings, RandomAndTruncatedInputsAreHandled) {
    std::mt19937 random(617);
    const char* alphabet = "0123456789ABCDEF7F7F7F8Zz:\0";
    for (int round = 0; round < 3000; ++round) {
        std::string data;
        const int count = static_cast<int>(random() % 60);
        for (int i = 0; i < count; ++i) {
            switch (random() % 4) {
            case 0:
                data += "7FFF";
                break;
            case 1:
                data += endMarker();
                break;
            default:
                for (int c = 0; c < 4; ++c)
                    data += alphabet[random() % 27];
            }
        }
        data.resize(random() % (data.size() + 1));
        const std::string cut = CutAtEndMarker(data);
        const auto result = EncodeTimings(cut);
        EXPECT_EQ(result.failed, result.text.empty());
        if (!result.failed) {
            EXPECT_TRUE(result.text.ends_with("EDED")) << data;
        }
        EncodeTimings(data); // the uncut text too
    }
}

} // namespace

// The library reads what converterInput hands it as the body alone, however
// many digits the count of gap groups and the carrier take.
struct HeaderCase {
    int frames; // frames, each followed by a gap group but the last
    const char* carrier;
    std::size_t headerLength;
};

class ConverterBody : public ::testing::TestWithParam<HeaderCase> {};

TEST_P(ConverterBody, HoldsNoDigitOfTheHeader) {
    const HeaderCase c = GetParam();
    std::string data;
    for (int f = 0; f < c.frames; ++f)
        data += f + 1 < c.frames ? words({"8D00", "0700", "8300", "7FFF", "1000"})
                                 : words({"8D00", "0700", "8300"});
    const auto encoded = EncodeTimings(CutAtEndMarker(asDelivered(data + endMarker() + c.carrier)));
    ASSERT_FALSE(encoded.failed);
    ASSERT_EQ(encoded.headerLength, c.headerLength);
    const auto handed = irform::parseTimingBody(learning::converterInput(encoded));
    const auto body = irform::parseTimingBody(encoded.text.substr(encoded.headerLength));
    ASSERT_TRUE(handed && body);
    EXPECT_EQ(handed->durations, body->durations);
    EXPECT_EQ(handed->durations.size(), 4u * c.frames);
}

INSTANTIATE_TEST_SUITE_P(
    ConverterInput, ConverterBody,
    ::testing::Values(HeaderCase{1, "1A1A1A00", 5},   // "1" "73" "12": nothing extra
                      HeaderCase{12, "1A1A1A00", 6},  // two-digit count
                      HeaderCase{12, "01000000", 8},  // and a four-digit carrier: three
                      HeaderCase{120, "01000000", 9}, // four extra digits: a whole word
                      HeaderCase{120, "00100000", 8}, // three-digit carrier "232"
                      HeaderCase{1, "00000000", 5})); // carrier "0000"

TEST(ConverterInput, NothingForAFailedEncoding) {
    EXPECT_EQ(learning::converterInput(learning::EncodeResult{}), "");
}
