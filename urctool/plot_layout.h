#pragma once
// One or more signals laid out as a picture's shapes, before any drawing: each
// signal a row under its heading, marks as filled bars over the row's
// baseline, each mark's and space's length in us written on it where the text
// fits, and under the rows one time axis in ms with round ticks. Every row
// uses the same time scale, so a key the URC holds and the original remote's
// signal line up and compare. The last space of a row (the silence after the
// press) is not drawn to scale, else it would squeeze everything before it;
// its length is written at the row's end. Units are the PNG's pixels, which
// SVG and PDF take as points.
#include "irform/signal.h"

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace urctool {

struct PlotRow {
    std::string heading; // "TV/MUTE: nec 0x04 0x08, 38.0 kHz"
    irform::Signal signal;
};

enum class Ink { Mark, Baseline, Grid, Axis, Heading, Note, OnMark, OnSpace, Tick };
enum class Align { Left, Centre, Right };

struct Box {
    double x = 0, y = 0, width = 0, height = 0;
    double right() const { return x + width; }
    double bottom() const { return y + height; }
};
struct Shape {
    Box box; // a filled rectangle; lines are thin ones
    Ink ink;
};
struct Label {
    double x = 0, y = 0; // the baseline's point given by `align`
    double size = 0;     // font size
    bool bold = false;
    Align align = Align::Left;
    Ink ink = Ink::Heading;
    std::string text;
};
struct PlotLayout {
    double width = 0, height = 0;
    std::vector<Shape> shapes; // in drawing order: grid first, so bars lie over it
    std::vector<Label> labels;
};

// The advance width of `text` at font `size` (bold or not), as it will be drawn.
using TextWidth = std::function<double(std::string_view text, double size, bool bold)>;

// At most this many rows in one picture.
inline constexpr std::size_t kMaxPlotRows = 10;
// The time axis is given this many pixels for its span at the least and the
// most: a short signal is not drawn tiny, a long one not wider than a screen
// or two (its short durations then merge and go unlabelled).
inline constexpr double kMinAxisSpan = 800;
inline constexpr double kMaxAxisSpan = 3000;
// Font sizes of the headings and of the duration and tick labels.
inline constexpr double kHeadingSize = 15;
inline constexpr double kDurationSize = 10;
inline constexpr double kTickSize = 11;

// Throws std::invalid_argument for no rows, more than kMaxPlotRows, or a row
// without durations (the command checks first; this keeps the layout sound).
PlotLayout layoutPlot(const std::vector<PlotRow>& rows, const TextWidth& textWidth);

// The axis step in ms: 1, 2 or 5 times a power of ten giving at most `ticks`.
double tickStepMs(double totalMs, int ticks);

// "12", "0.5", "1.25": a tick's ms without trailing zeros.
std::string msText(double ms);

// Pixels per microsecond for rows whose longest drawn part lasts `spanUs`, so
// that the short durations (a tenth of them are shorter) get `wantPx` each,
// within kMinAxisSpan and kMaxAxisSpan for the whole span.
double axisScale(double spanUs, const std::vector<uint32_t>& durations, double wantPx);

// A duration's label fits on its bar or gap of `width` pixels.
bool labelFits(double textWidth, double width);

} // namespace urctool
