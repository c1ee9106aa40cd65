#pragma once
// The capture text: what the URC's receiver delivers of a pressed key and
// what the learning side cuts and encodes. Words of four upper-case hex
// digits in units of 1/3 microsecond: a word with the mark bit set is a mark
// of its low 15 bits, a smaller one a space; the filler (the largest space
// word) lengthens the word after it; the end marker is a run of fillers, and
// two carrier words follow it. The buffer holding it has a fixed size.
//
// The URC's rendering and the learning side both take their facts from here,
// so the two ends of the format cannot drift apart.
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace irform::capturetext {

inline constexpr std::size_t kWordDigits = 4;
inline constexpr uint32_t kUnitsPerUs = 3;
inline constexpr uint32_t kMarkBit = 0x8000;
inline constexpr uint32_t kFillerUnits = 0x7FFF;
inline constexpr std::string_view kFiller = "7FFF";
inline constexpr std::size_t kEndMarkerFillers = 20;
inline constexpr std::size_t kCarrierWords = 2;
// The end marker and the carrier words after it.
inline constexpr std::size_t kTailDigits = (kEndMarkerFillers + kCarrierWords) * kWordDigits;
// The URC's capture buffer: the capture text never grows past it.
inline constexpr std::size_t kCaptureCapacity = 10240;

static_assert(kFiller.size() == kWordDigits);
static_assert(kFillerUnits == kMarkBit - 1, "the filler is the largest space word");

} // namespace irform::capturetext
