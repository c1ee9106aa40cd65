#pragma once
// What the URC captures when a remote's key is pressed in front of it: the hex
// capture text, words of four upper-case digits.
//  - time unit 1/3 us; a mark is 0x8000 | length, a space a word below 0x8000;
//  - the receiver stretches every mark by 58 us (and shortens the following
//    space by as much); the timing encoder takes those 58 us off again, so a
//    rendered signal encodes back to its own microseconds;
//  - a mark longer than 32767 units is "7FFF" and a mark word with the rest;
//    one longer than that continues after a space word "0000" in pieces of
//    kLongMarkPieceUnits (a multiple of 3, so no microsecond is lost), which
//    parseTimingBody joins again;
//  - a space of 32767 units or more is that many "7FFF" fillers and a word
//    with the remainder;
//  - the signal's final space becomes the end marker (20 fillers), and so does
//    any space long enough to hold 20 fillers: the URC stops capturing there;
//  - two carrier words follow: bytes a b and c 00 with a + b + c = s, where
//    the carrier in kHz is Trunc(9000 / s).
#include "irform/capture_text.h"
#include "irform/signal.h"
#include "irform/timing_text.h"

#include <optional>
#include <string>
#include <string_view>

namespace irform {

inline constexpr uint32_t kUnitsPerUs = capturetext::kUnitsPerUs;
// The stretch the timing encoder takes off again.
inline constexpr uint32_t kReceiverStretchUs = timingtext::kStretchUs;
inline constexpr uint32_t kFillerUnits = capturetext::kFillerUnits;
inline constexpr int kEndMarkerFillers = static_cast<int>(capturetext::kEndMarkerFillers);
inline constexpr uint32_t kLongMarkPieceUnits = 2 * kFillerUnits - 2;
inline constexpr std::size_t kCaptureCapacity = capturetext::kCaptureCapacity;

// The capture text without the zero bytes that fill the rest of the buffer.
// A signal too long for the buffer is cut after its last whole mark that
// leaves room for the end marker and the carrier words.
std::string renderCapture(const Signal& signal);
// The characters of the signal's whole capture (end marker and carrier words
// included) as if the buffer had no end: more than kCaptureCapacity means
// renderCapture cuts it. A space long enough to end the capture ends it here too.
std::size_t captureLength(const Signal& signal);

// The two carrier words for a carrier frequency (12 kHz to 94 kHz exact;
// outside that range, the nearest that three bytes can express).
std::string carrierWords(int carrierHz);

// How a real infrared receiver distorts what it sees, beyond the fixed
// stretch above (which the timing encoder takes off again): its delay
// lengthens every mark and shortens every space by delayUs, and every
// duration is off by a random amount of up to jitterPercent (the same seed
// gives the same distortion).
struct ReceiverModel {
    uint32_t delayUs = 0;
    double jitterPercent = 0;
    uint32_t seed = 0;
};
inline constexpr ReceiverModel kExactReceiver{};
// A typical demodulating receiver: 40 us delay, 3 % jitter.
inline constexpr ReceiverModel kTypicalReceiver{40, 3.0, 1};

// The signal as the receiver passes it on; no duration drops below 1 us.
Signal asReceived(const Signal& signal, const ReceiverModel& model);

// The capture of one key press of a protocol remote (names as protocolName);
// nullopt for an unknown protocol or a device/command out of range.
std::optional<std::string> pressCapture(std::string_view protocolName, uint32_t device,
                                        uint32_t command,
                                        const ReceiverModel& receiver = kExactReceiver);

} // namespace irform
