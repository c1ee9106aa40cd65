#include "irform/timing_body.h"

#include "common/hex_text.h"

namespace irform {
namespace {

using timingtext::kEnd;
using timingtext::kGapStart;
using timingtext::kWordDigits;

bool wordIs(std::string_view text, std::size_t at, std::string_view word) {
    return text.size() >= at + kWordDigits &&
           hextext::equalsIgnoringCase(text.substr(at, kWordDigits), word);
}

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
    while (at < body.size()) {
        if (wordIs(body, at, kEnd)) {
            ended = at + kWordDigits == body.size();
            if (!ended)
                return std::nullopt;
            break;
        }
        if (wordIs(body, at, kGapStart)) {
            const auto ms = hextext::parseHex(body.substr(at + kWordDigits, kWordDigits));
            if (!ms || body.size() < at + timingtext::kGapGroupDigits ||
                !wordIs(body, at + 2 * kWordDigits, kEnd))
                return std::nullopt;
            at += timingtext::kGapGroupDigits;
            ended = at == body.size();
            if (!ended)
                appendSpace(d, gapMicroseconds(*ms));
            continue;
        }
        const std::size_t width =
            wordIs(body, at, timingtext::kNegativeWord) ? 2 * kWordDigits : kWordDigits;
        if (body.size() < at + width)
            return std::nullopt;
        const auto value = hextext::parseHex(body.substr(at, width));
        if (!value)
            return std::nullopt;
        // A negative duration is a mark shorter than the receiver's stretch.
        const uint32_t us = width == kWordDigits ? *value : 0;
        if (d.size() % 2 == 0)
            appendMark(d, us);
        else
            appendSpace(d, us);
        at += width;
    }
    if (!ended || d.empty())
        return std::nullopt;
    if (d.size() % 2 == 0)
        d.pop_back();
    d.push_back(kTrailingGapUs);
    return signal;
}

} // namespace irform
