#pragma once
// Summaries of repeated measurements. On a shared machine single figures are
// noise; the median with its spread is what gets reported and compared.
#include <cstddef>
#include <vector>

namespace bench {

struct Summary {
    double median = 0;
    double min = 0;
    double max = 0;
    std::size_t count = 0; // 0: nothing was measured, the other fields mean nothing
};

// Median (the mean of the two middle values for an even count), min and max.
Summary summarize(std::vector<double> values);

// The summary of a ratio taken run by run (numerator[i] / denominator[i]), so
// that both sides of each pair saw the same machine load. Pairs with a
// non-positive denominator are left out.
Summary summarizeRatios(const std::vector<double>& numerators,
                        const std::vector<double>& denominators);

} // namespace bench
