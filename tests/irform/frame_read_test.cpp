// The frame reader's two shortcuts at their edges: where a symbol frame can
// end (forms are passed over by it before any duration is read), and the
// receiver's delay estimate from the marks read.
#include "irform/form_frame_read.h"

#include <gtest/gtest.h>

#include <climits>
#include <vector>

namespace {

using irform::Protocol;
using namespace irform::detail;

constexpr uint32_t kGap = 40000;

struct EndCase {
    const char* name;
    Protocol protocol;
    // Whether the frame shifted by a symbol is passed over: not so where a
    // symbol's tail, or a long space inside the frame, lands on the end.
    bool strict;
};

class FrameEnd : public ::testing::TestWithParam<EndCase> {};

std::vector<uint32_t> frameThenGap(const FormDefinition& form) {
    const uint64_t payload = form.pack({form.maxDevice / 3, form.maxCommand / 5});
    auto d = frameDurations(form, payload, true);
    d.push_back(kGap);
    return d;
}

TEST_P(FrameEnd, AFrameEndsAtItsGapAndNowhereElse) {
    const FormDefinition& form = formDefinition(GetParam().protocol);
    const auto d = frameThenGap(form);
    EXPECT_TRUE(symbolFrameCanEnd(form, d, 0, true));
    // The frame alone, the signal ending where the gap would start.
    EXPECT_TRUE(symbolFrameCanEnd(form, std::vector<uint32_t>(d.begin(), d.end() - 1), 0, true));
    // The same frame later in the signal.
    std::vector<uint32_t> later{9000, kGap};
    later.insert(later.end(), d.begin(), d.end());
    EXPECT_TRUE(symbolFrameCanEnd(form, later, 2, true));
    if (!GetParam().strict)
        return;
    EXPECT_FALSE(symbolFrameCanEnd(form, later, 0, true));
    // A symbol more or less before the gap: the frame would end elsewhere.
    auto longer = d;
    longer.insert(longer.begin() + 2, {d[2], d[3]});
    EXPECT_FALSE(symbolFrameCanEnd(form, longer, 0, true));
    auto shorter = d;
    shorter.erase(shorter.begin() + 2, shorter.begin() + 4);
    EXPECT_FALSE(symbolFrameCanEnd(form, shorter, 0, true));
    // Cut off inside the frame.
    EXPECT_FALSE(
        symbolFrameCanEnd(form, std::vector<uint32_t>(d.begin(), d.begin() + 10), 0, true));
}

INSTANTIATE_TEST_SUITE_P(SymbolForms, FrameEnd,
                         ::testing::Values(EndCase{"Nec", Protocol::Nec, true},
                                           EndCase{"ProtonSeparator", Protocol::Proton, true},
                                           EndCase{"KonkaLongTrailer", Protocol::Konka, false},
                                           EndCase{"SymphonyLastSpaceInGap", Protocol::Symphony,
                                                   true},
                                           EndCase{"XmpNibbles", Protocol::Xmp, true},
                                           EndCase{"Grundig16Tails", Protocol::Grundig16, false}),
                         [](const auto& info) { return std::string(info.param.name); });

struct ShiftCase {
    const char* name;
    int64_t markExcess;
    int marks;
    bool adaptive;
    int shift; // expected
};

class DelayEstimate : public ::testing::TestWithParam<ShiftCase> {};

TEST_P(DelayEstimate, IsTheMeanExcessOfTheMarksRead) {
    Score score;
    score.shift = 7;
    score.markExcess = GetParam().markExcess;
    score.marks = GetParam().marks;
    score.adaptive = GetParam().adaptive;
    score.updateShift();
    EXPECT_EQ(score.shift, GetParam().shift);
}

INSTANTIATE_TEST_SUITE_P(
    Score, DelayEstimate,
    ::testing::Values(ShiftCase{"Lengthened", 120, 3, true, 40},
                      ShiftCase{"Shortened", -91, 3, true, -30},
                      ShiftCase{"OneMarkTellsNothing", 500, 1, true, 7},
                      ShiftCase{"NotAdaptive", 500, 5, false, 7},
                      // Past 32 bits (durations of seconds from a file): the
                      // same quotient as a 64-bit division gives.
                      ShiftCase{"PastInt32", int64_t{INT32_MAX} + 11, 2, true, 1073741829},
                      ShiftCase{"BelowInt32", int64_t{INT32_MIN} - 7, 3, true, -715827885}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
