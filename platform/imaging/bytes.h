#pragma once
// Encoded picture data as the codecs take it, and the bounds every decoder
// enforces so that hostile input cannot make it allocate without limit.
#include <QByteArray>
#include <cstddef>
#include <cstdint>
#include <span>

namespace imaging {

using Bytes = std::span<const std::uint8_t>;

inline Bytes bytesOf(const QByteArray& data) {
    return {reinterpret_cast<const std::uint8_t*>(data.constData()),
            static_cast<std::size_t>(data.size())};
}

// Largest encoded input accepted at all.
inline constexpr std::size_t kMaxInputBytes = 64u * 1024u * 1024u;
// Largest width or height of a decoded picture.
inline constexpr int kMaxDimension = 16384;
// Largest number of pixels of one decoded picture (64 MiB as 32-bit pixels).
inline constexpr long long kMaxPixels = 16LL * 1024 * 1024;
// Largest number of frames, and of pixels over all frames, of an animation.
inline constexpr int kMaxFrames = 2000;
inline constexpr long long kMaxAnimationPixels = 64LL * 1024 * 1024;

inline bool sizeIsAcceptable(long long width, long long height) {
    return width > 0 && height > 0 && width <= kMaxDimension && height <= kMaxDimension &&
           width * height <= kMaxPixels;
}

} // namespace imaging
