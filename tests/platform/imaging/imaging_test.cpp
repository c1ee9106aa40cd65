#include "platform/imaging/gif_codec.h"
#include "platform/imaging/jpeg_codec.h"

#include <QPainter>
#include <gtest/gtest.h>

#include <random>

namespace {

QImage testPicture(int width, int height) {
    QImage image(width, height, QImage::Format_ARGB32);
    image.fill(qRgb(53, 124, 168));
    QPainter painter(&image);
    painter.fillRect(2, 2, width / 2, height / 2, QColor(220, 40, 30));
    painter.fillRect(width / 2, height / 2, width / 3, height / 3, QColor(40, 180, 60));
    return image;
}

int maxChannelError(const QImage& a, const QImage& b) {
    int worst = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x) {
            const QRgb p = a.pixel(x, y), q = b.pixel(x, y);
            worst = std::max({worst, std::abs(qRed(p) - qRed(q)), std::abs(qGreen(p) - qGreen(q)),
                              std::abs(qBlue(p) - qBlue(q))});
        }
    return worst;
}

TEST(GifCodec, FewColoursRoundTripExactly) {
    const QImage original = testPicture(37, 23);
    const QImage decoded = imaging::decodeGif(imaging::encodeGif(original));
    ASSERT_FALSE(decoded.isNull());
    EXPECT_EQ(decoded.size(), original.size());
    EXPECT_EQ(maxChannelError(decoded, original), 0);
}

TEST(GifCodec, TransparencyIsHonoured) {
    QImage original(10, 6, QImage::Format_ARGB32);
    original.fill(Qt::transparent);
    original.setPixel(3, 2, qRgb(255, 255, 0));
    const QImage decoded = imaging::decodeGif(imaging::encodeGif(original));
    ASSERT_FALSE(decoded.isNull());
    EXPECT_EQ(qAlpha(decoded.pixel(0, 0)), 0);
    EXPECT_EQ(decoded.pixel(3, 2), qRgb(255, 255, 0));
}

TEST(GifCodec, ManyColoursAreReducedCloseToTheOriginal) {
    QImage gradient(256, 64, QImage::Format_RGB32);
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 256; ++x)
            gradient.setPixel(x, y, qRgb(x, y * 4, 255 - x));
    const QByteArray gif = imaging::encodeGif(gradient);
    const QImage decoded = imaging::decodeGif(gif);
    ASSERT_FALSE(decoded.isNull());
    EXPECT_LE(maxChannelError(decoded, gradient), 24);
}

TEST(GifCodec, AnimationKeepsFramesDelaysAndLoop) {
    std::vector<QImage> frames;
    for (int i = 0; i < 4; ++i) {
        QImage frame(20, 10, QImage::Format_ARGB32);
        frame.fill(Qt::white);
        frame.setPixel(i * 5, 5, qRgb(200, 0, 0));
        frames.push_back(frame);
    }
    const imaging::GifAnimation animation =
        imaging::decodeGifAnimation(imaging::encodeAnimatedGif(frames, 12, 0));
    ASSERT_EQ(animation.frames.size(), 4u);
    EXPECT_EQ(animation.loopCount, 0);
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(animation.delaysCs[i], 12);
        EXPECT_EQ(animation.frames[i].pixel(i * 5, 5), qRgb(200, 0, 0)) << "frame " << i;
        EXPECT_EQ(animation.frames[i].pixel((i + 1) % 4 * 5, 5), qRgb(255, 255, 255));
    }
}

TEST(GifCodec, EncoderRefusesUnusableInput) {
    EXPECT_TRUE(imaging::encodeGif(QImage()).isEmpty());
    EXPECT_TRUE(imaging::encodeAnimatedGif({}, 10).isEmpty());
    EXPECT_TRUE(imaging::encodeAnimatedGif({testPicture(8, 8), testPicture(9, 8)}, 10).isEmpty());
}

TEST(JpegCodec, RoundTripStaysClose) {
    const QImage original = testPicture(64, 48);
    const QByteArray jpeg = imaging::encodeJpeg(original, 95);
    ASSERT_FALSE(jpeg.isEmpty());
    const QImage decoded = imaging::decodeJpeg(jpeg);
    ASSERT_EQ(decoded.size(), original.size());
    EXPECT_LE(std::abs(qRed(decoded.pixel(10, 10)) - 220), 12);
    EXPECT_LE(std::abs(qBlue(decoded.pixel(60, 2)) - 168), 12);
}

TEST(JpegCodec, QualityIsClampedNotRejected) {
    EXPECT_FALSE(imaging::decodeJpeg(imaging::encodeJpeg(testPicture(16, 16), 500)).isNull());
    EXPECT_FALSE(imaging::decodeJpeg(imaging::encodeJpeg(testPicture(16, 16), -3)).isNull());
}

// Damaged input of every kind must give a null picture, never a crash.
struct Damage {
    const char* name;
    QByteArray (*apply)(const QByteArray&);
};

const Damage kDamages[] = {
    {"empty", [](const QByteArray&) { return QByteArray(); }},
    {"header only", [](const QByteArray& b) { return b.left(12); }},
    {"cut in half", [](const QByteArray& b) { return b.left(b.size() / 2); }},
    {"last bytes cut", [](const QByteArray& b) { return b.left(b.size() - 3); }},
    {"random bytes",
     [](const QByteArray& b) {
         QByteArray noise(b.size(), '\0');
         std::mt19937 random(11);
         for (auto& c : noise)
             c = static_cast<char>(random());
         return noise;
     }},
    {"signature kept, body random",
     [](const QByteArray& b) {
         QByteArray bytes = b;
         std::mt19937 random(5);
         for (qsizetype i = 13; i < bytes.size(); ++i)
             bytes[i] = static_cast<char>(random());
         return bytes;
     }},
};

TEST(Decoders, DamagedGifGivesNullPicture) {
    const QByteArray gif = imaging::encodeGif(testPicture(120, 90));
    for (const Damage& damage : kDamages) {
        const QByteArray bytes = damage.apply(gif);
        EXPECT_TRUE(imaging::decodeGif(bytes).isNull()) << damage.name;
        EXPECT_TRUE(imaging::decodeGifAnimation(bytes).isEmpty()) << damage.name;
    }
}

TEST(Decoders, DamagedJpegGivesNullPicture) {
    const QByteArray jpeg = imaging::encodeJpeg(testPicture(120, 90), 80);
    for (const Damage& damage : kDamages)
        EXPECT_TRUE(imaging::decodeJpeg(damage.apply(jpeg)).isNull()) << damage.name;
}

TEST(Decoders, EachDecoderRejectsTheOtherFormat) {
    const QImage picture = testPicture(16, 16);
    EXPECT_TRUE(imaging::decodeJpeg(imaging::encodeGif(picture)).isNull());
    EXPECT_TRUE(imaging::decodeGif(imaging::encodeJpeg(picture, 80)).isNull());
}

TEST(Decoders, OversizedLogicalScreenIsRefused) {
    QByteArray gif = imaging::encodeGif(testPicture(8, 8));
    // Logical screen width and height (little-endian at offsets 6 and 8).
    gif[6] = gif[7] = gif[8] = gif[9] = static_cast<char>(0xff);
    EXPECT_TRUE(imaging::decodeGif(gif).isNull());
}

} // namespace
