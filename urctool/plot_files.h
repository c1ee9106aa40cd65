#pragma once
// A plot layout drawn with cairo by one drawing function into a PNG, SVG or
// PDF picture, in memory (the caller replaces the file whole). Text is real
// type: "DejaVu Sans" through fontconfig, which stands in another sans font
// where that one is missing.
#include "urctool/plot_layout.h"

#include <optional>
#include <string>

namespace urctool {

enum class PlotFormat { Png, Svg, Pdf };

// By the file name's suffix (.png, .svg, .pdf, in any case); nullopt for another.
std::optional<PlotFormat> plotFormatOf(const std::string& path);

// The width of a text as drawPlot draws it (cairo's measure of the font).
TextWidth plotTextWidth();

// The picture's bytes; `title` becomes a PDF's title. Throws ToolError naming
// cairo's reason when the picture cannot be made.
std::string renderPlot(const PlotLayout& plot, PlotFormat format, const std::string& title);

} // namespace urctool
