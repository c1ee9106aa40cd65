#include "irform/timing_body.h"

#include "common/hex_text.h"

namespace irform {
namespace {

using timingtext::kEnd;
using timingtext::kGapStart;
using timingtext::kWordDigits;

// The value of the four-digit word at `at`; nullopt when the text ends first
// or a character is no hex digit. Words are told apart by value, which reads
// either case alike.
std::optional<uint32_t> wordAt(std::string_view text, std::size_t at) {
    if (text.size() < at + kWordDigits)
        return std::nullopt;
    uint32_t value = 0;
    for (std::size_t i = at; i < at + kWordDigits; ++i) {
        const int digit = hextext::digitValue(text[i]);
        if (digit < 0)
            return std::nullopt;
        value = value * 16 + static_cast<uint32_t>(digit);
    }
    return value;
}

constexpr uint32_t wordValue(std::string_view word) {
    uint32_t value = 0;
    for (char c : word)
        value = value * 16 + static_cast<uint32_t>(c <= '9' ? c - '0' : c - 'A' + 10);
    return value;
}
constexpr uint32_t kEndWord = wordValue(kEnd);
constexpr uint32_t kGapStartWord = wordValue(kGapStart);
constexpr uint32_t kNegativeFirstWord = wordValue(timingtext::kNegativeWord);

// Appends a duration where alternation says; a second space in a row (a gap
// after a space) lengthens the space before it.
void appendSpace(std::vector<uint32_t>& d, uint32_t us) {
    if (d.empty())
        return; // silence before the first mark is no part of the signal
    if (d.size() % 2 == 1)
        d.push_back(us);
    else
        d.back() += us;
}

// A mark after a space of no length (the encoder's "0000" + stretch) goes on
// the mark before it: the URC writes a very long mark in pieces that way. The
// pieces each lost the receiver's stretch that the space gave back once.
void appendMark(std::vector<uint32_t>& d, uint32_t us) {
    if (d.size() >= 2 && d.back() <= kJoinedMarkSpaceUs) {
        const uint32_t space = d.back();
        d.pop_back();
        d.back() += space + us;
        return;
    }
    d.push_back(us);
}

} // namespace

uint32_t gapMicroseconds(uint32_t milliseconds) {
    return milliseconds * 1000 + 500;
}

std::optional<Signal> parseTimingBody(std::string_view body) {
    body.remove_prefix(timingtext::leadingExtra(body.size()));
    Signal signal;
    signal.carrierHz = kDefaultCarrierHz;
    auto& d = signal.durations;
    std::size_t at = 0;
    bool ended = false;
    d.reserve(body.size() / kWordDigits + 1);
    while (at < body.size()) {
        const auto word = wordAt(body, at);
        if (!word)
            return std::nullopt;
        if (*word == kEndWord) {
            ended = at + kWordDigits == body.size();
            if (!ended)
                return std::nullopt;
            break;
        }
        if (*word == kGapStartWord) {
            const auto ms = wordAt(body, at + kWordDigits);
            if (!ms || wordAt(body, at + 2 * kWordDigits) != kEndWord)
                return std::nullopt;
            at += timingtext::kGapGroupDigits;
            ended = at == body.size();
            if (!ended)
                appendSpace(d, gapMicroseconds(*ms));
            continue;
        }
        // A negative duration (its second word follows) is a mark shorter
        // than the receiver's stretch.
        const bool negative = *word == kNegativeFirstWord;
        if (negative && !wordAt(body, at + kWordDigits))
            return std::nullopt;
        const uint32_t us = negative ? 0 : *word;
        if (d.size() % 2 == 0)
            appendMark(d, us);
        else
            appendSpace(d, us);
        at += negative ? 2 * kWordDigits : kWordDigits;
    }
    if (!ended || d.empty())
        return std::nullopt;
    if (d.size() % 2 == 0)
        d.pop_back();
    d.push_back(kTrailingGapUs);
    return signal;
}

} // namespace irform
