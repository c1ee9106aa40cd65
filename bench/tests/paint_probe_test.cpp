// The probe preloaded into the bare window: one report line for the watched
// window's first paint, none for a window class that never appears.
#include "bench/core/child.h"
#include "bench/core/probe_report.h"

#include <csignal>
#include <gtest/gtest.h>

namespace {

bench::ChildOptions bareWindow(const std::string& windowClass) {
    const std::string bin = bench::ownFolder();
    return {{bin + "/qzt_bare_window"},
            {{"QT_QPA_PLATFORM", "offscreen"},
             {"LD_PRELOAD", bin + "/libqzt_paint_probe.so"},
             {"QZT_BENCH_PROBE_WINDOW", windowClass},
             {"QZT_BENCH_PROBE_FD", std::to_string(bench::kReportFd)}},
            {},
            true};
}

TEST(PaintProbe, ReportsTheFirstPaintInOrder) {
    const int64_t started = bench::monotonicNs();
    bench::Child child(bareWindow("QWidget"));
    ASSERT_TRUE(child.running()) << child.error();
    const auto line = child.readReportLine(20000);
    ASSERT_TRUE(line);
    const auto report = bench::parseProbeReport(*line);
    ASSERT_TRUE(report) << *line;
    EXPECT_GT(report->createdNs, started);
    EXPECT_LE(report->createdNs, report->shownNs);
    EXPECT_LE(report->shownNs, report->paintNs);
    EXPECT_LE(report->paintNs, report->paintedNs);
    // One line only: the probe closes its pipe after reporting.
    EXPECT_EQ(child.readReportLine(300), std::nullopt);
    EXPECT_TRUE(child.running());
}

TEST(PaintProbe, SilentForAnotherWindowClass) {
    bench::Child child(bareWindow("Tmaintarnvik"));
    ASSERT_TRUE(child.running()) << child.error();
    EXPECT_EQ(child.readReportLine(1500), std::nullopt);
    EXPECT_TRUE(child.running()); // the program itself is not disturbed
}

} // namespace
