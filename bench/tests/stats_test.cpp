#include "bench/core/stats.h"

#include <gtest/gtest.h>

namespace {

struct SummaryCase {
    std::vector<double> values;
    double median, min, max;
};

class SummarizeTest : public testing::TestWithParam<SummaryCase> {};

TEST_P(SummarizeTest, MedianAndSpread) {
    const auto& c = GetParam();
    const bench::Summary s = bench::summarize(c.values);
    EXPECT_EQ(s.count, c.values.size());
    EXPECT_DOUBLE_EQ(s.median, c.median);
    EXPECT_DOUBLE_EQ(s.min, c.min);
    EXPECT_DOUBLE_EQ(s.max, c.max);
}

INSTANTIATE_TEST_SUITE_P(Values, SummarizeTest,
                         testing::Values(SummaryCase{{7}, 7, 7, 7}, SummaryCase{{3, 1, 2}, 2, 1, 3},
                                         SummaryCase{{4, 1, 3, 2}, 2.5, 1, 4},
                                         SummaryCase{{5, 5, 100, 5, 6}, 5, 5, 100}));

TEST(Summarize, NothingMeasuredHasCountZero) {
    EXPECT_EQ(bench::summarize({}).count, 0u);
}

TEST(SummarizeRatios, PairsRunByRunAndSkipsZeroDenominators) {
    // 20/10, 30/10, (5/0 left out), 8/2 -> ratios 2, 3, 4.
    const bench::Summary s = bench::summarizeRatios({20, 30, 5, 8}, {10, 10, 0, 2});
    EXPECT_EQ(s.count, 3u);
    EXPECT_DOUBLE_EQ(s.median, 3);
    EXPECT_DOUBLE_EQ(s.min, 2);
    EXPECT_DOUBLE_EQ(s.max, 4);
}

TEST(SummarizeRatios, UnequalListsUseOnlyWholePairs) {
    EXPECT_EQ(bench::summarizeRatios({1, 2, 3}, {1}).count, 1u);
}

} // namespace
