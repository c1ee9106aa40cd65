#pragma once
// The timing text: what the learning side makes of a capture and what the
// conversion library reads back. In this order: the count of gap groups
// (decimal), the carrier (hex digits, "00" when not measured), the tag ("12",
// "00" when not measured), then the body. The body is durations in
// microseconds of four upper-case hexadecimal digits, alternating mark and
// space from a mark; a duration below zero is its 32-bit two's complement
// (eight digits, "FFFF" first). A gap group is kGapStart, four digits of
// milliseconds and kEnd; a lone kEnd ends the body.
//
// The encoder and the reader both take their facts from here, so the two ends
// of the format cannot drift apart.
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace irform::timingtext {

inline constexpr std::size_t kWordDigits = 4;
inline constexpr std::string_view kGapStart = "FEFE";
inline constexpr std::string_view kEnd = "EDED";
// gap start, milliseconds, end
inline constexpr std::size_t kGapGroupDigits = 3 * kWordDigits;
// The milliseconds of the gap group written before the end when no gap came
// earlier in the capture.
inline constexpr uint32_t kLoneEndGapMs = 0x14;
// A negative duration's first word; the duration then takes two words.
inline constexpr std::string_view kNegativeWord = "FFFF";

// The receiver lengthens every mark (and shortens the space after it) by
// this much; the encoder takes it off marks and gives it back to spaces.
inline constexpr uint32_t kStretchUs = 58;

// The tag after a measured carrier, and the carrier and tag of an unmeasured
// one.
inline constexpr std::string_view kTag = "12";
inline constexpr std::string_view kUnmeasuredCarrierAndTag = "0000";

// The conversion library is handed the text from this character (0-based)
// on, whatever the lengths of the count and the carrier; the body's whole
// four-digit words let the reader skip what a longer header leaves before it.
inline constexpr std::size_t kBodyHandedFrom = 5;

// Characters before a whole number of body words: the one to three that a
// longer count or carrier leaves at the front of the handed text.
constexpr std::size_t leadingExtra(std::size_t handedLength) {
    return handedLength % kWordDigits;
}

static_assert(kGapStart.size() == kWordDigits && kEnd.size() == kWordDigits);
static_assert(kUnmeasuredCarrierAndTag.size() == 2 + kTag.size());

} // namespace irform::timingtext
