#pragma once
// Hexadecimal text: numbers written as upper-case hexadecimal digits and read
// back, the way the URC's data, addresses and code forms travel.
#include <array>
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

namespace detail {
constexpr std::array<int8_t, 256> digitValues() {
    std::array<int8_t, 256> table{};
    table.fill(-1);
    for (int i = 0; i < 10; ++i)
        table['0' + i] = static_cast<int8_t>(i);
    for (int i = 0; i < 6; ++i) {
        table['A' + i] = static_cast<int8_t>(10 + i);
        table['a' + i] = static_cast<int8_t>(10 + i);
    }
    return table;
}
inline constexpr std::array<int8_t, 256> kDigitValues = digitValues();
constexpr char upperAscii(char c) {
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}
} // namespace detail

// The value of one hexadecimal digit (either case), -1 for any other character.
// Inline and through a table: the conversion library reads every digit of a
// capture's timing body with it.
inline int digitValue(char c) {
    return detail::kDigitValues[static_cast<unsigned char>(c)];
}
// Value of a run of at most eight hexadecimal digits, nullopt when empty or
// not hex.
std::optional<uint32_t> parseHex(std::string_view digits);
bool isHexDigits(std::string_view text);

// A number written in decimal, or in hexadecimal after "0x" (as command lines
// take them); nullopt for anything else or a value past 64 (32) bits.
std::optional<uint64_t> parseNumber(std::string_view text);
std::optional<uint32_t> parseNumber32(std::string_view text);

// ASCII letters only, without the locale: the texts compared are hex words.
inline bool equalsIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (detail::upperAscii(a[i]) != detail::upperAscii(b[i]))
            return false;
    return true;
}

} // namespace hextext
