#pragma once
// A 5x7 pixel font for the PNG plot's title and axis: digits, upper-case
// letters (lower case drawn as upper case) and the signs a title uses.
#include <array>
#include <cstdint>

namespace urctool {

inline constexpr int kGlyphRows = 7;
inline constexpr int kGlyphColumns = 5;
using Glyph = std::array<uint8_t, kGlyphRows>; // a row's bit 4 is its left pixel

// The glyph of a character; "?" for one the font lacks.
const Glyph& glyph(char c);

} // namespace urctool
