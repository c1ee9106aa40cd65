#include "urctool/plot_layout.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <stdexcept>

namespace urctool {
namespace {

// Pixel geometry: margins, a row's heading line and bar band, the axis.
constexpr double kMargin = 20;
constexpr double kAxisLeft = 36;
constexpr double kHeadingBaseline = 18;
constexpr double kBandTop = 28, kBandHeight = 46;
constexpr double kRowHeight = 94;
constexpr double kTickLength = 5;
constexpr double kPixelsPerTick = 80;
constexpr double kLabelPad = 2;
constexpr double kLine = 1;

struct Geometry {
    double axisLeft = kAxisLeft;
    double scale = 0; // pixels per us
    double axisRight = 0;
    double tailWidth = 0; // beyond the axis: each row's closing silence
    double x(double us) const { return axisLeft + std::round(us * scale); }
};

// The part of a row drawn to scale: everything but a closing space.
std::size_t drawnCount(const irform::Signal& s) {
    return s.durations.size() % 2 == 0 ? s.durations.size() - 1 : s.durations.size();
}

double drawnUs(const irform::Signal& s) {
    double us = 0;
    for (std::size_t i = 0; i < drawnCount(s); ++i)
        us += s.durations[i];
    return us;
}

std::string gapText(const irform::Signal& s) {
    return "gap " + std::to_string(s.durations.back());
}

void checkRows(const std::vector<PlotRow>& rows) {
    if (rows.empty() || rows.size() > kMaxPlotRows)
        throw std::invalid_argument("a plot has 1 to " + std::to_string(kMaxPlotRows) + " rows");
    for (const PlotRow& row : rows)
        if (row.signal.durations.empty())
            throw std::invalid_argument(row.heading + " holds no durations");
}

Geometry geometryOf(const std::vector<PlotRow>& rows, const TextWidth& textWidth) {
    double spanUs = 0;
    std::vector<uint32_t> drawn;
    Geometry g;
    for (const PlotRow& row : rows) {
        spanUs = std::max(spanUs, drawnUs(row.signal));
        const auto& d = row.signal.durations;
        drawn.insert(drawn.end(), d.begin(), d.begin() + static_cast<long>(drawnCount(row.signal)));
        if (drawnCount(row.signal) < d.size())
            g.tailWidth =
                std::max(g.tailWidth,
                         textWidth(gapText(row.signal), kDurationSize, false) + 3 * kMargin / 2);
    }
    const double want = textWidth("0000", kDurationSize, false) + 2 * kLabelPad + 2;
    g.scale = axisScale(spanUs, drawn, want);
    g.axisRight = g.x(spanUs);
    return g;
}

// A duration's length written in the middle of its bar or gap when it fits.
void labelDuration(PlotLayout& p, const TextWidth& textWidth, double left, double right,
                   double bandTop, uint32_t us, bool mark) {
    const std::string text = std::to_string(us);
    if (!labelFits(textWidth(text, kDurationSize, false), right - left))
        return;
    p.labels.push_back({(left + right) / 2, bandTop + kBandHeight / 2 + kDurationSize / 3,
                        kDurationSize, false, Align::Centre, mark ? Ink::OnMark : Ink::OnSpace,
                        text});
}

void layoutRow(PlotLayout& p, const PlotRow& row, double top, const Geometry& g,
               const TextWidth& textWidth) {
    const double bandTop = top + kBandTop, baseline = bandTop + kBandHeight;
    p.labels.push_back({kMargin, top + kHeadingBaseline, kHeadingSize, true, Align::Left,
                        Ink::Heading, row.heading});
    p.shapes.push_back(
        {{g.axisLeft, baseline - kLine, g.axisRight - g.axisLeft + kMargin, kLine}, Ink::Baseline});
    const std::size_t firstBar = p.shapes.size();
    bool merged = false;
    double at = 0;
    for (std::size_t i = 0; i < drawnCount(row.signal); ++i) {
        const uint32_t us = row.signal.durations[i];
        const double left = g.x(at), right = g.x(at + us);
        at += us;
        if (i % 2 == 1) {
            labelDuration(p, textWidth, left, right, bandTop, us, false);
            continue;
        }
        // Bars less than a pixel apart are one bar: the picture stays as
        // large as it is however many durations the signal has.
        Shape* last = p.shapes.size() > firstBar ? &p.shapes.back() : nullptr;
        if (last && left < last->box.right() + 1) {
            last->box.width = std::max(last->box.right(), right) - last->box.x;
            merged = true;
            continue;
        }
        p.shapes.push_back({{left, bandTop, std::max(1.0, right - left), kBandHeight}, Ink::Mark});
        labelDuration(p, textWidth, left, right, bandTop, us, true);
    }
    if (drawnCount(row.signal) < row.signal.durations.size())
        p.labels.push_back({g.axisRight + kMargin + kLabelPad * 2, baseline - 3, kDurationSize,
                            false, Align::Left, Ink::OnSpace, gapText(row.signal)});
    if (merged)
        p.labels.push_back({kMargin + textWidth(row.heading, kHeadingSize, true) + 12,
                            top + kHeadingBaseline, kDurationSize, false, Align::Left, Ink::Note,
                            "(bars less than a pixel apart are drawn as one)"});
}

// The ticks' times in ms: a round step, at least every kPixelsPerTick pixels.
std::vector<double> tickTimesMs(const Geometry& g) {
    const double spanMs = (g.axisRight - g.axisLeft) / g.scale / 1000.0;
    const int ticks = std::max(2, static_cast<int>((g.axisRight - g.axisLeft) / kPixelsPerTick));
    const double step = tickStepMs(spanMs, ticks);
    std::vector<double> times;
    for (int i = 0; i * step <= spanMs * (1 + 1e-9); ++i)
        times.push_back(i * step);
    return times;
}

void layoutGrid(PlotLayout& p, const Geometry& g, const std::vector<double>& ticks,
                std::size_t rows) {
    for (std::size_t r = 0; r < rows; ++r)
        for (double ms : ticks)
            p.shapes.push_back(
                {{g.x(ms * 1000.0), kMargin + r * kRowHeight + kBandTop, kLine, kBandHeight},
                 Ink::Grid});
}

void layoutAxis(PlotLayout& p, const Geometry& g, const std::vector<double>& ticks, double axisY) {
    p.shapes.push_back({{g.axisLeft, axisY, g.axisRight - g.axisLeft + kLine, kLine}, Ink::Axis});
    for (double ms : ticks) {
        const double x = g.x(ms * 1000.0);
        p.shapes.push_back({{x, axisY, kLine, kTickLength}, Ink::Axis});
        p.labels.push_back({x, axisY + kTickLength + kTickSize + 2, kTickSize, false, Align::Centre,
                            Ink::Tick, msText(ms)});
    }
    p.labels.push_back({(g.axisLeft + g.axisRight) / 2, axisY + kTickLength + 2 * kTickSize + 12,
                        kTickSize, false, Align::Centre, Ink::Tick,
                        "time in ms; mark and space lengths in \u00b5s"});
}

} // namespace

double tickStepMs(double totalMs, int ticks) {
    for (double power = 1e-3;; power *= 10)
        for (double m : {1.0, 2.0, 5.0})
            if (totalMs / (m * power) <= ticks)
                return m * power;
}

std::string msText(double ms) {
    char text[32];
    std::snprintf(text, sizeof text, "%.6g", ms);
    return text;
}

double axisScale(double spanUs, const std::vector<uint32_t>& durations, double wantPx) {
    if (spanUs <= 0) // nothing to scale
        return 1.0;
    double pxPerUs = kMinAxisSpan / spanUs;
    if (!durations.empty()) {
        std::vector<uint32_t> sorted = durations;
        const auto tenth = sorted.begin() + static_cast<long>(sorted.size() / 10);
        std::nth_element(sorted.begin(), tenth, sorted.end());
        pxPerUs = wantPx / std::max<uint32_t>(1, *tenth);
    }
    return std::clamp(pxPerUs * spanUs, kMinAxisSpan, kMaxAxisSpan) / spanUs;
}

bool labelFits(double textWidth, double width) {
    return textWidth + 2 * kLabelPad <= width;
}

PlotLayout layoutPlot(const std::vector<PlotRow>& rows, const TextWidth& textWidth) {
    checkRows(rows);
    const Geometry g = geometryOf(rows, textWidth);
    PlotLayout p;
    const std::vector<double> ticks = tickTimesMs(g);
    layoutGrid(p, g, ticks, rows.size());
    for (std::size_t r = 0; r < rows.size(); ++r)
        layoutRow(p, rows[r], kMargin + r * kRowHeight, g, textWidth);
    // A heading (and its note) may reach past the axis of a short signal.
    double widest = 0;
    for (const Label& l : p.labels)
        if (l.align == Align::Left)
            widest = std::max(widest, l.x + textWidth(l.text, l.size, l.bold));
    const double axisY = kMargin + rows.size() * kRowHeight - 14;
    layoutAxis(p, g, ticks, axisY);
    p.width = std::ceil(std::max(g.axisRight + kMargin + g.tailWidth, widest + kMargin) + kMargin);
    p.height = std::ceil(axisY + kTickLength + 2 * kTickSize + 12 + kMargin);
    return p;
}

} // namespace urctool
