#pragma once
// The URC's code form: what the conversion library makes of a signal and what
// the URC reads back when it sends a stored code. A key record holds "C0", a
// byte, the storage flag, then I (3 bytes), P and Q (8 bytes each).
//
// Built-in forms (no code storage on a URC whose code-identifier table
// lists them):
//   I  the protocol's number (kAllProtocols order, from 1) and "0000" for the
//      first six ("010000" nec ... "060000" sirc20), "0001" for the others
//      ("070001" rc6 ...), so that a URC without them stores the data D
//   P  protocol number (2 digits), device (4), command (4), carrier kHz (2),
//      frames a press sends (2: as many as were pressed), flags (2: "01" when
//      the press had its toggle bit set, else "00")
//   Q  bits a frame holds (2 digits), frame period (or gap) in 100 us (4),
//      ten zeros
//   D  a copy of P: one block, so that every converted text carries data
// Raw learned codes (kept in code storage):
//   I  24-bit digest of carrier and data, first byte 0x22 or more
//   P  carrier kHz (2 digits: 1 to 255 kHz, to the nearest kHz), block count
//      (2), duration count (4), "0000",
//      layout (2: "00" plain, "01" compact, see compact_raw.h), "00"
//   Q  64-bit digest of carrier and data (16 digits), checked on read back
//   D  plain: the durations, one 16-bit word each, most significant byte first: below
//      0x8000 microseconds, else 0x8000 | tens of microseconds; padded with
//      zero words to whole 8-byte blocks, at most 255 blocks
// All digits upper case.
#include "irform/protocols.h"
#include "irform/signal.h"

#include <optional>
#include <string>
#include <string_view>

namespace irform {

struct CodeForm {
    std::string id; // I
    std::string p;
    std::string q;
    std::string data; // D
};

inline constexpr std::size_t kBlockDigits = 16;
inline constexpr std::size_t kMaxBlocks = 255;
inline constexpr std::size_t kMaxRawDurations = kMaxBlocks * 4;
// The longest duration a duration word holds (0x8000 | 0x7FFF tens of us).
inline constexpr uint32_t kLongestStoredDurationUs = 0x7FFF * 10;

inline constexpr int kFirstFormsWithoutStorage = 6;
// What the two digits of a raw code's carrier and of a form's frame count hold.
inline constexpr int kMaxRawCarrierKhz = 255;
inline constexpr int kMaxPressFrames = 255;

std::string builtinId(Protocol protocol);
// The form an identifier names (in any case); nullopt for any other, such as
// a raw code's.
std::optional<Protocol> protocolOfBuiltinId(std::string_view id);
// A code as the form table renders a press of it.
CodeForm toCodeForm(const Decoded& decoded);
// A press as it was read: its frames and toggle bit are sent again.
CodeForm toCodeForm(const Press& press);
// A recognised protocol (among the forms near the signal's carrier) gives its
// built-in form, anything else a raw form at the signal's carrier; nullopt for
// a signal without marks, too long for 255 blocks, at a carrier outside 1 to
// 255 kHz, or with a duration longer than kLongestStoredDurationUs (never
// stored cut short).
std::optional<CodeForm> toCodeForm(const Signal& signal);
std::optional<CodeForm> rawCodeForm(const Signal& signal);
// For a signal whose carrier was not measured (a timing body without its
// carrier): every form is tried, and a raw code gets the carrier its shape
// suggests (56 kHz for an RCA-like leader, 36 kHz for biphase half bits of 444
// or 889 us), else the signal's own.
std::optional<CodeForm> toCodeFormGuessingCarrier(Signal signal);

// "I::P:Q:::D".
std::string convertedText(const CodeForm& form);

// What the URC sends for a stored key record (44 digits) and the data of its
// code storage blocks (ignored for built-in forms): "nec 0x04 0x08" for a
// protocol, describeSignal's timings for a raw code. Empty when the record or
// the data cannot be read (wrong length, not hex, digest mismatch).
std::string describeStoredCode(std::string_view record, std::string_view storageData);

// "nec 0x04 0x08", "necx 0x1234 0x08"; lower-case digits, at least two.
std::string describeDecoded(const Decoded& decoded);
// "raw 38000 +9000 -4500 +560 ...": carrier in Hz, marks +, spaces -.
std::string describeSignal(const Signal& signal);
std::optional<Signal> parseRawDescription(std::string_view text);

} // namespace irform
