#pragma once
// Hexadecimal text: numbers written as upper-case hexadecimal digits and read
// back, the way the URC's data, addresses and code forms travel.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace hextext {

// At least `digits` upper-case hexadecimal digits.
std::string hexText(uint32_t value, int digits);
// The same, appended to `out` without a temporary text.
void appendHexText(std::string& out, uint32_t value, int digits);
// A byte as two upper-case hexadecimal digits.
std::string byteText(int value);

// The value of one hexadecimal digit (either case), -1 for any other character.
int digitValue(char c);
// Value of a run of at most eight hexadecimal digits, nullopt when empty or
// not hex.
std::optional<uint32_t> parseHex(std::string_view digits);
bool isHexDigits(std::string_view text);

// A number written in decimal, or in hexadecimal after "0x" (as command lines
// take them); nullopt for anything else or a value past 64 (32) bits.
std::optional<uint64_t> parseNumber(std::string_view text);
std::optional<uint32_t> parseNumber32(std::string_view text);

bool equalsIgnoringCase(std::string_view a, std::string_view b);

} // namespace hextext
