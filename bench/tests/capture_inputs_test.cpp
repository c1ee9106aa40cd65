#include "bench/core/capture_inputs.h"
#include "learning/core/capture_text.h"

#include <gtest/gtest.h>

namespace {

const std::string kMarker = [] {
    std::string m;
    for (int i = 0; i < 20; ++i)
        m += "7FFF";
    return m;
}();

// Signal words of a capture (before the end marker).
std::size_t signalWords(const std::string& capture) {
    return capture.find(kMarker) / 4;
}

TEST(FitCapture, DropsWordsFromTheEndUntilItFitsAndEndsOnAMark) {
    const std::string capture = "8100"
                                "0200"
                                "8300"
                                "0400"
                                "8500" +
                                kMarker + "1A1A1A00";
    // Room for 3 words: 8100 0200 8300.
    auto fitted = bench::fitCapture(capture, 88 + 12);
    ASSERT_TRUE(fitted);
    EXPECT_EQ(*fitted, "8100"
                       "0200"
                       "8300" +
                           kMarker + "1A1A1A00");
    // Room for 4 words: the fourth is a space, so only three stay.
    fitted = bench::fitCapture(capture, 88 + 16);
    ASSERT_TRUE(fitted);
    EXPECT_EQ(signalWords(*fitted), 3u);
    // Room for everything: unchanged.
    EXPECT_EQ(bench::fitCapture(capture, 1000), capture);
}

TEST(FitCapture, LongCapturesKeepAnOddNumberOfWords) {
    // Short: an even count ending on a mark stays whole.
    const std::string shortEven = "8100"
                                  "7FFF"
                                  "0100"
                                  "8200";
    EXPECT_EQ(bench::fitCapture(shortEven + kMarker + "1A1A1A00", 1000),
              shortEven + kMarker + "1A1A1A00");
    // From 3000 characters on, the cut would drop the last mark of an even
    // count, so the fit goes back to the last mark at an odd count.
    std::string head = "8100";
    for (int i = 0; i < 400; ++i)
        head += "0100"
                "8100"; // 801 words
    const auto fitted = bench::fitCapture(head +
                                              "7FFF"
                                              "0100"
                                              "8200" +
                                              kMarker + "1A1A1A00",
                                          10240);
    ASSERT_TRUE(fitted);
    EXPECT_EQ(*fitted, head + kMarker + "1A1A1A00");
}

TEST(FitCapture, NeverEndsOnAFillerBeforeTheMarker) {
    // A gap of fillers inside the signal must not be left next to the marker.
    const std::string capture = "8100"
                                "7FFF"
                                "7FFF"
                                "1000"
                                "8200" +
                                kMarker + "1A1A1A00";
    const auto fitted = bench::fitCapture(capture, 88 + 16);
    ASSERT_TRUE(fitted);
    EXPECT_EQ(*fitted, "8100" + kMarker + "1A1A1A00");
}

TEST(FitCapture, ZeroPaddingIsNotData) {
    const std::string capture = bench::padToBuffer("8100" + kMarker + "1A1A1A00");
    EXPECT_EQ(capture.size(), bench::kCaptureBufferLength);
    EXPECT_EQ(bench::fitCapture(capture, 10240), "8100" + kMarker + "1A1A1A00");
}

TEST(FitCapture, RefusesWhatCannotBeFitted) {
    EXPECT_FALSE(bench::fitCapture("8100"
                                   "0200"
                                   "8300",
                                   1000));                                // no marker
    EXPECT_FALSE(bench::fitCapture("8100" + kMarker + "1A1A", 1000));     // carrier cut short
    EXPECT_FALSE(bench::fitCapture("8100" + kMarker + "1A1A1A00", 90));   // no room for a word
    EXPECT_FALSE(bench::fitCapture("0100" + kMarker + "1A1A1A00", 1000)); // no mark at all
}

class GeneratedCaptureTest : public testing::TestWithParam<std::size_t> {};

TEST_P(GeneratedCaptureTest, ShortWordsFillTheLengthAndEncode) {
    const std::size_t length = GetParam();
    const auto capture = bench::shortWordCapture(length);
    ASSERT_TRUE(capture);
    EXPECT_LE(capture->size(), length);
    EXPECT_GT(capture->size() + 8, length); // at most one word and a rounding short
    EXPECT_EQ(signalWords(*capture) % 2, 1u);
    const auto encoded =
        learning::EncodeTimings(learning::CutAtEndMarker(bench::padToBuffer(*capture)));
    EXPECT_FALSE(encoded.failed);
}

TEST_P(GeneratedCaptureTest, HeldKeyFillsMostOfTheLengthAndEncodesWithGapGroups) {
    const std::size_t length = GetParam();
    const auto capture = bench::heldKeyCapture(length);
    ASSERT_TRUE(capture);
    EXPECT_LE(capture->size(), length);
    EXPECT_GT(capture->size(), length * 9 / 10);
    const auto encoded =
        learning::EncodeTimings(learning::CutAtEndMarker(bench::padToBuffer(*capture)));
    ASSERT_FALSE(encoded.failed);
    EXPECT_NE(encoded.text.find("FEFE"), std::string::npos); // frames apart by gaps
    EXPECT_EQ(bench::heldKeyCapture(length), capture);       // same input every run
}

INSTANTIATE_TEST_SUITE_P(Lengths, GeneratedCaptureTest, testing::Values(2560u, 5120u, 10240u));

TEST(ShortWordCapture, TooShortForAnything) {
    EXPECT_FALSE(bench::shortWordCapture(91));
    EXPECT_TRUE(bench::shortWordCapture(92));
}

} // namespace
