#pragma once
// The URC as it leaves the factory: identity and layout blocks, header, key-code
// list, key records (a few keys preloaded with built-in codes), code-identifier
// table, an empty allocation area and an empty code storage.
#include "urcmem/urc_memory.h"

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace urcmem {

// Where the factory image puts things. Pointers are stored with both
// translation cases: some as address + P, some as address - H.
namespace factory {
inline constexpr int kHeaderAddress = 0x1000;      // H
inline constexpr int kPointerBase = 0x8000;        // P
inline constexpr int kKeyTableAddress = 0x1200;    // stored as 0x9200 (v >= P)
inline constexpr int kCodeIdTableAddress = 0x1900; // stored as 0x0900 (v < P)
inline constexpr int kAllocAreaAddress = 0x1D00;   // stored as 0x9D00 (v >= P)
inline constexpr int kStorageAddress = 0x2000;     // stored as 0x1000 (v < P)
inline constexpr int kAllocRecordCount = 64;       // E
inline constexpr int kStorageBlockCount = 512;
inline constexpr uint8_t kWriteSelector = 0xA5;
inline constexpr int kMaxKeys = (kCodeIdTableAddress - kKeyTableAddress) / 22;
} // namespace factory

// The running traits of a URC model: its firmware and type bytes (memory) and
// its version text (not memory).
struct Profile {
    std::string_view name;
    uint8_t firmwareMajor;
    uint8_t firmwareMinor;
    std::array<uint8_t, 2> typeCode;
    std::string_view versionText;
};

// nullptr for an unknown name.
const Profile* findProfile(std::string_view name);
const Profile& defaultProfile(); // "good"
std::vector<std::string_view> profileNames();

// A key holding a code that was not learned (state "1"): flags 0x80, storage
// flag 0x00, a built-in identifier and the 16 bytes that follow it. The image
// only places these bytes; what they mean is the code form's business, so the
// caller that knows the form supplies them.
struct PresetCode {
    uint8_t keyCode;
    uint32_t identifier;
    std::array<uint8_t, 16> parameters;
};

inline constexpr std::array<uint8_t, 15> kDefaultIdentity = {
    0x51, 0x5A, 0x54, 0x36, 0x31, 0x37, 0x00, 0x01, 0x20, 0x24, 0x06, 0x17, 0x00, 0x2A, 0x5C};

// The identifiers of the code-identifier table, built-in protocols first.
std::vector<uint32_t> factoryCodeIdentifiers();

struct FactoryOptions {
    std::vector<uint8_t> keyCodes;    // in the URC's order; at most factory::kMaxKeys
    const Profile* profile = nullptr; // nullptr: the default profile
    std::array<uint8_t, 15> identity = kDefaultIdentity;
    std::vector<PresetCode> presets; // keys missing from keyCodes are skipped
};

// Throws std::invalid_argument when there are more keys than the table holds.
Memory makeFactoryImage(const FactoryOptions& options);

} // namespace urcmem
