#include "bench/core/report.h"

#include <gtest/gtest.h>

namespace {

bench::ResultRow row(std::vector<double> values, std::string target, double limit) {
    return {"start-up", bench::summarize(std::move(values)), "ms", 1, std::move(target), limit};
}

TEST(Verdict, MedianAgainstTheLimit) {
    EXPECT_EQ(bench::verdict(row({10, 20, 30}, "<= 25 ms", 25)), "met");
    EXPECT_EQ(bench::verdict(row({10, 25, 90}, "<= 25 ms", 25)), "met"); // at the limit
    EXPECT_EQ(bench::verdict(row({10, 26, 30}, "<= 25 ms", 25)), "not met");
    EXPECT_EQ(bench::verdict(row({10}, "", 0)), "-");
}

TEST(Verdict, NothingMeasuredNeverPasses) {
    EXPECT_EQ(bench::verdict(row({}, "<= 25 ms", 25)), "not measured");
}

TEST(MarkdownTable, OneLinePerRowWithSpread) {
    const std::string table =
        bench::markdownTable({row({12.25, 10, 14}, "<= 25 ms", 25), row({}, "<= 1 %", 1)});
    EXPECT_NE(table.find("| start-up | 12.2 ms | 10.0 - 14.0 | 3 | <= 25 ms | met |"),
              std::string::npos)
        << table;
    EXPECT_NE(table.find("| start-up | - | - | 0 | <= 1 % | not measured |"), std::string::npos)
        << table;
}

TEST(Fixed, Decimals) {
    EXPECT_EQ(bench::fixed(1.25, 1), "1.2");
    EXPECT_EQ(bench::fixed(3.0, 0), "3");
    EXPECT_EQ(bench::fixed(-0.5, 2), "-0.50");
}

} // namespace
