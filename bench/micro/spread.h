#pragma once
// Repeated runs (--benchmark_repetitions) report the median; these add the
// fastest and slowest repetition, so the spread shows beside it.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <vector>

namespace bench {

inline void withSpread(benchmark::internal::Benchmark* b) {
    b->ComputeStatistics("min", [](const std::vector<double>& v) {
        return v.empty() ? 0.0 : *std::min_element(v.begin(), v.end());
    });
    b->ComputeStatistics("max", [](const std::vector<double>& v) {
        return v.empty() ? 0.0 : *std::max_element(v.begin(), v.end());
    });
}

} // namespace bench
