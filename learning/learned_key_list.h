#pragma once
// Looking keys up in the learned-key list: entries of two key-code digits,
// "|", and a state ("0" no code, "1" not learned here, "2" learned). The list
// is never sorted and entries change only in place, so every lookup takes the
// first entry that matches, in list order.
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace learning {

inline constexpr char kStateEmpty = '0';
inline constexpr char kStateLearned = '2';

using LearnedKeyList = std::vector<std::string>;

// The entry's state character, or '\0' for an entry too short to have one.
char entryState(std::string_view entry);
// The entry's code characters with a new state: "05|2" -> "05|0".
std::string entryWithState(std::string_view entry, char state);

// Index of the first entry whose code is exactly `code` (case-sensitive).
std::optional<std::size_t> findEntry(const LearnedKeyList& keys, std::string_view code);
// Index of the first entry whose code equals `code` regardless of case.
std::optional<std::size_t> findEntryIgnoringCase(const LearnedKeyList& keys, std::string_view code);
// True when some entry has exactly this code and the learned state.
bool isLearnedKey(const LearnedKeyList& keys, std::string_view code);
// True when any entry has the learned state.
bool anyLearnedKey(const LearnedKeyList& keys);
// Indexes of every entry in the learned state, in list order.
std::vector<std::size_t> learnedEntries(const LearnedKeyList& keys);

} // namespace learning
