#pragma once
// Reduction of true-colour pictures to one shared palette of at most 256
// entries, for the GIF encoder. libimagequant chooses the palette and maps
// the pixels, with its edge-aware dithering: gradients stay smooth where a
// plain median cut bands, and text edges stay clean.
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

// Pixels with alpha below 128 map to the transparent slot, all others to
// opaque colours. Pictures with no more distinct colours than fit are
// reproduced exactly. maxColours is held to 2..256. The palette comes back
// empty only when libimagequant cannot work (out of memory): nothing to
// encode then.
IndexedPictures quantize(std::span<const QImage> pictures, int maxColours = 256);

} // namespace imaging
