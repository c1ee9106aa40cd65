#include "bench/core/proc_stats.h"

#include <gtest/gtest.h>
#include <unistd.h>

namespace {

const char* kStatus = "Name:\tqzt617\n"
                      "VmPeak:\t  812345 kB\n"
                      "VmHWM:\t   61234 kB\n"
                      "VmRSS:\t   60000 kB\n"
                      "VmHWMX:\t  1 kB\n";

TEST(StatusField, FindsTheExactField) {
    EXPECT_EQ(bench::statusFieldKb(kStatus, "VmHWM"), 61234);
    EXPECT_EQ(bench::statusFieldKb(kStatus, "VmRSS"), 60000);
    EXPECT_EQ(bench::statusFieldKb(kStatus, "VmSwap"), std::nullopt);
    EXPECT_EQ(bench::statusFieldKb("VmHWM:\t kB\n", "VmHWM"), std::nullopt);
}

struct StatCase {
    std::string text;
    std::string comm;
    long long user, system;
};

class StatLineTest : public testing::TestWithParam<StatCase> {};

TEST_P(StatLineTest, NameAndCpuTimes) {
    const auto& c = GetParam();
    const auto line = bench::parseStatLine(c.text);
    ASSERT_TRUE(line);
    EXPECT_EQ(line->comm, c.comm);
    EXPECT_EQ(line->cpu.user, c.user);
    EXPECT_EQ(line->cpu.system, c.system);
}

// Fields after the name: state ppid pgrp session tty tpgid flags minflt
// cminflt majflt cmajflt utime stime ...
INSTANTIATE_TEST_SUITE_P(
    Lines, StatLineTest,
    testing::Values(
        StatCase{"1234 (qzt617) S 1 1234 1234 0 -1 4194304 900 0 3 0 157 42 0 0 20 0 4 0", "qzt617",
                 157, 42},
        StatCase{"99 (a b) (c)) R 1 1 1 0 -1 0 0 0 0 0 7 8 0", "a b) (c)", 7, 8},
        StatCase{"5 (learning::TColl) S 1 1 1 0 -1 0 0 0 0 0 0 0 0", "learning::TColl", 0, 0}));

TEST(StatLine, RefusesBrokenLines) {
    EXPECT_FALSE(bench::parseStatLine("1234 qzt617 S 1 2 3"));
    EXPECT_FALSE(bench::parseStatLine("1234 (qzt617) S 1 1234 1234 0 -1 0 0 0 0 0 157"));
    EXPECT_FALSE(bench::parseStatLine("1234 (qzt617) S 1 1234 1234 0 -1 0 0 0 0 0 x 42 0"));
}

TEST(LiveProcess, OwnFiguresAreReadable) {
    const pid_t self = ::getpid();
    const auto peak = bench::peakResidentKb(self);
    ASSERT_TRUE(peak);
    EXPECT_GT(*peak, 0);
    EXPECT_TRUE(bench::processCpuSeconds(self));
    const auto threads = bench::threadCpu(self);
    ASSERT_FALSE(threads.empty());
    EXPECT_EQ(threads.front().tid > 0, true);
    EXPECT_FALSE(bench::peakResidentKb(-1));
}

} // namespace
