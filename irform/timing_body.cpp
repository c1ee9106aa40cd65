#include "irform/timing_body.h"

#include "common/hex_text.h"

namespace irform {
namespace {

constexpr std::string_view kGapStart = "FEFE";
constexpr std::string_view kEnd = "EDED";

bool wordIs(std::string_view text, std::size_t at, std::string_view word) {
    return text.size() >= at + 4 && hextext::equalsIgnoringCase(text.substr(at, 4), word);
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

// A mark after a space of no length (the encoder's "0000" + 58 us) goes on
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
    body.remove_prefix(body.size() % 4);
    Signal signal;
    signal.carrierHz = kDefaultCarrierHz;
    auto& d = signal.durations;
    std::size_t at = 0;
    bool ended = false;
    while (at < body.size()) {
        if (wordIs(body, at, kEnd)) {
            ended = at + 4 == body.size();
            if (!ended)
                return std::nullopt;
            break;
        }
        if (wordIs(body, at, kGapStart)) {
            const auto ms = hextext::parseHex(body.substr(at + 4, 4));
            if (!ms || body.size() < at + 12 || !wordIs(body, at + 8, kEnd))
                return std::nullopt;
            at += 12;
            ended = at == body.size();
            if (!ended)
                appendSpace(d, gapMicroseconds(*ms));
            continue;
        }
        const std::size_t width = wordIs(body, at, "FFFF") ? 8 : 4;
        if (body.size() < at + width)
            return std::nullopt;
        const auto value = hextext::parseHex(body.substr(at, width));
        if (!value)
            return std::nullopt;
        // A negative duration is a mark shorter than the receiver's stretch.
        const uint32_t us = width == 8 ? 0 : *value;
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
