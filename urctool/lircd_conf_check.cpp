#include "urctool/lircd_conf_check.h"

#include "urctool/errors.h"
#include "urctool/signal_input.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <set>
#include <sstream>
#include <strings.h>

namespace urctool {
namespace {

constexpr int kMaxCodeBits = 64; // LIRC's codes are 64-bit words

// Words of a line split as LIRC splits them (spaces and tabs); a line whose
// first character is '#' is a comment to LIRC, and only such a line.
std::vector<std::string> lircWords(std::string line) {
    if (!line.empty() && line.back() == '\r')
        line.pop_back();
    std::vector<std::string> words;
    if (!line.empty() && line[0] == '#')
        return words;
    std::size_t at = 0;
    while ((at = line.find_first_not_of(" \t", at)) != std::string::npos) {
        const std::size_t end = line.find_first_of(" \t", at);
        words.push_back(line.substr(at, end - at));
        at = end;
    }
    return words;
}

bool named(const std::string& word, const char* name) {
    return strcasecmp(word.c_str(), name) == 0;
}

// A number as LIRC's strtoul reads it (0x hex, 0 octal, decimal), but whole:
// past 64 bits it is the largest value. nullopt when LIRC would not take the
// word as a number at all (it says so itself).
std::optional<uint64_t> numberOf(const std::string& word) {
    if (word.empty() || word[0] == '-')
        return std::nullopt;
    errno = 0;
    char* end = nullptr;
    const unsigned long long value = std::strtoull(word.c_str(), &end, 0);
    if (*end != '\0')
        return std::nullopt;
    return errno == ERANGE ? UINT64_MAX : static_cast<uint64_t>(value);
}

bool negative(const std::string& word) {
    return !word.empty() && word[0] == '-';
}

struct Scan {
    enum class Section { None, Remote, Codes, RawCodes } section = Section::None;
    int line = 0;
    std::string rawName;
    long bits[3] = {0, 0, 0}; // bits, pre_data_bits, post_data_bits
    std::vector<std::string> remoteNames;

    std::string at() const { return " (line " + std::to_string(line) + ")"; }

    void duration(const std::string& what, const std::string& word) const {
        if (negative(word))
            throw UsageError(what + " " + word + " us: durations are 0 to " +
                             std::to_string(kMaxDurationUs) + " us" + at());
        const auto us = numberOf(word);
        if (us && *us > kMaxDurationUs)
            throw UsageError(what + " " + word + " us: durations go up to " +
                             std::to_string(kMaxDurationUs) + " us" + at());
    }

    void carrier(const std::string& word) const {
        const auto hz = numberOf(word);
        if (negative(word) || (hz && (*hz < static_cast<uint64_t>(kMinCarrierHz) ||
                                      *hz > static_cast<uint64_t>(kMaxCarrierHz))))
            throw UsageError("the lircd.conf's frequency " + word + " Hz: the carrier must be " +
                             std::to_string(kMinCarrierHz) + " to " +
                             std::to_string(kMaxCarrierHz) + " Hz" + at());
    }

    void count(const std::string& key, const std::string& word, long most, long& into) const {
        const auto n = numberOf(word);
        if (negative(word) || (n && *n > static_cast<uint64_t>(most)))
            throw UsageError("the lircd.conf's " + key + " " + word + ": it is 0 to " +
                             std::to_string(most) + at());
        if (n)
            into = static_cast<long>(*n);
    }

    void parameter(const std::vector<std::string>& w) {
        static const std::set<std::string> pairs = {"header", "three",  "two", "one", "zero",
                                                    "foot",   "repeat", "pre", "post"};
        std::string key = w[0];
        std::transform(key.begin(), key.end(), key.begin(), ::tolower);
        const std::string what = "the lircd.conf's " + key;
        long ignored = 0;
        if (key == "name" && w.size() > 1)
            remoteNames.push_back(w[1]);
        else if (pairs.count(key) || key == "gap")
            for (std::size_t i = 1; i < std::min<std::size_t>(w.size(), 3); ++i)
                duration(what, w[i]);
        else if (key == "plead" || key == "ptrail" || key == "repeat_gap")
            duration(what, w.size() > 1 ? w[1] : "");
        else if (key == "frequency" && w.size() > 1)
            carrier(w[1]);
        else if (key == "bits" && w.size() > 1)
            count(key, w[1], kMaxCodeBits, bits[0]);
        else if (key == "pre_data_bits" && w.size() > 1)
            count(key, w[1], kMaxCodeBits, bits[1]);
        else if (key == "post_data_bits" && w.size() > 1)
            count(key, w[1], kMaxCodeBits, bits[2]);
        else if (key == "min_repeat" && w.size() > 1)
            count(key, w[1], kMaxMinRepeat, ignored);
    }

    void endRemote() {
        const long total = bits[0] + bits[1] + bits[2];
        if (total > kMaxCodeBits)
            throw UsageError("the lircd.conf's remote " +
                             (remoteNames.empty() ? std::string() : remoteNames.back()) + " has " +
                             std::to_string(total) +
                             " bits (bits, pre_data_bits and post_data_bits together); LIRC's "
                             "codes hold at most " +
                             std::to_string(kMaxCodeBits) + at());
        bits[0] = bits[1] = bits[2] = 0;
    }

    void rawWords(const std::vector<std::string>& w) {
        if (named(w[0], "name")) {
            rawName = w.size() > 1 ? w[1] : "";
            return;
        }
        for (const auto& word : w)
            duration("the raw code " + rawName + " holds", word);
    }

    void take(const std::vector<std::string>& w) {
        if (named(w[0], "include"))
            throw UsageError("the lircd.conf includes another file" + at() +
                             "; urc-tool reads one file: give it the included one");
        const bool begin = named(w[0], "begin") && w.size() > 1;
        const bool end = named(w[0], "end") && w.size() > 1;
        if (begin && named(w[1], "remote"))
            section = Section::Remote;
        else if (begin && named(w[1], "codes"))
            section = Section::Codes;
        else if (begin && named(w[1], "raw_codes"))
            section = Section::RawCodes;
        else if (end && named(w[1], "remote"))
            endRemote(), section = Section::None;
        else if (end && (named(w[1], "codes") || named(w[1], "raw_codes")))
            section = Section::Remote;
        else if (section == Section::Remote)
            parameter(w);
        else if (section == Section::RawCodes)
            rawWords(w);
    }
};

} // namespace

std::vector<std::string> checkedRemoteNames(std::string_view conf) {
    Scan scan;
    std::istringstream lines{std::string(conf)};
    for (std::string line; std::getline(lines, line);) {
        ++scan.line;
        const auto words = lircWords(line);
        if (!words.empty())
            scan.take(words);
    }
    return scan.remoteNames;
}

} // namespace urctool
