#include "common/hex_text.h"

#include <charconv>
#include <limits>

namespace hextext {
namespace {

constexpr char kDigits[] = "0123456789ABCDEF";

} // namespace

void appendHexText(std::string& out, uint32_t value, int digits) {
    // This runs once per duration of every capture: the common four-digit case
    // is written directly, anything longer from its last digit backwards.
    if (digits == 4 && value <= 0xFFFF) {
        const char text[4] = {kDigits[value >> 12], kDigits[(value >> 8) & 0xF],
                              kDigits[(value >> 4) & 0xF], kDigits[value & 0xF]};
        out.append(text, 4);
        return;
    }
    int needed = 1;
    for (uint32_t rest = value >> 4; rest != 0; rest >>= 4)
        ++needed;
    const std::size_t start = out.size();
    out.resize(start + static_cast<std::size_t>(needed < digits ? digits : needed), '0');
    for (std::size_t i = out.size(); value != 0; value >>= 4)
        out[--i] = kDigits[value & 0xF];
}

std::string hexText(uint32_t value, int digits) {
    std::string out;
    appendHexText(out, value, digits);
    return out;
}

std::string byteText(int value) {
    return hexText(static_cast<uint32_t>(value) & 0xFF, 2);
}

bool isHexDigits(std::string_view text) {
    for (char c : text)
        if (digitValue(c) < 0)
            return false;
    return true;
}

std::optional<uint32_t> parseHex(std::string_view digits) {
    if (digits.empty() || digits.size() > 8)
        return std::nullopt;
    uint32_t value = 0;
    for (char c : digits) {
        const int d = digitValue(c);
        if (d < 0)
            return std::nullopt;
        value = value * 16 + static_cast<uint32_t>(d);
    }
    return value;
}

std::optional<uint64_t> parseNumber(std::string_view text) {
    int base = 10;
    if (text.starts_with("0x") || text.starts_with("0X")) {
        text.remove_prefix(2);
        base = 16;
    }
    uint64_t value = 0;
    const char* end = text.data() + text.size();
    const auto result = std::from_chars(text.data(), end, value, base);
    if (text.empty() || result.ec != std::errc() || result.ptr != end)
        return std::nullopt;
    return value;
}

std::optional<uint32_t> parseNumber32(std::string_view text) {
    const auto value = parseNumber(text);
    if (!value || *value > std::numeric_limits<uint32_t>::max())
        return std::nullopt;
    return static_cast<uint32_t>(*value);
}

} // namespace hextext
