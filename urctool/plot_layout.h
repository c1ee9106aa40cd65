#pragma once
// A signal's plot as shapes: marks as filled bars over a baseline, a time axis
// in milliseconds with ticks at a round step, and a title. The SVG and PNG
// writers draw the same shapes.
#include "irform/signal.h"

#include <string>
#include <vector>

namespace urctool {

struct Bar {
    int x = 0, y = 0, width = 0, height = 0;
};
struct Label {
    int x = 0, y = 0; // left end of the baseline of the text
    int size = 0;     // cell height in pixels
    std::string text;
};
struct PlotLayout {
    int width = 0, height = 0;
    std::vector<Bar> marks;
    std::vector<Bar> lines; // baseline, axis and ticks (thin bars)
    std::vector<Label> labels;
};

inline constexpr int kPlotWidth = 1200;
inline constexpr int kPlotHeight = 260;

PlotLayout layoutPlot(const irform::Signal& signal, const std::string& title);

// The axis step in ms: 1, 2 or 5 times a power of ten giving at most `ticks`.
double tickStepMs(double totalMs, int ticks);

} // namespace urctool
