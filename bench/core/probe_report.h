#pragma once
// The line the paint probe writes when the watched window has been painted
// for the first time:
//   probe created=<ns> shown=<ns> paint=<ns> painted=<ns> window=<id>
// Times are CLOCK_MONOTONIC nanoseconds, the same clock the benchmark reads
// before it starts the program, so the two can be subtracted. A time the
// probe did not see is 0.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace bench {

struct ProbeReport {
    int64_t createdNs = 0; // first event sent to the window (its construction)
    int64_t shownNs = 0;   // its first show event
    int64_t paintNs = 0;   // its first paint event begins
    int64_t paintedNs = 0; // the event loop is back after that paint
    uint64_t windowId = 0; // the native window (an X window id under xcb)
};

std::string formatProbeReport(const ProbeReport& report);
// nullopt unless the line has the "probe" word and a non-zero painted time.
std::optional<ProbeReport> parseProbeReport(std::string_view line);

int64_t monotonicNs();

} // namespace bench
