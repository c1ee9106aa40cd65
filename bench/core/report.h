#pragma once
// The results table the process benchmarks print: one row per measure with
// its median and spread over the runs, the target and whether it was met.
#include "bench/core/stats.h"

#include <optional>
#include <string>
#include <vector>

namespace bench {

struct ResultRow {
    std::string measure;
    Summary summary;
    std::string unit;   // "ms", "MiB", "%", "x", ...
    int decimals = 1;   // shown after the point
    std::string target; // empty: no target, informative only
    double limit = 0;   // the target as "at most limit", when there is one
};

// "met" / "not met" for a row with a target, "-" for one without, and
// "not measured" when nothing was measured: a missing figure never passes.
std::string verdict(const ResultRow& row);

// A Markdown table: measure | median | min - max | runs | target | verdict.
std::string markdownTable(const std::vector<ResultRow>& rows);

// value with `decimals` digits after the point.
std::string fixed(double value, int decimals);

} // namespace bench
