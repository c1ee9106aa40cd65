// plot: the signals keys emit, and a signal before it is learned, drawn one
// row each on one time scale into a PNG, SVG or PDF file.
#include "common/whole_files.h"
#include "urctool/command_line.h"
#include "urctool/commands.h"
#include "urctool/errors.h"
#include "urctool/held_code.h"
#include "urctool/help_texts.h"
#include "urctool/lircd_conf.h"
#include "urctool/plot_files.h"
#include "urctool/plot_rows.h"
#include "urctool/signal_input.h"

#include <optional>

namespace urctool {
namespace {

// As set --lircd reads it.
constexpr std::size_t kMaxLircdFile = 1 << 20; // 1 MiB

std::string readLircdFile(const std::string& path) {
    auto file = wholefiles::readRegularFile(path, kMaxLircdFile, "lircd.conf");
    if (!file.content)
        throw ToolError(file.error);
    return std::move(*file.content);
}

struct Request {
    std::vector<std::string> keys;
    std::optional<std::string> lircdName; // the last word with --lircd
};

// Which words are keys and which the lircd.conf key's name; UsageError when
// they do not add up.
Request requestOf(const Arguments& a) {
    const int sources = a.value("--raw").has_value() + a.value("--pronto").has_value() +
                        a.value("--lircd").has_value();
    if (sources > 1)
        throw UsageError("plot takes at most one of --raw, --pronto and --lircd");
    Request r;
    std::vector<std::string> words = a.words;
    if (a.value("--lircd")) {
        if (words.empty())
            throw UsageError("--lircd FILE NAME needs the NAME of a key in FILE");
        r.lircdName = words.back();
        words.pop_back();
    }
    if (auto list = a.value("--keys")) {
        if (!words.empty())
            throw UsageError("plot takes keys as KEY or as --keys KEY,KEY,..., not both");
        r.keys = keyList(*list);
    } else if (words.size() == 1) {
        r.keys = words;
    }
    if (words.size() > 1)
        throw UsageError("plot takes one KEY (--keys KEY,KEY,... for several)");
    if (r.keys.empty() && sources == 0)
        throw UsageError("plot needs a KEY, --keys KEY,KEY,..., --raw, --pronto or --lircd");
    const std::size_t rows = r.keys.size() + static_cast<std::size_t>(sources);
    if (rows > kMaxPlotRows)
        throw UsageError("a plot holds at most " + std::to_string(kMaxPlotRows) + " rows; " +
                         std::to_string(rows) + " were asked for");
    return r;
}

std::optional<PlotRow> givenRowOf(const Arguments& a, const Request& r) {
    if (auto raw = a.value("--raw"))
        return givenRow("Raw signal", signalFromRaw(*raw));
    if (auto pronto = a.value("--pronto"))
        return givenRow("Pronto signal", signalFromPronto(*pronto));
    if (auto file = a.value("--lircd")) {
        const std::string shortName = wholefiles::splitPath(*file).name;
        return givenRow(*r.lircdName + " in " + shortName,
                        signalFromLircd(readLircdFile(*file), *r.lircdName));
    }
    return std::nullopt;
}

std::string titleOf(const std::vector<PlotRow>& rows) {
    std::string title;
    for (const PlotRow& row : rows)
        title += (title.empty() ? "" : "; ") + row.heading;
    return title;
}

} // namespace

int plotCommand(device::UrcLibrary& urc, const Args& args) {
    const auto a = parseArguments(args, {"-o", "--keys", "--raw", "--pronto", "--lircd"}, {});
    if (a.has("--help"))
        return printHelp("plot");
    const auto path = a.value("-o");
    const auto format = path ? plotFormatOf(*path) : std::nullopt;
    if (!format)
        throw UsageError("plot needs -o FILE.png, -o FILE.svg or -o FILE.pdf");
    const Request request = requestOf(a);
    // The given signal is read first: a fault in it is told before the URC is asked.
    const std::optional<PlotRow> given = givenRowOf(a, request);
    std::vector<PlotRow> rows;
    if (!request.keys.empty()) {
        const Snapshot s = readSnapshot(urc);
        for (const std::string& name : request.keys) {
            const KeyInfo key = findKey(s.tables, name);
            rows.push_back(heldRow(key, heldCode(s, key)));
        }
    }
    if (given)
        rows.push_back(*given);
    const PlotLayout plot = layoutPlot(rows, plotTextWidth());
    const std::string bytes = renderPlot(plot, *format, titleOf(rows));
    if (const auto problem = wholefiles::replaceFile(*path, bytes))
        throw ToolError(*problem + "; nothing was written");
    return kExitOk;
}

} // namespace urctool
