#pragma once
// Writing a plot layout as SVG text or as a PNG picture (libpng; the text in
// a small built-in 5x7 pixel font, upper case).
#include "urctool/plot_layout.h"

#include <optional>
#include <string>

namespace urctool {

std::string plotSvg(const PlotLayout& plot);
// Replaces the file whole (wholefiles::replaceFile); nullopt on success, else
// why the file could not be written.
std::optional<std::string> writePlotPng(const PlotLayout& plot, const std::string& path);

} // namespace urctool
