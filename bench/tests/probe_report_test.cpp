#include "bench/core/probe_report.h"

#include <gtest/gtest.h>

namespace {

TEST(ProbeReport, RoundTrips) {
    const bench::ProbeReport report{100, 2000, 30000, 400000, 0x200004};
    const auto parsed = bench::parseProbeReport(bench::formatProbeReport(report) + "\n");
    ASSERT_TRUE(parsed);
    EXPECT_EQ(parsed->createdNs, 100);
    EXPECT_EQ(parsed->shownNs, 2000);
    EXPECT_EQ(parsed->paintNs, 30000);
    EXPECT_EQ(parsed->paintedNs, 400000);
    EXPECT_EQ(parsed->windowId, 0x200004u);
}

TEST(ProbeReport, RefusesIncompleteOrForeignLines) {
    const char* lines[] = {
        "",
        "QPainter::begin: Paint device returned engine == 0",
        "probe created=1 shown=2 paint=3 window=4",            // no painted time
        "probe created=1 shown=2 paint=3 painted=0 window=4",  // painted never happened
        "probe created=1 shown=2 paint=3 painted=4x window=4", // not a number
        "probe created=1 shown=2 paint=3 painted=4 window=",
    };
    for (const char* line : lines)
        EXPECT_FALSE(bench::parseProbeReport(line)) << line;
}

TEST(MonotonicClock, NeverGoesBack) {
    const int64_t a = bench::monotonicNs();
    const int64_t b = bench::monotonicNs();
    EXPECT_GT(a, 0);
    EXPECT_GE(b, a);
}

} // namespace
