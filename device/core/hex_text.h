#pragma once
// The URC's data travels as text: two hexadecimal digits per byte, in address
// order; a word is two bytes, least significant first. These helpers read and
// write that text. Offsets are in bytes from the start of the text. The plain
// number-to-text helpers are shared with the device side (common/hex_text.h)
// and used here under their device:: names.
#include "common/hex_text.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace device {

using hextext::appendHexText;
using hextext::byteText;
using hextext::equalsIgnoringCase;
using hextext::hexText;
using hextext::isHexDigits;
using hextext::parseHex;

// An address as four upper-case hexadecimal digits ("B03C").
std::string addressText(int address);
// The two halves of addressText, as the library takes them.
struct AddressHalves {
    std::string high;
    std::string low;
};
AddressHalves splitAddress(int address);

// The byte or little-endian word at a byte offset of a hex text; nullopt when
// the text is too short or the digits are not hexadecimal.
std::optional<int> byteAt(std::string_view hex, std::size_t offset);
std::optional<int> wordAt(std::string_view hex, std::size_t offset);

// "0"/"1" text, four characters per digit, most significant bit first. A
// character that is not a hexadecimal digit gives "0000".
std::string HexToBits(std::string_view hex);
// Marks blocks first .. first+count-1 as in use ("1"), keeping what follows;
// the text grows when the run passes its end (padding with "0" when first lies
// past the end).
void MarkBlocks(std::string& blockMap, std::size_t first, std::size_t count);
// Packs a "0"/"1" text eight flags a byte, first flag the most significant
// bit, each byte two upper-case digits; a short last byte is padded with 0.
std::string BitsToHex(std::string_view bits);

} // namespace device
