#include "irform/timing_body.h"

#include "common/hex_text.h"

namespace irform {
namespace {

using timingtext::kEnd;
using timingtext::kGapStart;
using timingtext::kWordDigits;

// The value of the four-digit word at `at` (0 to 0xFFFF); kNoWord when the
// text ends first or a character is no hex digit. Words are told apart by
// value, which reads either case alike. (A plain int: an optional returned
// by value costs a stalled load per word, a third of a long body's reading.)
constexpr int kNoWord = -1;
int wordAt(std::string_view text, std::size_t at) {
    static_assert(kWordDigits == 4);
    if (text.size() < at + kWordDigits)
        return kNoWord;
    const int a = hextext::digitValue(text[at]);
    const int b = hextext::digitValue(text[at + 1]);
    const int c = hextext::digitValue(text[at + 2]);
    const int d = hextext::digitValue(text[at + 3]);
    // A character that is no digit reads as -1, which sets the sign bit.
    if ((a | b | c | d) < 0)
        return kNoWord;
    return a << 12 | b << 8 | c << 4 | d;
}

constexpr int wordValue(std::string_view word) {
    int value = 0;
    for (char c : word)
        value = value * 16 + (c <= '9' ? c - '0' : c - 'A' + 10);
    return value;
}
constexpr int kEndWord = wordValue(kEnd);
constexpr int kGapStartWord = wordValue(kGapStart);
constexpr int kNegativeFirstWord = wordValue(timingtext::kNegativeWord);

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
        const int word = wordAt(body, at);
        if (word == kNoWord)
            return std::nullopt;
        if (word == kEndWord) {
            ended = at + kWordDigits == body.size();
            if (!ended)
                return std::nullopt;
            break;
        }
        if (word == kGapStartWord) {
            const int ms = wordAt(body, at + kWordDigits);
            if (ms == kNoWord || wordAt(body, at + 2 * kWordDigits) != kEndWord)
                return std::nullopt;
            at += timingtext::kGapGroupDigits;
            ended = at == body.size();
            if (!ended)
                appendSpace(d, gapMicroseconds(static_cast<uint32_t>(ms)));
            continue;
        }
        // A negative duration (its second word follows) is a mark shorter
        // than the receiver's stretch.
        const bool negative = word == kNegativeFirstWord;
        if (negative && wordAt(body, at + kWordDigits) == kNoWord)
            return std::nullopt;
        const uint32_t us = negative ? 0 : static_cast<uint32_t>(word);
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
