#include "learning/core/capture_text.h"
#include "tests/support/capture_words.h"

#include <gtest/gtest.h>

using learning::CutAtEndMarker;
using namespace ircode_test;

namespace {

const std::string kTail = endMarker() + "1A1A1A00";

TEST(CutAtEndMarker, KeepsHeadAndTailAndDropsTheZeroFilledRest) {
    const std::string head = words({"8D00", "0700", "8300"});
    EXPECT_EQ(CutAtEndMarker(asDelivered(head + kTail + "12345678")), head + kTail);
}

TEST(CutAtEndMarker, WithoutEndMarkerGivesFourZeros) {
    EXPECT_EQ(CutAtEndMarker(asDelivered(words({"8D00", "0700", "8300"}) + repeated("7FFF", 19))),
              "0000");
    EXPECT_EQ(CutAtEndMarker(""), "0000");
    EXPECT_EQ(CutAtEndMarker(std::string(10240, '\0')), "0000");
}

// Only the end marker ends the capture: a zero character before it is part
// of the head (the encoder then refuses it and the capture is kept whole).
TEST(CutAtEndMarker, ZeroCharactersBeforeTheMarkerDoNotEndTheCapture) {
    const std::string zero(1, '\0');
    for (const std::string& head : {"8D00" + std::string(196, '\0'),
                                    words({"8D00", "0700"}) + zero + "300" + "8300", zero + "D00"})
        EXPECT_EQ(CutAtEndMarker(asDelivered(head + kTail)), head + kTail) << head.size();
}

TEST(CutAtEndMarker, TailIsCutShortWhenTheCaptureEndsInsideIt) {
    const std::string head = "8D00";
    EXPECT_EQ(CutAtEndMarker(asDelivered(head + endMarker() + "1A1A")),
              head + endMarker() + "1A1A");
}

TEST(CutAtEndMarker, HeadEndingInASpaceWordKeepsOnlyItsFirstDigit) {
    const std::string head = words({"8D00", "0700", "8300", "0700"});
    EXPECT_EQ(CutAtEndMarker(head + kTail), words({"8D00", "0700", "8300", "0"}) + kTail);
}

TEST(CutAtEndMarker, MarkerAtTheStartKeepsTheTailOnly) {
    EXPECT_EQ(CutAtEndMarker(kTail), kTail);
    EXPECT_EQ(CutAtEndMarker("8D" + kTail), "8D" + kTail);
}

struct LongCase {
    int wordsBeforeMarker;
    int wordsKept;
};

class LongHead : public ::testing::TestWithParam<LongCase> {};

// Past 3000 characters the head keeps an odd number of words: all of them when
// their number is odd, one less when it is even.
TEST_P(LongHead, KeepsAnOddNumberOfWords) {
    const LongCase c = GetParam();
    std::string head;
    for (int i = 0; i < c.wordsBeforeMarker; ++i)
        head += i % 2 == 0 ? "8100" : "0200";
    const std::string cut = CutAtEndMarker(asDelivered(head + kTail));
    std::string expected = head.substr(0, 4 * c.wordsKept);
    if (expected.substr(expected.size() - 4, 1) < "8")
        expected.resize(expected.size() - 3);
    EXPECT_EQ(cut, expected + kTail);
}

INSTANTIATE_TEST_SUITE_P(CutAtEndMarker, LongHead,
                         ::testing::Values(LongCase{749, 749}, // p = 2997: not long
                                           LongCase{750, 749}, // p = 3001, q = 750 -> 749
                                           LongCase{751, 751}, LongCase{752, 751},
                                           LongCase{1500, 1499}));

TEST(CutAtEndMarker, LongHeadWithMisalignedMarker) {
    // p = 3003: q = (3003 - 1) div 4 = 750, even, so 749 words are kept.
    std::string head = repeated("81000200", 375) + "81";
    const std::string cut = CutAtEndMarker(head + kTail);
    EXPECT_EQ(cut, head.substr(0, 4 * 749) + kTail);
}

} // namespace
