#pragma once
// The URC's 70 keys: code, layout name, label and place on the URC picture.
// Plain data shared by the key panel and the artwork generator.
#include <array>
#include <string_view>

namespace keypanel {

struct KeyDefinition {
    std::string_view code;   // two digits; read as hex it indexes the key pictures
    std::string_view button; // the component's name in the layout
    std::string_view path;   // group "/" name, as messages show it
    int left;
    int top;
    int width;
    int height;
};

inline constexpr int kKeyCount = 70;

// In code order. Positions are relative to the key panel's scroll box.
extern const std::array<KeyDefinition, kKeyCount> kKeyTable;

// Value of a key code read as a hexadecimal number; -1 when not two hex digits.
int keyCodeValue(std::string_view code);

// Picture slot bases of the four banks of the key picture table.
inline constexpr int kPlainBank = 1;
inline constexpr int kLearnedBank = 169;
inline constexpr int kChosenBank = 337;
inline constexpr int kPresetBank = 505; // keys in state "1"
inline constexpr int kBankSize = 168;

} // namespace keypanel
