#include "platform/imaging/quantize.h"

#include <libimagequant.h>

#include <algorithm>
#include <limits>
#include <memory>

namespace imaging {
namespace {

struct LiqFree {
    void operator()(liq_attr* attr) const { liq_attr_destroy(attr); }
    void operator()(liq_image* image) const { liq_image_destroy(image); }
    void operator()(liq_result* result) const { liq_result_destroy(result); }
};
template <typename T> using LiqPtr = std::unique_ptr<T, LiqFree>;

constexpr int kAlphaOffset = 3; // in QImage::Format_RGBA8888: bytes R, G, B, A
constexpr liq_color kTransparent{0, 0, 0, 0};

// A GIF pixel is either fully transparent or opaque. Deciding that before
// libimagequant sees the pixels keeps it from spending palette entries on
// partial transparency, and gives every transparent pixel the same colour.
QImage withTwoLevelAlpha(const QImage& picture, bool& anyTransparent) {
    QImage rgba = picture.convertToFormat(QImage::Format_RGBA8888);
    for (int y = 0; y < rgba.height(); ++y) {
        std::uint8_t* pixel = rgba.scanLine(y);
        for (int x = 0; x < rgba.width(); ++x, pixel += 4) {
            if (pixel[kAlphaOffset] < 128) {
                std::fill(pixel, pixel + 4, 0);
                anyTransparent = true;
            } else {
                pixel[kAlphaOffset] = 255;
            }
        }
    }
    return rgba;
}

bool sameSize(std::span<const QImage> pictures) {
    return std::all_of(pictures.begin(), pictures.end(), [&](const QImage& picture) {
        return picture.size() == pictures.front().size();
    });
}

// The pictures stacked into one tall image, each keeping its own rows.
// libimagequant refines its palette while it remaps a picture, so pictures
// remapped one by one would each end on a slightly different palette; one
// remap of the stack leaves a single palette every picture's indices mean.
struct Stack {
    std::vector<QImage> rgba;
    std::vector<void*> rows;
    bool anyTransparent = false;
};

Stack stack(std::span<const QImage> pictures) {
    Stack result;
    for (const QImage& picture : pictures) {
        result.rgba.push_back(withTwoLevelAlpha(picture, result.anyTransparent));
        for (int y = 0; y < result.rgba.back().height(); ++y)
            result.rows.push_back(result.rgba.back().scanLine(y));
    }
    return result;
}

// The palette as the encoder wants it: opaque colours, and the transparent
// entry (if any) remembered by its slot and painted black.
void takePalette(const liq_palette& palette, IndexedPictures& result) {
    for (unsigned i = 0; i < palette.count; ++i) {
        const liq_color& c = palette.entries[i];
        if (c.a < 128 && result.transparentIndex < 0)
            result.transparentIndex = static_cast<int>(i);
        result.palette.push_back(c.a < 128 ? qRgb(0, 0, 0) : qRgb(c.r, c.g, c.b));
    }
}

// Splits the stack's indices into one array per picture; a transparent
// source pixel always takes the transparent slot, whatever the dithering did.
void splitIndices(const Stack& source, const std::vector<std::uint8_t>& all,
                  IndexedPictures& result) {
    std::size_t at = 0;
    for (const QImage& rgba : source.rgba) {
        const std::size_t count = static_cast<std::size_t>(rgba.width()) * rgba.height();
        std::vector<std::uint8_t> indices(all.begin() + at, all.begin() + at + count);
        for (int y = 0; y < rgba.height(); ++y) {
            const std::uint8_t* pixel = rgba.constScanLine(y);
            for (int x = 0; x < rgba.width(); ++x, pixel += 4)
                if (pixel[kAlphaOffset] == 0)
                    indices[static_cast<std::size_t>(y) * rgba.width() + x] =
                        static_cast<std::uint8_t>(result.transparentIndex);
        }
        result.indices.push_back(std::move(indices));
        at += count;
    }
}

IndexedPictures onlyEmpty(std::size_t count) {
    IndexedPictures result;
    result.palette.push_back(qRgb(0, 0, 0)); // a GIF palette has at least one entry
    result.indices.resize(count);
    return result;
}

// Palette and indices for the stacked pictures, or nothing when
// libimagequant fails.
IndexedPictures reduce(Stack& source, int width, int maxColours) {
    const int height = static_cast<int>(source.rows.size());
    LiqPtr<liq_attr> attr(liq_attr_create());
    if (!attr || liq_set_max_colors(attr.get(), std::clamp(maxColours, 2, 256)) != LIQ_OK)
        return {};
    LiqPtr<liq_image> image(
        liq_image_create_rgba_rows(attr.get(), source.rows.data(), width, height, 0));
    // A fixed entry keeps the transparent slot out of the averaging of colours.
    if (!image ||
        (source.anyTransparent && liq_image_add_fixed_color(image.get(), kTransparent) != LIQ_OK))
        return {};
    liq_result* raw = nullptr;
    if (liq_image_quantize(image.get(), attr.get(), &raw) != LIQ_OK)
        return {};
    LiqPtr<liq_result> quantized(raw);
    // Full error diffusion (libimagequant leaves it off unless asked): it
    // keeps shadings smooth, and libimagequant holds it back at edges, so text
    // stays crisp. Pictures that fit the palette are unaffected.
    if (liq_set_dithering_level(quantized.get(), 1.0f) != LIQ_OK)
        return {};

    // Our own row pointers: the buffer variant keeps one per row on the stack.
    std::vector<std::uint8_t> all(static_cast<std::size_t>(width) * height);
    std::vector<unsigned char*> rows(static_cast<std::size_t>(height));
    for (int y = 0; y < height; ++y)
        rows[y] = all.data() + static_cast<std::size_t>(y) * width;
    if (liq_write_remapped_image_rows(quantized.get(), image.get(), rows.data()) != LIQ_OK)
        return {};
    IndexedPictures result;
    takePalette(*liq_get_palette(quantized.get()), result); // final only after the remap
    if (source.anyTransparent && result.transparentIndex < 0)
        return {};
    splitIndices(source, all, result);
    return result;
}

} // namespace

IndexedPictures quantize(std::span<const QImage> pictures, int maxColours) {
    if (!sameSize(pictures))
        return {};
    if (pictures.empty() || pictures.front().width() == 0 || pictures.front().height() == 0)
        return onlyEmpty(pictures.size());
    Stack source = stack(pictures);
    if (source.rows.size() > static_cast<std::size_t>(std::numeric_limits<int>::max()))
        return {}; // more rows than libimagequant counts
    return reduce(source, pictures.front().width(), maxColours);
}

} // namespace imaging
