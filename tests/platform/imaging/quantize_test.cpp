// The GIF encoder's colour reduction: what comes back must be a valid GIF
// palette and index arrays, keep transparency exact, keep pictures that fit
// exact, and stay close to pictures that do not.
#include "platform/imaging/quantize.h"

#include <gtest/gtest.h>

#include <random>

namespace {

// The picture as the GIF decoder will show it, transparent slot as 0.
QImage rebuilt(const imaging::IndexedPictures& indexed, std::size_t which, QSize size) {
    QImage image(size, QImage::Format_ARGB32);
    for (int y = 0; y < size.height(); ++y)
        for (int x = 0; x < size.width(); ++x) {
            const int index = indexed.indices[which][y * size.width() + x];
            image.setPixel(x, y, index == indexed.transparentIndex ? 0u : indexed.palette[index]);
        }
    return image;
}

QImage noise(int side, bool withHoles) {
    QImage image(side, side, QImage::Format_ARGB32);
    std::mt19937 random(7);
    for (int y = 0; y < side; ++y)
        for (int x = 0; x < side; ++x)
            image.setPixel(x, y,
                           withHoles && (x + y) % 5 == 0 ? random() & 0x7fffffffu // alpha < 128
                                                         : random() | 0xff000000u);
    return image;
}

TEST(Quantize, PaletteFitsTheLimitAndEveryIndexIsValid) {
    struct Row {
        int asked;
        unsigned limit;
        bool holes;
    } const rows[] = {{256, 256, true}, {256, 256, false}, {16, 16, true}, {2, 2, true},
                      {2, 2, false},    {1000, 256, true}, {-5, 2, false}};
    for (const Row& row : rows) {
        const QImage picture = noise(48, row.holes);
        const imaging::IndexedPictures indexed =
            imaging::quantize(std::span(&picture, 1), row.asked);
        const std::string name = "asked " + std::to_string(row.asked);
        ASSERT_EQ(indexed.indices.size(), 1u) << name;
        ASSERT_EQ(indexed.indices[0].size(), 48u * 48u) << name;
        EXPECT_LE(indexed.palette.size(), row.limit) << name;
        EXPECT_EQ(indexed.transparentIndex >= 0, row.holes) << name;
        for (std::uint8_t index : indexed.indices[0])
            ASSERT_LT(index, indexed.palette.size()) << name;
    }
}

TEST(Quantize, TransparencyIsExactEvenWithFewColours) {
    for (int colours : {2, 4, 256}) {
        const QImage picture = noise(40, true);
        const imaging::IndexedPictures indexed = imaging::quantize(std::span(&picture, 1), colours);
        ASSERT_GE(indexed.transparentIndex, 0) << colours;
        for (int y = 0; y < 40; ++y)
            for (int x = 0; x < 40; ++x) {
                const bool transparent = qAlpha(picture.pixel(x, y)) < 128;
                EXPECT_EQ(indexed.indices[0][y * 40 + x] == indexed.transparentIndex, transparent)
                    << colours << " colours, pixel " << x << "," << y;
            }
    }
}

TEST(Quantize, AlphaIsCutAtHalf) {
    QImage picture(3, 1, QImage::Format_ARGB32);
    picture.setPixel(0, 0, qRgba(200, 10, 40, 127));
    picture.setPixel(1, 0, qRgba(200, 10, 40, 128));
    picture.setPixel(2, 0, qRgba(5, 90, 250, 255));
    const imaging::IndexedPictures indexed = imaging::quantize(std::span(&picture, 1));
    const QImage shown = rebuilt(indexed, 0, picture.size());
    EXPECT_EQ(shown.pixel(0, 0), 0u);
    EXPECT_EQ(shown.pixel(1, 0), qRgb(200, 10, 40));
    EXPECT_EQ(shown.pixel(2, 0), qRgb(5, 90, 250));
}

// Pictures with no more colours than the palette holds come back unchanged.
TEST(Quantize, PicturesThatFitRoundTripExactly) {
    QImage flat(20, 10, QImage::Format_RGB32);
    flat.fill(qRgb(53, 124, 168));
    QImage full(16, 16, QImage::Format_ARGB32);          // 256 distinct opaque colours
    QImage fullWithHoles(16, 16, QImage::Format_ARGB32); // 255 colours and transparency
    for (int i = 0; i < 256; ++i) {
        const QRgb colour = qRgb(i, (i * 37) % 256, 255 - i);
        full.setPixel(i % 16, i / 16, colour);
        fullWithHoles.setPixel(i % 16, i / 16, i == 0 ? 0u : colour);
    }
    for (const QImage& picture : {flat, full, fullWithHoles}) {
        const imaging::IndexedPictures indexed = imaging::quantize(std::span(&picture, 1));
        const QImage shown = rebuilt(indexed, 0, picture.size());
        for (int y = 0; y < picture.height(); ++y)
            for (int x = 0; x < picture.width(); ++x) {
                const QRgb want = qAlpha(picture.pixel(x, y)) ? picture.pixel(x, y) : 0u;
                ASSERT_EQ(shown.pixel(x, y), want) << picture.width() << " pixel " << x << "," << y;
            }
    }
}

QImage ramp(int width, int height, QRgb (*colourAt)(int x, int y)) {
    QImage image(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            image.setPixel(x, y, colourAt(x, y));
    return image;
}

int channel(QRgb colour, int which) {
    return which == 0 ? qRed(colour) : which == 1 ? qGreen(colour) : qBlue(colour);
}

struct GradientError {
    int worstPixel = 0;   // per channel, of 255
    double meanPatch = 0; // of the colour averaged over 8 x 8 pixels, what the eye sees
};

GradientError measure(const QImage& original, const QImage& shown) {
    GradientError error;
    int patches = 0;
    for (int py = 0; py + 8 <= original.height(); py += 8)
        for (int px = 0; px + 8 <= original.width(); px += 8)
            for (int c = 0; c < 3; ++c, ++patches) {
                int sum = 0;
                for (int y = py; y < py + 8; ++y)
                    for (int x = px; x < px + 8; ++x) {
                        const int d =
                            channel(shown.pixel(x, y), c) - channel(original.pixel(x, y), c);
                        error.worstPixel = std::max(error.worstPixel, std::abs(d));
                        sum += d;
                    }
                error.meanPatch += std::abs(sum / 64.0);
            }
    error.meanPatch /= patches;
    return error;
}

// Gradients hold far more colours than the palette. Every pixel must stay
// within about one palette step of its colour, and a patch's average much
// closer: bands (pixels all rounded the same way over a stretch) break it.
TEST(Quantize, GradientsAreDitheredNotBanded) {
    struct Row {
        const char* name;
        QImage picture;
        int colours;
        int worstPixel;
        double meanPatch;
    } const rows[] = {
        {"rainbow", ramp(256, 64, [](int x, int y) { return qRgb(x, y * 4, 255 - x); }), 256, 28,
         1.2},
        {"grey in 16 steps", ramp(256, 32, [](int x, int) { return qRgb(x, x, x); }), 16, 18, 1.5},
        {"dark case shading",
         ramp(240, 32,
              [](int x, int) {
                  return qRgb(34 + x * 28 / 240, 37 + x * 30 / 240, 43 + x * 33 / 240);
              }),
         4, 10, 1.2},
    };
    for (const Row& row : rows) {
        const imaging::IndexedPictures indexed =
            imaging::quantize(std::span(&row.picture, 1), row.colours);
        const GradientError error = measure(row.picture, rebuilt(indexed, 0, row.picture.size()));
        EXPECT_LE(error.worstPixel, row.worstPixel) << row.name;
        EXPECT_LE(error.meanPatch, row.meanPatch) << row.name;
    }
}

TEST(Quantize, FramesShareOnePalette) {
    std::vector<QImage> frames;
    for (int f = 0; f < 3; ++f) {
        QImage frame(64, 16, QImage::Format_RGB32);
        for (int y = 0; y < 16; ++y)
            for (int x = 0; x < 64; ++x)
                frame.setPixel(x, y,
                               f == 0   ? qRgb(x * 4, 0, 0)
                               : f == 1 ? qRgb(0, x * 4, y * 16)
                                        : qRgb(255, 255, 255));
        frames.push_back(frame);
    }
    const imaging::IndexedPictures indexed = imaging::quantize(frames, 64);
    ASSERT_EQ(indexed.indices.size(), 3u);
    EXPECT_LE(indexed.palette.size(), 64u);
    // Indices read through another frame's palette would be far off.
    for (std::size_t f = 0; f < 3; ++f) {
        const GradientError error = measure(frames[f], rebuilt(indexed, f, frames[f].size()));
        EXPECT_LE(error.worstPixel, 64) << "frame " << f;
        EXPECT_LE(error.meanPatch, 2.0) << "frame " << f;
    }
    EXPECT_EQ(rebuilt(indexed, 2, frames[2].size()).pixel(5, 5), qRgb(255, 255, 255));
}

TEST(Quantize, EmptyAndMismatchedInput) {
    const imaging::IndexedPictures none = imaging::quantize({});
    EXPECT_EQ(none.palette.size(), 1u); // still a valid GIF palette
    EXPECT_TRUE(none.indices.empty());

    const QImage empty;
    const imaging::IndexedPictures nothing = imaging::quantize(std::span(&empty, 1));
    ASSERT_EQ(nothing.indices.size(), 1u);
    EXPECT_TRUE(nothing.indices[0].empty());
    EXPECT_EQ(nothing.transparentIndex, -1);

    const std::vector<QImage> mismatched{noise(8, false), noise(9, false)};
    const imaging::IndexedPictures refused = imaging::quantize(mismatched);
    EXPECT_TRUE(refused.palette.empty());
    EXPECT_TRUE(refused.indices.empty());
}

} // namespace
