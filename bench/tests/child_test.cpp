#include "bench/core/child.h"

#include <csignal>
#include <gtest/gtest.h>

namespace {

bench::ChildOptions shell(const std::string& script, bool pipe = true) {
    return {{"/bin/sh", "-c", script}, {}, {}, pipe};
}

TEST(Child, ReadsReportLinesInOrder) {
    bench::Child child(shell("printf 'one\\ntwo\\n' >&3; sleep 5"));
    ASSERT_TRUE(child.running()) << child.error();
    EXPECT_EQ(child.readReportLine(5000), "one");
    EXPECT_EQ(child.readReportLine(5000), "two");
    EXPECT_EQ(child.readReportLine(50), std::nullopt); // nothing more within the time
    const auto peak = child.killAndReap(SIGKILL);
    ASSERT_TRUE(peak);
    EXPECT_GT(*peak, 0);
    EXPECT_FALSE(child.running());
}

TEST(Child, HalfLineBeforeThePipeClosesIsNoReport) {
    bench::Child child(shell("printf 'probe created=1' >&3"));
    EXPECT_EQ(child.readReportLine(5000), std::nullopt);
    EXPECT_EQ(child.waitForExit(5000), 0);
}

TEST(Child, EnvironmentIsSetPerChild) {
    bench::ChildOptions options = shell("printf '%s\\n' \"$QZT_BENCH_TEST_VALUE\" >&3");
    options.setEnv["QZT_BENCH_TEST_VALUE"] = "set for this child";
    bench::Child child(options);
    EXPECT_EQ(child.readReportLine(5000), "set for this child");
    EXPECT_EQ(child.waitForExit(5000), 0);
}

TEST(Child, OutputGoesToTheLog) {
    const std::string log = testing::TempDir() + "/bench_child_test.log";
    std::remove(log.c_str());
    bench::Child child({{"/bin/sh", "-c", "echo to-out; echo to-err >&2"}, {}, log, false});
    EXPECT_EQ(child.waitForExit(5000), 0);
    std::FILE* f = std::fopen(log.c_str(), "r");
    ASSERT_NE(f, nullptr);
    char text[64] = {};
    const std::size_t n = std::fread(text, 1, sizeof text - 1, f);
    std::fclose(f);
    EXPECT_EQ(std::string(text, n), "to-out\nto-err\n");
}

TEST(Child, WithoutAPipeThereIsNoReport) {
    bench::Child child(shell("true", false));
    EXPECT_EQ(child.readReportLine(100), std::nullopt);
    EXPECT_EQ(child.waitForExit(5000), 0);
}

TEST(Child, StillRunningIsNotAnExitStatus) {
    bench::Child child(shell("sleep 5", false));
    EXPECT_EQ(child.waitForExit(50), std::nullopt);
    EXPECT_TRUE(child.running());
} // the destructor kills and reaps it

struct RunCase {
    std::vector<std::string> argv;
    bool ok;
};

class RunToEndTest : public testing::TestWithParam<RunCase> {};

TEST_P(RunToEndTest, OnlyStatusZeroInTimeIsSuccess) {
    EXPECT_EQ(bench::runToEnd(GetParam().argv, 2000), GetParam().ok);
}

INSTANTIATE_TEST_SUITE_P(
    Programs, RunToEndTest,
    testing::Values(RunCase{{"/bin/true"}, true}, RunCase{{"/bin/false"}, false},
                    RunCase{{"/nonexistent/program"}, false}, // exec fails in the child
                    RunCase{{"/bin/sleep", "10"}, false},     // killed at the time limit
                    RunCase{{}, false}));

} // namespace
