#pragma once
// What a lircd.conf must be before LIRC's parser reads it. The parser keeps
// durations and frequencies in 32 bits and reads them modulo 2^32 (a header
// of 4294976296 us becomes 9000 us), follows "include" to other files, and
// takes any bit count and repeat count: so the file's own words are checked
// first, and what would not be read as written is refused.
#include <string>
#include <string_view>
#include <vector>

namespace urctool {

// Throws UsageError naming the word, its line and the limit. Returns the
// names of the file's remotes in the file's order.
std::vector<std::string> checkedRemoteNames(std::string_view conf);

// A press repeats its code at most this many times (min_repeat): some ten
// seconds of a remote held down.
inline constexpr long kMaxMinRepeat = 100;

} // namespace urctool
