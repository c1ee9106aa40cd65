#include "urctool/learn_timeout.h"

#include "urctool/errors.h"

#include <algorithm>

namespace urctool {

int learnTimeoutSeconds(const std::optional<std::string>& value) {
    if (!value)
        return kDefaultLearnTimeout;
    const std::string& text = *value;
    // Four digits at most: longer texts cannot be within the limit, and
    // stoi must not be handed a number past int.
    const bool digits =
        !text.empty() && text.size() <= 4 &&
        std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
    const int seconds = digits ? std::stoi(text) : -1;
    if (seconds < kShortestLearnTimeout || seconds > kLongestLearnTimeout)
        throw UsageError("--timeout takes whole seconds from " +
                         std::to_string(kShortestLearnTimeout) + " to " +
                         std::to_string(kLongestLearnTimeout) + ", not \"" + text + "\"");
    return seconds;
}

} // namespace urctool
