// The plot: bars where the marks are on one time scale for every row, round
// axis steps, durations written only where they fit, a bounded picture for
// any signal, headings that say what a row reads as, and PNG, SVG and PDF
// files of the layout's size that carry its text.
#include "irform/protocols.h"
#include "tests/support/scripted_urc.h"
#include "urctool/commands.h"
#include "urctool/errors.h"
#include "urctool/plot_files.h"
#include "urctool/plot_layout.h"
#include "urctool/plot_rows.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cairo.h>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace {

using urctool::Ink;
using urctool::PlotLayout;
using urctool::PlotRow;

// Six tenths of the size a character: about DejaVu Sans' digits.
double evenWidth(std::string_view text, double size, bool) {
    return text.size() * size * 0.6;
}

irform::Signal signalOf(std::vector<uint32_t> durations, int carrierHz = 38000) {
    return {carrierHz, std::move(durations)};
}

std::vector<urctool::Shape> shapesOf(const PlotLayout& p, Ink ink) {
    std::vector<urctool::Shape> out;
    std::copy_if(p.shapes.begin(), p.shapes.end(), std::back_inserter(out),
                 [ink](const urctool::Shape& s) { return s.ink == ink; });
    return out;
}

const urctool::Label* labelWith(const PlotLayout& p, const std::string& text) {
    for (const auto& l : p.labels)
        if (l.text == text)
            return &l;
    return nullptr;
}

TEST(PlotAxis, StepIsRoundAndTicksReadPlainly) {
    const struct {
        double totalMs;
        double step;
    } cases[] = {{0.5, 0.05}, {12, 1}, {24, 2}, {110, 10}, {216, 20}, {600, 50}, {1100, 100}};
    for (const auto& c : cases)
        EXPECT_DOUBLE_EQ(urctool::tickStepMs(c.totalMs, 12), c.step) << c.totalMs;
    EXPECT_EQ(urctool::msText(0), "0");
    EXPECT_EQ(urctool::msText(0.05 * 3), "0.15");
    EXPECT_EQ(urctool::msText(20 * 7), "140");
}

TEST(PlotAxis, ScaleGivesShortDurationsRoomWithinTheLimits) {
    // A short signal is drawn no smaller than the least span, a long one no
    // wider than the most; between, a tenth of the durations get `want` pixels.
    const std::vector<uint32_t> nec(60, 560);
    EXPECT_DOUBLE_EQ(urctool::axisScale(1000, {500, 500}, 30) * 1000, urctool::kMinAxisSpan);
    EXPECT_DOUBLE_EQ(urctool::axisScale(3e6, nec, 30) * 3e6, urctool::kMaxAxisSpan);
    EXPECT_DOUBLE_EQ(urctool::axisScale(40000, nec, 30), 30.0 / 560);
    std::vector<uint32_t> glitchy(100, 1000);
    glitchy[0] = glitchy[1] = 20; // a few glitches do not set the scale
    EXPECT_DOUBLE_EQ(urctool::axisScale(50000, glitchy, 30), 30.0 / 1000);
    EXPECT_TRUE(urctool::labelFits(20, 24));
    EXPECT_FALSE(urctool::labelFits(20, 23.9));
}

TEST(PlotLayout, OneBarPerMarkInTimeOrderAndTheClosingGapWrittenNotDrawn) {
    const auto p = urctool::layoutPlot(
        {{"TV/MUTE", signalOf({9000, 4500, 560, 560, 560, 1690, 560, 40000})}}, evenWidth);
    const auto marks = shapesOf(p, Ink::Mark);
    ASSERT_EQ(marks.size(), 4u);
    for (std::size_t i = 1; i < marks.size(); ++i)
        EXPECT_GT(marks[i].box.x, marks[i - 1].box.right());
    EXPECT_NEAR(marks[0].box.width * 560.0 / 9000.0, marks[1].box.width, 1.0);
    // The axis ends with the last mark; the 40 ms after it are written.
    const auto axis = shapesOf(p, Ink::Axis).front().box;
    EXPECT_NEAR(axis.right(), marks.back().box.right() + 1, 1.0);
    ASSERT_NE(labelWith(p, "gap 40000"), nullptr);
    EXPECT_GT(labelWith(p, "gap 40000")->x, axis.right());
    EXPECT_LE(labelWith(p, "gap 40000")->x + evenWidth("gap 40000", 10, false), p.width);
    EXPECT_EQ(p.labels.front().text, "TV/MUTE");
}

TEST(PlotLayout, DurationsAreWrittenOnTheirBarOrGapOnlyWhereTheyFit) {
    // 30 us per pixel at the least span: 9000 us is 300 px, 100 us 3 px.
    const auto p = urctool::layoutPlot(
        {{"x", signalOf({9000, 4500, 100, 100, 9000, 3000, 100, 50000})}}, evenWidth);
    const auto marks = shapesOf(p, Ink::Mark);
    ASSERT_EQ(marks.size(), 4u);
    const auto* onMark = labelWith(p, "9000");
    const auto* onGap = labelWith(p, "4500");
    ASSERT_NE(onMark, nullptr);
    ASSERT_NE(onGap, nullptr);
    EXPECT_EQ(onMark->ink, Ink::OnMark);
    EXPECT_GT(onMark->x, marks[0].box.x);
    EXPECT_LT(onMark->x, marks[0].box.right());
    EXPECT_EQ(onGap->ink, Ink::OnSpace);
    EXPECT_GT(onGap->x, marks[0].box.right());
    EXPECT_LT(onGap->x, marks[1].box.x);
    EXPECT_EQ(labelWith(p, "100"), nullptr);
    EXPECT_NE(labelWith(p, "3000"), nullptr);
}

TEST(PlotLayout, RowsShareOneTimeScaleUnderTheirHeadings) {
    const auto p = urctool::layoutPlot(
        {{"TV/MUTE", signalOf({9000, 4500, 560, 40000})},
         {"Raw signal", signalOf({9000, 4500, 560, 560, 560, 560, 560, 100000})}},
        evenWidth);
    const auto marks = shapesOf(p, Ink::Mark);
    ASSERT_EQ(marks.size(), 6u);
    EXPECT_EQ(marks[0].box.width, marks[2].box.width); // both 9000 us leaders
    EXPECT_EQ(marks[0].box.x, marks[2].box.x);
    EXPECT_EQ(marks[1].box.x, marks[3].box.x); // the first data mark at 13.5 ms in both
    EXPECT_GT(marks[2].box.y, marks[0].box.bottom());
    EXPECT_GT(marks[2].box.y, labelWith(p, "Raw signal")->y);
    EXPECT_LT(labelWith(p, "Raw signal")->y, p.height);
    EXPECT_NE(labelWith(p, "gap 100000"), nullptr);
}

TEST(PlotLayout, AnySignalMakesABoundedPicture) {
    // 20000 marks of 560 us, and marks 10 s long: as wide as the axis may
    // be, no more shapes than pixels, and a note that bars were merged.
    std::vector<uint32_t> many(40000, 560), long_(200, 10'000'000);
    for (const auto& durations : {many, long_}) {
        const auto p = urctool::layoutPlot({{"huge", signalOf(durations)}}, evenWidth);
        EXPECT_LE(p.width, urctool::kMaxAxisSpan + 300);
        EXPECT_LE(shapesOf(p, Ink::Mark).size(), static_cast<std::size_t>(p.width));
        for (const auto& bar : shapesOf(p, Ink::Mark))
            EXPECT_LE(bar.box.right(), p.width);
    }
    const auto merged = urctool::layoutPlot({{"huge", signalOf(many)}}, evenWidth);
    EXPECT_NE(labelWith(merged, "(bars less than a pixel apart are drawn as one)"), nullptr);
}

TEST(PlotLayout, ALongHeadingWidensThePictureToHoldIt) {
    const std::string heading(400, 'W');
    const auto p = urctool::layoutPlot({{heading, signalOf({500, 500})}}, evenWidth);
    EXPECT_GE(p.width, 20 + evenWidth(heading, urctool::kHeadingSize, true));
}

TEST(PlotLayout, RefusesWhatCannotBeARow) {
    const PlotRow row{"x", signalOf({500, 500})};
    EXPECT_THROW(urctool::layoutPlot({}, evenWidth), std::invalid_argument);
    EXPECT_THROW(urctool::layoutPlot(std::vector<PlotRow>(11, row), evenWidth),
                 std::invalid_argument);
    EXPECT_THROW(urctool::layoutPlot({row, {"empty", signalOf({})}}, evenWidth),
                 std::invalid_argument);
    EXPECT_NO_THROW(urctool::layoutPlot(std::vector<PlotRow>(10, row), evenWidth));
}

TEST(PlotRows, HeadingsSayWhatARowReadsAs) {
    const auto nec = *irform::encode(irform::Protocol::Nec, 4, 8);
    const struct {
        PlotRow row;
        std::string heading;
    } cases[] = {
        {urctool::givenRow("Raw signal", nec), "Raw signal: nec 0x04 0x08, 38.0 kHz"},
        {urctool::givenRow("Pronto signal", signalOf({1000, 1000}, 36000)),
         "Pronto signal: raw, 36.0 kHz"},
        {urctool::givenRow("K in tv.conf", signalOf({900, 900}, 455000)),
         "K in tv.conf: raw, 455.0 kHz"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.row.heading, c.heading);
    EXPECT_EQ(urctool::rowHeading("TV/MUTE", "nec 0x04 0x08", 38000),
              "TV/MUTE: nec 0x04 0x08, 38.0 kHz");
    urctool::KeyInfo key{5, "05", "TV/MUTE", '0'};
    EXPECT_THROW(urctool::heldRow(key, {}), urctool::ToolError);
    urctool::HeldCode raw{true, true, "raw 38000 +9000 -4500", irform::Decoded{}, nec, 3};
    EXPECT_EQ(urctool::heldRow(key, raw).heading, "TV/MUTE: raw, 38.0 kHz");
    key.label.clear();
    raw.raw = false;
    EXPECT_EQ(urctool::heldRow(key, raw).heading, "05: nec 0x00 0x00, 38.0 kHz");
}

TEST(PlotRows, KeyListsAndFileFormats) {
    EXPECT_EQ(urctool::keyList("05,CBL/OK"), (std::vector<std::string>{"05", "CBL/OK"}));
    EXPECT_EQ(urctool::keyList("TV/ AV/TV"), (std::vector<std::string>{"TV/ AV/TV"}));
    for (const char* bad : {"", ",05", "05,", "05,,OK"})
        EXPECT_THROW(urctool::keyList(bad), urctool::UsageError) << bad;
    using urctool::PlotFormat;
    EXPECT_EQ(urctool::plotFormatOf("a.png"), PlotFormat::Png);
    EXPECT_EQ(urctool::plotFormatOf("dir.svg/A.SVG"), PlotFormat::Svg);
    EXPECT_EQ(urctool::plotFormatOf("a.Pdf"), PlotFormat::Pdf);
    for (const char* other : {"a.gif", "png", "a.png.txt", "a."})
        EXPECT_EQ(urctool::plotFormatOf(other), std::nullopt) << other;
}

// A PNG's pixels, read back with cairo.
struct Picture {
    std::unique_ptr<cairo_surface_t, decltype(&cairo_surface_destroy)> surface{
        nullptr, cairo_surface_destroy};
    int width() const { return cairo_image_surface_get_width(surface.get()); }
    int height() const { return cairo_image_surface_get_height(surface.get()); }
    uint32_t at(int x, int y) const {
        const auto* row = cairo_image_surface_get_data(surface.get()) +
                          y * cairo_image_surface_get_stride(surface.get());
        return reinterpret_cast<const uint32_t*>(row)[x] & 0xFFFFFF;
    }
    bool dark(int x, int y) const { return (at(x, y) & 0xFF) < 128; }
};

Picture readPng(const std::string& bytes) {
    struct Reader {
        const std::string& bytes;
        std::size_t at = 0;
    } reader{bytes};
    auto read = [](void* closure, unsigned char* data, unsigned int length) {
        auto* r = static_cast<Reader*>(closure);
        if (r->at + length > r->bytes.size())
            return CAIRO_STATUS_READ_ERROR;
        std::copy_n(r->bytes.data() + r->at, length, data);
        r->at += length;
        return CAIRO_STATUS_SUCCESS;
    };
    Picture p;
    p.surface.reset(cairo_image_surface_create_from_png_stream(read, &reader));
    cairo_surface_flush(p.surface.get());
    return p;
}

TEST(PlotFiles, PngHoldsTheBarsAndTheHeadingInRealType) {
    const std::string heading = "TV/MUTE: nec 0x04 0x08, 38.0 kHz";
    const auto measure = urctool::plotTextWidth();
    const auto plot = urctool::layoutPlot({{heading, signalOf({9000, 4500, 560, 40000})}}, measure);
    const std::string png = urctool::renderPlot(plot, urctool::PlotFormat::Png, heading);
    ASSERT_EQ(png.substr(0, 8), "\x89PNG\r\n\x1a\n");
    const Picture picture = readPng(png);
    ASSERT_EQ(cairo_surface_status(picture.surface.get()), CAIRO_STATUS_SUCCESS);
    EXPECT_EQ(picture.width(), plot.width);
    EXPECT_EQ(picture.height(), plot.height);
    const auto bar = shapesOf(plot, Ink::Mark).front().box;
    const uint32_t inBar = picture.at(static_cast<int>(bar.x + 3), static_cast<int>(bar.y + 3));
    EXPECT_GT(inBar & 0xFF, (inBar >> 16) & 0xFF) << std::hex << inBar; // blue over red
    // The heading's ink spans what the font measures for it: real type, the
    // whole text drawn (a fault in it would stop cairo at the fault).
    const auto& label = plot.labels.front();
    int first = picture.width(), last = -1;
    for (int y = static_cast<int>(label.y - label.size); y <= label.y + 3; ++y)
        for (int x = 0; x < picture.width(); ++x)
            if (picture.dark(x, y)) {
                first = std::min(first, x);
                last = std::max(last, x);
            }
    EXPECT_NEAR(first, label.x, 2);
    EXPECT_NEAR(last - first, measure(heading, label.size, true), 3);
}

TEST(PlotFiles, SvgAndPdfHaveThePlotsSizeAndThePdfItsTitle) {
    // A file name of other bytes than UTF-8 is drawn with "?" for them.
    const std::string heading = "K in t\xff.conf: raw, 38.0 kHz";
    const auto plot = urctool::layoutPlot({{heading, signalOf({900, 900, 1800, 100000})}},
                                          urctool::plotTextWidth());
    const std::string size = std::to_string(static_cast<int>(plot.width)) + " " +
                             std::to_string(static_cast<int>(plot.height));
    const std::string svg = urctool::renderPlot(plot, urctool::PlotFormat::Svg, heading);
    EXPECT_TRUE(svg.starts_with("<?xml")) << svg.substr(0, 40);
    EXPECT_NE(svg.find("viewBox=\"0 0 " + size + "\""), std::string::npos);
    EXPECT_NE(svg.find("<path"), std::string::npos); // glyphs are paths
    const std::string pdf = urctool::renderPlot(plot, urctool::PlotFormat::Pdf, heading);
    EXPECT_TRUE(pdf.starts_with("%PDF-"));
    EXPECT_NE(pdf.find("/MediaBox [ 0 0 " + size + " ]"), std::string::npos);
    EXPECT_NE(pdf.find("/Title (K in t?.conf: raw, 38.0 kHz)"), std::string::npos);
    EXPECT_NE(pdf.find("DejaVuSans-Bold"), std::string::npos); // the headings' font
    EXPECT_NE(urctool::renderPlot(plot, urctool::PlotFormat::Png, heading), "");
}

// The command against an in-process URC: rows from keys and a given signal.
class PlotCommandTest : public ::testing::Test {
protected:
    void SetUp() override {
        char folder[] = "/tmp/urctool-plot-test.XXXXXX";
        ASSERT_NE(::mkdtemp(folder), nullptr);
        folder_ = folder;
        ::setenv("XDG_RUNTIME_DIR", folder, 1);
        testsupport::buildTestImage(urc_);
        ASSERT_EQ(urctool::setCommand(urc_, {"05", "--protocol", "nec", "4", "8"}), 0);
        ASSERT_EQ(urctool::setCommand(urc_, {"06", "--protocol", "rc5", "5", "12"}), 0);
    }
    void TearDown() override { std::filesystem::remove_all(folder_); }
    int plot(urctool::Args args) {
        args.push_back("-o");
        args.push_back(folder_ + "/plot.png");
        return urctool::plotCommand(urc_, args);
    }
    Picture written() const {
        std::ifstream in(folder_ + "/plot.png", std::ios::binary);
        std::stringstream bytes;
        bytes << in.rdbuf();
        return readPng(bytes.str());
    }
    std::string folder_;
    testsupport::ScriptedUrc urc_;
};

TEST_F(PlotCommandTest, KeysAndAGivenSignalAreOneRowEach) {
    ASSERT_EQ(plot({"05"}), 0);
    const int oneRow = written().height();
    ASSERT_EQ(plot({"--keys", "05,06", "--raw", "raw 38000 +9000 -4500 +560 -40000"}), 0);
    const int threeRows = written().height();
    ASSERT_EQ(plot({"05", "--pronto", "0000 006D 0002 0000 0156 00AB 0015 0F00"}), 0);
    EXPECT_EQ(written().height() - oneRow, (threeRows - oneRow) / 2);
    EXPECT_GT(threeRows, oneRow);
    const std::string conf = folder_ + "/r.conf";
    std::ofstream(conf) << "begin remote\n name R\n flags RAW_CODES\n frequency 38000\n"
                           " begin raw_codes\n  name K\n   900 450 900\n end raw_codes\n"
                           "end remote\n";
    EXPECT_EQ(plot({"--lircd", conf, "K"}), 0);
    EXPECT_EQ(written().height(), oneRow);
}

TEST_F(PlotCommandTest, BadRequestsAreRefusedByName) {
    using urctool::ToolError;
    using urctool::UsageError;
    EXPECT_THROW(plot({}), UsageError);
    EXPECT_THROW(plot({"05", "06"}), UsageError);
    EXPECT_THROW(plot({"05", "--keys", "06"}), UsageError);
    EXPECT_THROW(plot({"--raw", "raw 38000 +900", "--pronto", "0000"}), UsageError);
    EXPECT_THROW(plot({"--lircd", folder_ + "/none.conf"}), UsageError);
    EXPECT_THROW(plot({"--keys", "05,05,05,05,05,05,05,05,05,05", "--raw", "raw 38000 +900"}),
                 UsageError);
    EXPECT_THROW(plot({"--raw", "+900 -900"}), UsageError);
    EXPECT_THROW(plot({"--lircd", folder_ + "/none.conf", "K"}), ToolError);
    EXPECT_THROW(plot({"07"}), ToolError); // holds no code
    EXPECT_THROW(urctool::plotCommand(urc_, {"05", "-o", folder_ + "/x.gif"}), UsageError);
    EXPECT_THROW(urctool::plotCommand(urc_, {"05", "-o", folder_ + "/no/x.png"}), ToolError);
    EXPECT_FALSE(std::filesystem::exists(folder_ + "/plot.png"));
}

} // namespace
