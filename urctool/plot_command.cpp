// plot: the signal a key emits, drawn to an SVG or PNG file.
#include "common/whole_files.h"
#include "urctool/command_line.h"
#include "urctool/commands.h"
#include "urctool/errors.h"
#include "urctool/held_code.h"
#include "urctool/help_texts.h"
#include "urctool/plot_files.h"

#include <cstdio>

namespace urctool {
namespace {

std::string titleOf(const KeyInfo& key, const HeldCode& code) {
    char carrier[32];
    std::snprintf(carrier, sizeof carrier, "carrier %.1f kHz", code.signal.carrierHz / 1000.0);
    const std::string name = key.label.empty() ? key.code : key.label;
    return name + "  " + summary(code) + "  " + carrier;
}

} // namespace

int plotCommand(device::UrcLibrary& urc, const Args& args) {
    const auto a = parseArguments(args, {"-o"}, {});
    if (a.has("--help"))
        return printHelp("plot");
    expectWords(a, 1, "plot");
    const auto path = a.value("-o");
    const bool svg = path && path->ends_with(".svg");
    if (!path || (!svg && !path->ends_with(".png")))
        throw UsageError("plot needs -o FILE.png or -o FILE.svg");
    const Snapshot s = readSnapshot(urc);
    const KeyInfo key = findKey(s.tables, a.words[0]);
    const HeldCode code = heldCode(s, key);
    if (!code.readable)
        throw ToolError("key " + key.code +
                        (key.state == '0' ? " holds no code" : "'s code cannot be read back"));
    const PlotLayout plot = layoutPlot(code.signal, titleOf(key, code));
    const auto problem =
        svg ? wholefiles::replaceFile(*path, plotSvg(plot)) : writePlotPng(plot, *path);
    if (problem)
        throw ToolError(*problem + "; nothing was written");
    return kExitOk;
}

} // namespace urctool
