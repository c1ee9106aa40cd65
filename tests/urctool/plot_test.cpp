// The plot: bars where the marks are, a round axis step, and files that read
// back as pictures of the plot's size.
#include "urctool/plot_files.h"
#include "urctool/plot_layout.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <png.h>

namespace {

TEST(Plot, AxisStepIsRound) {
    const struct {
        double totalMs;
        double step;
    } cases[] = {{0.5, 0.05}, {12, 1}, {24, 2}, {110, 10}, {216, 20}, {600, 50}, {1100, 100}};
    for (const auto& c : cases)
        EXPECT_DOUBLE_EQ(urctool::tickStepMs(c.totalMs, 12), c.step) << c.totalMs;
}

TEST(Plot, OneBarPerMarkInTimeOrderAcrossTheWidth) {
    irform::Signal s;
    s.durations = {9000, 4500, 560, 560, 560, 1690, 560, 40000};
    const auto p = urctool::layoutPlot(s, "TV/MUTE");
    ASSERT_EQ(p.marks.size(), 4u);
    for (std::size_t i = 1; i < p.marks.size(); ++i)
        EXPECT_GT(p.marks[i].x, p.marks[i - 1].x + p.marks[i - 1].width);
    EXPECT_NEAR(p.marks[0].width * 560.0 / 9000.0, p.marks[1].width, 1.0);
    EXPECT_EQ(p.labels.back().text, "TV/MUTE");
    const auto total = 9000 + 4500 + 560 * 5 + 1690 + 40000;
    EXPECT_LT(p.marks.back().x, p.width * (total - 40000) / total + 40);
}

TEST(Plot, PngAndSvgFilesHoldThePlot) {
    irform::Signal s;
    s.durations = {900, 900, 1800, 100000};
    const auto p = urctool::layoutPlot(s, "raw <1> & more");
    const std::string svg = urctool::plotSvg(p);
    EXPECT_NE(svg.find("raw &lt;1&gt; &amp; more"), std::string::npos);
    const auto path = std::filesystem::temp_directory_path() / "urctool-plot-test.png";
    ASSERT_EQ(urctool::writePlotPng(p, path.string()), std::nullopt);
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    ASSERT_TRUE(png_image_begin_read_from_file(&image, path.c_str()));
    EXPECT_EQ(static_cast<int>(image.width), p.width);
    EXPECT_EQ(static_cast<int>(image.height), p.height);
    png_image_free(&image);
    std::filesystem::remove(path);
    EXPECT_NE(urctool::writePlotPng(p, "/nonexistent/folder/x.png"), std::nullopt);
}

} // namespace
