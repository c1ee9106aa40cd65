// The plot: bars where the marks are, a round axis step, and files that read
// back as pictures of the plot's size.
#include "common/whole_files.h"
#include "urctool/plot_files.h"
#include "urctool/plot_layout.h"

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <functional>
#include <png.h>
#include <sstream>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

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

namespace fs = std::filesystem;

std::string contentOf(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// What stands at FILE before `plot -o FILE` writes it, and what must follow:
// a regular file or a link is replaced (the link itself, never its target);
// anything else is refused and left as it was.
TEST(PlotFile, ReplacesAFileOrALinkWholeAndRefusesAnythingElse) {
    char folder[] = "/tmp/urctool-plot.XXXXXX";
    ASSERT_NE(::mkdtemp(folder), nullptr);
    const fs::path dir = folder;
    irform::Signal s;
    s.durations = {900, 900, 1800, 100000};
    const auto plot = urctool::layoutPlot(s, "TV/MUTE");
    const std::string svg = urctool::plotSvg(plot);
    const fs::path other = dir / "other.txt"; // another file of the user
    const struct {
        const char* name;
        std::function<void(const fs::path&)> prepare;
        const char* refusal; // "" when written
    } cases[] = {
        {"absent", [](const fs::path&) {}, ""},
        {"regular file", [](const fs::path& f) { std::ofstream(f) << "old"; }, ""},
        {"link to another file", [&](const fs::path& f) { fs::create_symlink(other, f); }, ""},
        {"dangling link", [&](const fs::path& f) { fs::create_symlink(dir / "nowhere", f); }, ""},
        {"FIFO", [](const fs::path& f) { ::mkfifo(f.c_str(), 0600); }, "is a FIFO"},
        {"folder", [](const fs::path& f) { fs::create_directory(f); }, "is a folder"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::ofstream(other) << "keep";
        for (const char* name : {"plot.png", "plot.svg"}) {
            const fs::path file = dir / name;
            c.prepare(file);
            const auto type = fs::symlink_status(file).type();
            const auto problem = fs::path(name).extension() == ".png"
                                     ? urctool::writePlotPng(plot, file.string())
                                     : wholefiles::replaceFile(file.string(), svg);
            EXPECT_EQ(contentOf(other), "keep") << "written through a link";
            EXPECT_FALSE(fs::exists(dir / "nowhere")) << "a dangling link's target made";
            if (*c.refusal == '\0') {
                EXPECT_EQ(problem, std::nullopt) << *problem;
                EXPECT_EQ(fs::symlink_status(file).type(), fs::file_type::regular);
                if (fs::path(name).extension() == ".svg")
                    EXPECT_EQ(contentOf(file), svg);
            } else {
                ASSERT_TRUE(problem);
                EXPECT_NE(problem->find(c.refusal), std::string::npos) << *problem;
                EXPECT_EQ(fs::symlink_status(file).type(), type) << "what stood there changed";
            }
            fs::remove_all(file);
        }
        EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 1)
            << "a temporary file was left";
    }
    fs::remove_all(dir);
}

// A write that fails (here the file-size limit stands in for a full disk)
// leaves the old file whole, no temporary file, and says why.
TEST(PlotFile, AFailedWriteKeepsTheOldFileAndGivesTheSystemsReason) {
    char folder[] = "/tmp/urctool-plot.XXXXXX";
    ASSERT_NE(::mkdtemp(folder), nullptr);
    const fs::path dir = folder;
    const fs::path file = dir / "plot.png";
    const std::string old(600, 'o');
    std::ofstream(file) << old;
    ::chmod(file.c_str(), 0640);
    irform::Signal s;
    s.durations = {900, 900, 1800, 100000};
    const auto plot = urctool::layoutPlot(s, "TV/MUTE");
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit small{100, 100};
        ::setrlimit(RLIMIT_FSIZE, &small);
        const auto problem = urctool::writePlotPng(plot, file.string());
        ::_exit(problem && problem->find("File too large") != std::string::npos ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "the reason was not given";
    EXPECT_EQ(contentOf(file), old);
    EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 1);
    // Written in the end, it keeps the permissions of the file it replaces.
    ASSERT_EQ(urctool::writePlotPng(plot, file.string()), std::nullopt);
    EXPECT_NE(contentOf(file), old);
    EXPECT_EQ(fs::status(file).permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    fs::remove_all(dir);
}

} // namespace
