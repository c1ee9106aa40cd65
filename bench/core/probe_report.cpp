#include "bench/core/probe_report.h"

#include <charconv>
#include <ctime>

namespace bench {

std::string formatProbeReport(const ProbeReport& r) {
    return "probe created=" + std::to_string(r.createdNs) + " shown=" + std::to_string(r.shownNs) +
           " paint=" + std::to_string(r.paintNs) + " painted=" + std::to_string(r.paintedNs) +
           " window=" + std::to_string(r.windowId);
}

namespace {

// The number after "name=" in line; nullopt when absent or not a number.
template <typename Number>
std::optional<Number> field(std::string_view line, std::string_view name) {
    std::string key(" "); // appended piecewise: GCC 12 warns falsely on " " + string
    key += name;
    key += '=';
    const std::size_t at = line.find(key);
    if (at == std::string_view::npos)
        return std::nullopt;
    const char* first = line.data() + at + key.size();
    const char* last = line.data() + line.size();
    Number value{};
    const auto [end, error] = std::from_chars(first, last, value);
    if (error != std::errc() || end == first || (end != last && *end != ' ' && *end != '\n'))
        return std::nullopt;
    return value;
}

} // namespace

std::optional<ProbeReport> parseProbeReport(std::string_view line) {
    if (!line.starts_with("probe "))
        return std::nullopt;
    const auto created = field<int64_t>(line, "created");
    const auto shown = field<int64_t>(line, "shown");
    const auto paint = field<int64_t>(line, "paint");
    const auto painted = field<int64_t>(line, "painted");
    const auto window = field<uint64_t>(line, "window");
    if (!created || !shown || !paint || !painted || !window || *painted <= 0)
        return std::nullopt;
    return ProbeReport{*created, *shown, *paint, *painted, *window};
}

int64_t monotonicNs() {
    timespec now{};
    ::clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<int64_t>(now.tv_sec) * 1000000000 + now.tv_nsec;
}

} // namespace bench
