#pragma once
// Reading one learned-key list entry ("05|2": two code digits, "|", state).
#include <string>
#include <string_view>

namespace keypanel {

struct LearnedEntry {
    std::string code;  // characters 1 and 2 (fewer for a short entry)
    std::string state; // character 4, or empty for an entry shorter than that
};

LearnedEntry splitLearnedEntry(std::string_view entry);

} // namespace keypanel
