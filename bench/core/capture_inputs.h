#pragma once
// Capture texts for measuring the cutting and encoding of captures: the forms
// the URC delivers (hex words, end marker, two carrier words, zero bytes up to
// the buffer's end), at chosen lengths so that growth with length shows.
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace bench {

inline constexpr std::size_t kCaptureBufferLength = 10240;
// Twenty fillers and the two carrier words that follow the last signal word.
inline constexpr std::size_t kMarkerAndCarrierLength = 88;

// The capture cut to at most `length` characters of data: signal words are
// dropped from the end until the rest fits, and the last word kept is a mark
// (as before any end marker), then the marker and carrier words follow.
// nullopt when the capture has no end marker with its carrier words, or when
// no mark fits.
std::optional<std::string> fitCapture(std::string_view capture, std::size_t length);

// Zero bytes up to the capture buffer's length, as the device hands it over.
// A longer text is returned unchanged.
std::string padToBuffer(std::string data);

// A capture of exactly `length` characters of data (rounded down to whole
// words, with an odd number of signal words) made of short marks and spaces
// only: the most words a buffer can hold. nullopt below the smallest capture.
std::optional<std::string> shortWordCapture(std::size_t length);

// A held key of a remote with its own timing: raw frames one after another,
// about 100 ms apart (gap groups in the capture), as long as the buffer takes,
// then fitted to `length`. The same length always gives the same text.
std::optional<std::string> heldKeyCapture(std::size_t length);

} // namespace bench
