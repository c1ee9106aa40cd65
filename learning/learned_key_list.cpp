#include "learning/learned_key_list.h"

#include "device/core/hex_text.h"

#include <algorithm>

namespace learning {
namespace {

constexpr std::size_t kCodeLength = 2;
constexpr std::size_t kStateIndex = 3;

std::string_view codeOf(std::string_view entry) {
    return entry.substr(0, std::min(kCodeLength, entry.size()));
}

} // namespace

char entryState(std::string_view entry) {
    return entry.size() > kStateIndex ? entry[kStateIndex] : '\0';
}

std::string entryWithState(std::string_view entry, char state) {
    return std::string(codeOf(entry)) + '|' + state;
}

std::optional<std::size_t> findEntry(const LearnedKeyList& keys, std::string_view code) {
    for (std::size_t i = 0; i < keys.size(); ++i)
        if (codeOf(keys[i]) == code)
            return i;
    return std::nullopt;
}

std::optional<std::size_t> findEntryIgnoringCase(const LearnedKeyList& keys,
                                                 std::string_view code) {
    for (std::size_t i = 0; i < keys.size(); ++i)
        if (device::equalsIgnoringCase(codeOf(keys[i]), code))
            return i;
    return std::nullopt;
}

bool isLearnedKey(const LearnedKeyList& keys, std::string_view code) {
    return std::any_of(keys.begin(), keys.end(), [code](const std::string& entry) {
        return codeOf(entry) == code && entryState(entry) == kStateLearned;
    });
}

bool anyLearnedKey(const LearnedKeyList& keys) {
    return std::any_of(keys.begin(), keys.end(),
                       [](const std::string& entry) { return entryState(entry) == kStateLearned; });
}

std::vector<std::size_t> learnedEntries(const LearnedKeyList& keys) {
    std::vector<std::size_t> indexes;
    for (std::size_t i = 0; i < keys.size(); ++i)
        if (entryState(keys[i]) == kStateLearned)
            indexes.push_back(i);
    return indexes;
}

} // namespace learning
