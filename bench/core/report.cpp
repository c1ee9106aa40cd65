#include "bench/core/report.h"

#include <cstdio>

namespace bench {

std::string fixed(double value, int decimals) {
    char text[64];
    std::snprintf(text, sizeof text, "%.*f", decimals < 0 ? 0 : decimals, value);
    return text;
}

std::string verdict(const ResultRow& row) {
    if (row.summary.count == 0)
        return "not measured";
    if (row.target.empty())
        return "-";
    return row.summary.median <= row.limit ? "met" : "not met";
}

std::string markdownTable(const std::vector<ResultRow>& rows) {
    std::string table = "| measure | median | min - max | runs | target | verdict |\n"
                        "|---|---|---|---|---|---|\n";
    for (const ResultRow& row : rows) {
        const Summary& s = row.summary;
        const std::string unit = row.unit.empty() ? "" : " " + row.unit;
        const bool measured = s.count > 0;
        table +=
            "| " + row.measure + " | " + (measured ? fixed(s.median, row.decimals) + unit : "-") +
            " | " +
            (measured ? fixed(s.min, row.decimals) + " - " + fixed(s.max, row.decimals) : "-") +
            " | " + std::to_string(s.count) + " | " + (row.target.empty() ? "-" : row.target) +
            " | " + verdict(row) + " |\n";
    }
    return table;
}

} // namespace bench
