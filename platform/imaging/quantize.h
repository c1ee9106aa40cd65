#pragma once
// Reduction of true-colour pictures to one shared palette of at most 256
// entries (median cut over the colour histogram), for the GIF encoder.
#include <QImage>
#include <cstdint>
#include <span>
#include <vector>

namespace imaging {

struct IndexedPictures {
    std::vector<QRgb> palette;                      // opaque colours
    int transparentIndex = -1;                      // palette slot for transparency, or -1
    std::vector<std::vector<std::uint8_t>> indices; // one row-major index array per picture
};

// Pixels with alpha below 128 map to the transparent slot. Pictures with no
// more distinct colours than fit are reproduced exactly.
IndexedPictures quantize(std::span<const QImage> pictures, int maxColours = 256);

} // namespace imaging
