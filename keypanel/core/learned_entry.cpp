#include "keypanel/core/learned_entry.h"

namespace keypanel {

LearnedEntry splitLearnedEntry(std::string_view entry) {
    LearnedEntry split;
    split.code = std::string(entry.substr(0, 2));
    if (entry.size() >= 4)
        split.state = std::string(1, entry[3]);
    return split;
}

} // namespace keypanel
