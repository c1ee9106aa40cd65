#include "platform/imaging/quantize.h"

#include <QHash>
#include <algorithm>
#include <array>

namespace imaging {
namespace {

struct ColourCount {
    QRgb colour; // opaque, alpha forced to 255
    std::uint64_t count;
};

// A run of the histogram that one palette entry will stand for.
struct Box {
    std::size_t begin;
    std::size_t end;
};

bool isTransparent(QRgb pixel) {
    return qAlpha(pixel) < 128;
}

int channel(QRgb c, int which) {
    return which == 0 ? qRed(c) : (which == 1 ? qGreen(c) : qBlue(c));
}

std::vector<QImage> asArgb(std::span<const QImage> pictures) {
    std::vector<QImage> converted;
    converted.reserve(pictures.size());
    for (const QImage& picture : pictures)
        converted.push_back(picture.convertToFormat(QImage::Format_ARGB32));
    return converted;
}

std::vector<ColourCount> histogram(const std::vector<QImage>& pictures, bool& anyTransparent) {
    QHash<QRgb, std::uint64_t> counts;
    anyTransparent = false;
    for (const QImage& picture : pictures) {
        for (int y = 0; y < picture.height(); ++y) {
            const auto* row = reinterpret_cast<const QRgb*>(picture.constScanLine(y));
            for (int x = 0; x < picture.width(); ++x) {
                if (isTransparent(row[x]))
                    anyTransparent = true;
                else
                    ++counts[row[x] | 0xff000000u];
            }
        }
    }
    std::vector<ColourCount> result;
    result.reserve(counts.size());
    for (auto it = counts.cbegin(); it != counts.cend(); ++it)
        result.push_back({it.key(), it.value()});
    // A fixed order keeps the output identical from run to run.
    std::sort(result.begin(), result.end(),
              [](const ColourCount& a, const ColourCount& b) { return a.colour < b.colour; });
    return result;
}

// The channel with the widest spread inside the box, and that spread.
std::pair<int, int> widestChannel(const std::vector<ColourCount>& colours, const Box& box) {
    std::array<int, 3> low{255, 255, 255};
    std::array<int, 3> high{0, 0, 0};
    for (std::size_t i = box.begin; i < box.end; ++i) {
        for (int c = 0; c < 3; ++c) {
            low[c] = std::min(low[c], channel(colours[i].colour, c));
            high[c] = std::max(high[c], channel(colours[i].colour, c));
        }
    }
    int best = 0;
    for (int c = 1; c < 3; ++c)
        if (high[c] - low[c] > high[best] - low[best])
            best = c;
    return {best, high[best] - low[best]};
}

// Splits the box with the widest spread at its pixel-weighted median until
// there are enough boxes or none can be split.
std::vector<Box> medianCut(std::vector<ColourCount>& colours, int boxCount) {
    std::vector<Box> boxes{{0, colours.size()}};
    while (static_cast<int>(boxes.size()) < boxCount) {
        int chosen = -1;
        int chosenSpread = 0;
        int chosenChannel = 0;
        for (std::size_t b = 0; b < boxes.size(); ++b) {
            if (boxes[b].end - boxes[b].begin < 2)
                continue;
            auto [which, spread] = widestChannel(colours, boxes[b]);
            if (chosen < 0 || spread > chosenSpread) {
                chosen = static_cast<int>(b);
                chosenSpread = spread;
                chosenChannel = which;
            }
        }
        if (chosen < 0)
            break;
        Box box = boxes[chosen];
        std::sort(colours.begin() + box.begin, colours.begin() + box.end,
                  [chosenChannel](const ColourCount& a, const ColourCount& b) {
                      return channel(a.colour, chosenChannel) < channel(b.colour, chosenChannel);
                  });
        std::uint64_t total = 0;
        for (std::size_t i = box.begin; i < box.end; ++i)
            total += colours[i].count;
        std::uint64_t seen = 0;
        std::size_t split = box.begin + 1;
        for (std::size_t i = box.begin; i + 1 < box.end; ++i) {
            seen += colours[i].count;
            split = i + 1;
            if (seen * 2 >= total)
                break;
        }
        boxes[chosen] = {box.begin, split};
        boxes.push_back({split, box.end});
    }
    return boxes;
}

QRgb averageColour(const std::vector<ColourCount>& colours, const Box& box) {
    std::uint64_t r = 0, g = 0, b = 0, n = 0;
    for (std::size_t i = box.begin; i < box.end; ++i) {
        r += qRed(colours[i].colour) * colours[i].count;
        g += qGreen(colours[i].colour) * colours[i].count;
        b += qBlue(colours[i].colour) * colours[i].count;
        n += colours[i].count;
    }
    return qRgb(static_cast<int>((r + n / 2) / n), static_cast<int>((g + n / 2) / n),
                static_cast<int>((b + n / 2) / n));
}

int nearestEntry(const std::vector<QRgb>& palette, QRgb colour) {
    int best = 0;
    long long bestDistance = -1;
    for (std::size_t i = 0; i < palette.size(); ++i) {
        const long long dr = qRed(palette[i]) - qRed(colour);
        const long long dg = qGreen(palette[i]) - qGreen(colour);
        const long long db = qBlue(palette[i]) - qBlue(colour);
        const long long distance = 2 * dr * dr + 4 * dg * dg + 3 * db * db;
        if (bestDistance < 0 || distance < bestDistance) {
            bestDistance = distance;
            best = static_cast<int>(i);
        }
    }
    return best;
}

} // namespace

IndexedPictures quantize(std::span<const QImage> pictures, int maxColours) {
    IndexedPictures result;
    maxColours = std::clamp(maxColours, 2, 256);
    const std::vector<QImage> argb = asArgb(pictures);
    bool anyTransparent = false;
    std::vector<ColourCount> colours = histogram(argb, anyTransparent);
    const int opaqueSlots = anyTransparent ? maxColours - 1 : maxColours;

    QHash<QRgb, int> lookup; // every histogram colour -> palette index
    if (static_cast<int>(colours.size()) <= opaqueSlots) {
        for (const ColourCount& c : colours) {
            lookup.insert(c.colour, static_cast<int>(result.palette.size()));
            result.palette.push_back(c.colour);
        }
    } else {
        for (const Box& box : medianCut(colours, opaqueSlots))
            result.palette.push_back(averageColour(colours, box));
        for (const ColourCount& c : colours)
            lookup.insert(c.colour, nearestEntry(result.palette, c.colour));
    }
    if (anyTransparent) {
        result.transparentIndex = static_cast<int>(result.palette.size());
        result.palette.push_back(qRgb(0, 0, 0));
    }
    if (result.palette.empty())
        result.palette.push_back(qRgb(0, 0, 0)); // only empty pictures

    for (const QImage& picture : argb) {
        std::vector<std::uint8_t> indices;
        indices.reserve(static_cast<std::size_t>(picture.width()) * picture.height());
        for (int y = 0; y < picture.height(); ++y) {
            const auto* row = reinterpret_cast<const QRgb*>(picture.constScanLine(y));
            for (int x = 0; x < picture.width(); ++x) {
                const int index = isTransparent(row[x]) ? result.transparentIndex
                                                        : lookup.value(row[x] | 0xff000000u);
                indices.push_back(static_cast<std::uint8_t>(index));
            }
        }
        result.indices.push_back(std::move(indices));
    }
    return result;
}

} // namespace imaging
