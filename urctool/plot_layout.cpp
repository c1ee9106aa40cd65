#include "urctool/plot_layout.h"

#include <cmath>
#include <cstdio>

namespace urctool {
namespace {

constexpr int kLeft = 40, kRight = 30;
constexpr int kHigh = 70, kLow = 170, kAxis = 195;
constexpr int kTitleSize = 14, kTickTextSize = 10;
constexpr int kMaxTicks = 12;

std::string msText(double ms) {
    char text[32];
    std::snprintf(text, sizeof text, "%g", ms);
    return text;
}

} // namespace

double tickStepMs(double totalMs, int ticks) {
    for (double power = 1e-3;; power *= 10)
        for (double m : {1.0, 2.0, 5.0})
            if (totalMs / (m * power) <= ticks)
                return m * power;
}

PlotLayout layoutPlot(const irform::Signal& signal, const std::string& title) {
    PlotLayout p;
    p.width = kPlotWidth;
    p.height = kPlotHeight;
    double totalUs = 0;
    for (uint32_t us : signal.durations)
        totalUs += us;
    const double span = kPlotWidth - kLeft - kRight;
    const double scale = totalUs > 0 ? span / totalUs : 0.0;
    auto xAt = [&](double us) { return kLeft + static_cast<int>(std::lround(us * scale)); };

    double at = 0;
    for (std::size_t i = 0; i < signal.durations.size(); ++i) {
        const double end = at + signal.durations[i];
        if (i % 2 == 0) // a mark; at least a pixel wide, so short ones still show
            p.marks.push_back({xAt(at), kHigh, std::max(1, xAt(end) - xAt(at)), kLow - kHigh});
        at = end;
    }
    p.lines.push_back({kLeft, kLow, static_cast<int>(span) + 1, 1});
    p.lines.push_back({kLeft, kAxis, static_cast<int>(span) + 1, 1});
    const double totalMs = totalUs / 1000.0;
    const double step = tickStepMs(totalMs, kMaxTicks);
    for (int i = 0; i * step <= totalMs + 1e-9; ++i) {
        const int x = xAt(i * step * 1000.0);
        p.lines.push_back({x, kAxis, 1, 6});
        p.labels.push_back({x - 3, kAxis + 20, kTickTextSize, msText(i * step)});
    }
    p.labels.push_back({kPlotWidth - kRight - 10, kAxis + 40, kTickTextSize, "ms"});
    p.labels.push_back({kLeft, 30, kTitleSize, title});
    return p;
}

} // namespace urctool
