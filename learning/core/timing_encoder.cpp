// The walk over a cut capture that produces the timing text. The state and its
// steps follow the order in which the URC's words arrive: fillers are
// collected in `fillers` until the word after them tells whether they were a
// long mark, a gap between frames or the end marker.
#include "common/hex_text.h"
#include "irform/capture_text.h"
#include "irform/timing_text.h"
#include "learning/core/capture_text.h"

#include <algorithm>
#include <optional>

namespace learning {
namespace {

constexpr std::string_view kFiller = irform::capturetext::kFiller;
constexpr uint32_t kFillerUnits = irform::capturetext::kFillerUnits;
constexpr uint32_t kMarkBit = irform::capturetext::kMarkBit;
constexpr int64_t kUnitsPerUs = irform::capturetext::kUnitsPerUs;
constexpr int64_t kStretchUs = irform::timingtext::kStretchUs;
// Digits of a duration and of a gap group's milliseconds in the timing text.
constexpr int kDurationDigits = irform::timingtext::kWordDigits;
constexpr std::size_t kEndMarkerFillers = irform::capturetext::kEndMarkerFillers;

// At least four upper-case digits; a negative value as its 32-bit two's
// complement (eight digits).
void appendMicroseconds(std::string& body, int64_t us) {
    hextext::appendHexText(body, static_cast<uint32_t>(us), kDurationDigits);
}

void appendGapGroup(std::string& body, uint32_t milliseconds) {
    body += irform::timingtext::kGapStart;
    hextext::appendHexText(body, milliseconds, kDurationDigits);
    body += irform::timingtext::kEnd;
}

// A word of exactly four hexadecimal digits; read inline, since every word of
// the capture passes here.
std::optional<uint32_t> wordValue(std::string_view word) {
    if (word.size() != 4)
        return std::nullopt;
    uint32_t value = 0;
    for (char c : word) {
        const int d = hextext::digitValue(c);
        if (d < 0)
            return std::nullopt;
        value = value * 16 + static_cast<uint32_t>(d);
    }
    return value;
}

struct Carrier {
    std::string text; // the carrier's digits and the tag
    int khz = 0;      // 0: not measured
};

// Trunc(1000 / (s / 9)) is 9000 div s for the positive whole s used here.
std::optional<Carrier> carrierAndTag(std::string_view first, std::string_view second) {
    const auto a = hextext::parseHex(first.substr(0, 2));
    const auto b = first.size() >= 4 ? hextext::parseHex(first.substr(2, 2)) : std::nullopt;
    const auto c = second.size() >= 2 ? hextext::parseHex(second.substr(0, 2)) : std::nullopt;
    if (!a || !b || !c)
        return std::nullopt;
    const uint32_t s = *a + *b + *c;
    if (s == 0)
        return Carrier{std::string(irform::timingtext::kUnmeasuredCarrierAndTag), 0};
    const uint32_t khz = 9000 / s;
    return Carrier{hextext::hexText(khz, 2) + std::string(irform::timingtext::kTag),
                   static_cast<int>(khz)};
}

// The words collected since the last duration: only their number and the
// first two (the carrier words, once the end marker has passed) matter.
struct Collected {
    std::size_t count = 0;
    std::string_view first;
    std::string_view second;

    void push_back(std::string_view w) {
        if (count == 0)
            first = w;
        else if (count == 1)
            second = w;
        ++count;
    }
    void clear() { count = 0; }
    void restartWith(std::string_view w) {
        count = 0;
        push_back(w);
    }
    std::size_t size() const { return count; }
    bool empty() const { return count == 0; }
};

struct Walk {
    std::string_view text;
    std::size_t i = 0; // 0-based index of the current word's first character
    int64_t n = 0;
    Collected fillers;
    std::string_view prev;
    bool joined = false;
    bool final = false;
    int gaps = 0;
    std::string body;

    EncodeResult run();
    bool appendDuration(std::string_view w);
    bool appendGap(std::string_view w);
    void endMarkerPassed(std::string_view w);
};

bool Walk::appendDuration(std::string_view w) {
    const auto v = wordValue(w);
    if (!v)
        return false;
    if (*v >= kMarkBit) {
        const int64_t m = (*v & kFillerUnits) + (joined ? kFillerUnits : 0);
        appendMicroseconds(body, m / kUnitsPerUs - kStretchUs);
    } else {
        appendMicroseconds(body, *v / kUnitsPerUs + kStretchUs);
    }
    return true;
}

// A silence of fewer fillers than the end marker, then the remainder word.
bool Walk::appendGap(std::string_view w) {
    const auto v = wordValue(w);
    if (!v)
        return false;
    const int64_t y = (static_cast<int64_t>(fillers.size()) * kFillerUnits + *v) / kUnitsPerUs + kStretchUs;
    appendGapGroup(body, static_cast<uint32_t>(y / 1000));
    ++gaps;
    fillers.clear();
    prev = w;
    --n;
    i += 4;
    return true;
}

void Walk::endMarkerPassed(std::string_view w) {
    fillers.restartWith(w);
    ++gaps;
    if (gaps == 1)
        appendGapGroup(body, irform::timingtext::kLoneEndGapMs);
    else
        body += irform::timingtext::kEnd;
    final = true;
}

EncodeResult Walk::run() {
    const EncodeResult failed{};
    const std::size_t length = text.size();
    body.reserve(length); // a duration never takes more digits than its word
    while (i < length) {
        const bool more = length - i >= 5;
        if (!more && !final)
            return failed;
        const std::string_view w = more ? text.substr(i, 4) : text.substr(i);
        if (more)
            ++n;
        const std::string_view next = more ? text.substr(i + 4, 4) : std::string_view();
        if (w == kFiller && n % 2 != 0 && more) {
            const auto nextValue = wordValue(next);
            if (nextValue && *nextValue >= kMarkBit) { // a mark longer than a filler
                --n;
                joined = true;
                i += 4;
                continue;
            }
            if (!final) { // a mark of exactly a filler's length
                appendMicroseconds(body, kFillerUnits / kUnitsPerUs - kStretchUs);
                i += 4;
                continue;
            }
        }
        if (w == kFiller || final)
            fillers.push_back(w);
        if (w == kFiller && more) {
            if (next == kFiller)
                --n;
            prev = kFiller;
            i += 4;
            continue;
        }
        if (final && fillers.size() == 2) {
            const auto carrier = carrierAndTag(fillers.first, fillers.second);
            if (!carrier)
                return failed;
            std::string header = std::to_string(gaps) + carrier->text;
            const std::size_t headerLength = header.size();
            return {std::move(header) + body, false, headerLength, carrier->khz};
        }
        if (prev == kFiller && fillers.size() >= kEndMarkerFillers && w != kFiller) {
            endMarkerPassed(w);
        } else if (prev == kFiller && !fillers.empty() && fillers.size() < kEndMarkerFillers &&
                   w != kFiller && !final) {
            const auto v = wordValue(w);
            if (!v)
                return failed;
            if (*v < kMarkBit) {
                if (!appendGap(w))
                    return failed;
                continue;
            }
        }
        if (!final && !appendDuration(w))
            return failed;
        prev = w;
        i += 4;
        joined = false;
    }
    return failed;
}

} // namespace

EncodeResult EncodeTimings(std::string_view cut) {
    Walk walk;
    walk.text = cut;
    return walk.run();
}

std::string converterInput(const EncodeResult& encoded) {
    constexpr std::size_t kHandedFrom = irform::timingtext::kBodyHandedFrom;
    constexpr std::size_t kWord = irform::timingtext::kWordDigits;
    if (encoded.failed || encoded.text.size() <= kHandedFrom)
        return {};
    const std::size_t extra =
        encoded.headerLength > kHandedFrom ? encoded.headerLength - kHandedFrom : 0;
    const std::size_t start = std::min(kHandedFrom + extra - extra % kWord, encoded.text.size());
    return encoded.text.substr(start);
}

} // namespace learning
