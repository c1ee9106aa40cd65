#pragma once
// The URC's 64 KiB memory as a value: address 0 first, bytes and little-endian
// words. Accesses outside the 16-bit address space throw std::out_of_range, so a
// bad pointer read from an image can never touch memory outside the array.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace urcmem {

inline constexpr std::size_t kMemorySize = 65536;

class Memory {
public:
    Memory() : bytes_(kMemorySize, 0) {}

    // True when [address, address + length) lies inside the address space.
    static bool inRange(long long address, long long length) {
        return address >= 0 && length >= 0 &&
               address + length <= static_cast<long long>(kMemorySize);
    }

    uint8_t byte(std::size_t address) const;
    // Two bytes, least significant first.
    int word(std::size_t address) const;
    void setByte(std::size_t address, uint8_t value);
    void setWord(std::size_t address, int value);

    std::vector<uint8_t> read(std::size_t address, std::size_t length) const;
    void write(std::size_t address, std::span<const uint8_t> data);

    std::span<const uint8_t> all() const { return bytes_; }
    std::span<uint8_t> all() { return bytes_; }

    bool operator==(const Memory&) const = default;

private:
    void requireRange(std::size_t address, std::size_t length) const;
    std::vector<uint8_t> bytes_;
};

// Bytes as upper-case hexadecimal text, two digits per byte.
std::string toHex(std::span<const uint8_t> bytes);
// The bytes of an even-length text of hexadecimal digits (either case);
// nullopt for an odd length or any other character.
std::optional<std::vector<uint8_t>> parseHexBytes(std::string_view text);

} // namespace urcmem
