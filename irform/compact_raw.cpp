#include "irform/compact_raw.h"

#include "common/hex_text.h"
#include "irform/code_form_detail.h"

#include <algorithm>

namespace irform {
namespace {

uint32_t compactSlack(uint32_t us) {
    return std::max(us * kCompactTolerancePercent / 100, kCompactToleranceUs);
}

// Cluster values of the sorted distinct durations: a cluster spans at most
// twice the slack of its smallest member, and its value is the middle of its
// span, so every member lies within the slack of it.
std::vector<uint32_t> clusterValues(std::vector<uint32_t> sorted) {
    std::sort(sorted.begin(), sorted.end());
    std::vector<uint32_t> values;
    std::size_t i = 0;
    while (i < sorted.size()) {
        const uint32_t low = sorted[i];
        uint32_t high = low;
        while (i < sorted.size() && sorted[i] - low <= 2 * compactSlack(low))
            high = sorted[i++];
        values.push_back(low + (high - low) / 2);
        if (values.size() > kMaxCompactEntries)
            break;
    }
    return values;
}

std::size_t nearestIndex(const std::vector<uint32_t>& values, uint32_t us) {
    std::size_t best = 0;
    for (std::size_t i = 1; i < values.size(); ++i) {
        const auto off = [us](uint32_t v) { return v > us ? v - us : us - v; };
        if (off(values[i]) < off(values[best]))
            best = i;
    }
    return best;
}

} // namespace

std::optional<std::string> compactRawData(const std::vector<uint32_t>& durations) {
    // Entries are stored as duration words, so cluster what those words keep.
    std::vector<uint32_t> stored;
    for (uint32_t us : durations)
        stored.push_back(detail::durationFromWord(detail::durationWord(us)));
    const std::vector<uint32_t> values = clusterValues(stored);
    if (values.empty() || values.size() > kMaxCompactEntries)
        return std::nullopt;
    std::string data = hextext::hexText(static_cast<uint32_t>(values.size()), 2);
    for (uint32_t v : values)
        data += hextext::hexText(detail::durationWord(v), 4);
    for (uint32_t us : stored)
        data += hextext::hexText(static_cast<uint32_t>(nearestIndex(values, us)), 1);
    return data;
}

std::optional<std::vector<uint32_t>> compactRawDurations(std::string_view data, std::size_t count) {
    const auto entries = hextext::parseHex(data.substr(0, 2));
    if (!entries || *entries == 0 || *entries > kMaxCompactEntries)
        return std::nullopt;
    const std::size_t indexStart = 2 + 4 * *entries;
    if (data.size() < indexStart + count)
        return std::nullopt;
    std::vector<uint32_t> values;
    for (uint32_t i = 0; i < *entries; ++i)
        values.push_back(detail::durationFromWord(*hextext::parseHex(data.substr(2 + 4 * i, 4))));
    std::vector<uint32_t> durations;
    for (std::size_t i = 0; i < count; ++i) {
        const auto index = hextext::parseHex(data.substr(indexStart + i, 1));
        if (!index || *index >= values.size())
            return std::nullopt;
        durations.push_back(values[*index]);
    }
    return durations;
}

} // namespace irform
