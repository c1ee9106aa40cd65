#include "hex_text.h"

namespace device {

std::string addressText(int address) {
    return hexText(static_cast<uint32_t>(address) & 0xFFFF, 4);
}

AddressHalves splitAddress(int address) {
    const std::string text = addressText(address);
    return {text.substr(0, 2), text.substr(2, 2)};
}

std::optional<int> byteAt(std::string_view hex, std::size_t offset) {
    if (hex.size() < 2 * offset + 2)
        return std::nullopt;
    const auto v = parseHex(hex.substr(2 * offset, 2));
    if (!v)
        return std::nullopt;
    return static_cast<int>(*v);
}

std::optional<int> wordAt(std::string_view hex, std::size_t offset) {
    const auto low = byteAt(hex, offset);
    const auto high = byteAt(hex, offset + 1);
    if (!low || !high)
        return std::nullopt;
    return *high * 256 + *low;
}

std::string HexToBits(std::string_view hex) {
    std::string bits;
    bits.reserve(hex.size() * 4);
    for (char c : hex) {
        const int d = hextext::digitValue(c);
        for (int bit = 3; bit >= 0; --bit)
            bits.push_back(d >= 0 && ((d >> bit) & 1) ? '1' : '0');
    }
    return bits;
}

void MarkBlocks(std::string& blockMap, std::size_t first, std::size_t count) {
    if (blockMap.size() < first)
        blockMap.resize(first, '0');
    const std::size_t end = first + count;
    const std::string tail = end < blockMap.size() ? blockMap.substr(end) : std::string();
    blockMap.resize(first);
    blockMap.append(count, '1');
    blockMap += tail;
}

std::string BitsToHex(std::string_view bits) {
    std::string hex;
    hex.reserve(bits.size() / 4 + 2);
    for (std::size_t i = 0; i < bits.size(); i += 8) {
        int value = 0;
        for (std::size_t j = 0; j < 8; ++j)
            value = value * 2 + (i + j < bits.size() && bits[i + j] == '1' ? 1 : 0);
        hex += byteText(value);
    }
    return hex;
}

} // namespace device
