#include "bench/core/stats.h"

#include <algorithm>

namespace bench {

Summary summarize(std::vector<double> values) {
    Summary s;
    s.count = values.size();
    if (values.empty())
        return s;
    std::sort(values.begin(), values.end());
    const std::size_t middle = values.size() / 2;
    s.median = values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
    s.min = values.front();
    s.max = values.back();
    return s;
}

Summary summarizeRatios(const std::vector<double>& numerators,
                        const std::vector<double>& denominators) {
    std::vector<double> ratios;
    const std::size_t pairs = std::min(numerators.size(), denominators.size());
    for (std::size_t i = 0; i < pairs; ++i) {
        if (denominators[i] > 0)
            ratios.push_back(numerators[i] / denominators[i]);
    }
    return summarize(std::move(ratios));
}

} // namespace bench
