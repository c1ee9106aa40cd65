#include "urcmem/urc_memory.h"

#include "common/hex_text.h"

#include <algorithm>
#include <stdexcept>

namespace urcmem {

void Memory::requireRange(std::size_t address, std::size_t length) const {
    if (address > kMemorySize || length > kMemorySize - address)
        throw std::out_of_range("URC memory access past 0xFFFF");
}

uint8_t Memory::byte(std::size_t address) const {
    requireRange(address, 1);
    return bytes_[address];
}

int Memory::word(std::size_t address) const {
    requireRange(address, 2);
    return bytes_[address] | (bytes_[address + 1] << 8);
}

void Memory::setByte(std::size_t address, uint8_t value) {
    requireRange(address, 1);
    bytes_[address] = value;
}

void Memory::setWord(std::size_t address, int value) {
    requireRange(address, 2);
    bytes_[address] = static_cast<uint8_t>(value & 0xFF);
    bytes_[address + 1] = static_cast<uint8_t>((value >> 8) & 0xFF);
}

std::vector<uint8_t> Memory::read(std::size_t address, std::size_t length) const {
    requireRange(address, length);
    return {bytes_.begin() + static_cast<long>(address),
            bytes_.begin() + static_cast<long>(address + length)};
}

void Memory::write(std::size_t address, std::span<const uint8_t> data) {
    requireRange(address, data.size());
    std::copy(data.begin(), data.end(), bytes_.begin() + static_cast<long>(address));
}

std::string toHex(std::span<const uint8_t> bytes) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    std::string text;
    text.reserve(bytes.size() * 2);
    for (uint8_t b : bytes) {
        text.push_back(kDigits[b >> 4]);
        text.push_back(kDigits[b & 0x0F]);
    }
    return text;
}

std::optional<std::vector<uint8_t>> parseHexBytes(std::string_view text) {
    if (text.size() % 2 != 0)
        return std::nullopt;
    std::vector<uint8_t> bytes;
    bytes.reserve(text.size() / 2);
    for (std::size_t i = 0; i < text.size(); i += 2) {
        int high = hextext::digitValue(text[i]);
        int low = hextext::digitValue(text[i + 1]);
        if (high < 0 || low < 0)
            return std::nullopt;
        bytes.push_back(static_cast<uint8_t>(high * 16 + low));
    }
    return bytes;
}

} // namespace urcmem
