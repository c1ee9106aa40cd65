#include "keypanel/core/key_table.h"
#include "platform/imaging/gif_codec.h"
#include "platform/imaging/jpeg_codec.h"
#include "platform/reslib/resource_library.h"
#include "resources/layout_pictures.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace {

enum class Format { Gif, Jpeg };

QImage decode(const QByteArray& bytes, Format format) {
    return format == Format::Gif ? imaging::decodeGif(bytes) : imaging::decodeJpeg(bytes);
}

std::string keyName(const keypanel::KeyDefinition& key) {
    return "key_" + std::string(key.code);
}

struct Sized {
    const char* name;
    Format format;
    int width;
    int height;
};

TEST(LayoutPictures, EachDecodesAtItsSize) {
    const Sized pictures[] = {
        {"splash", Format::Jpeg, 460, 260},       {"background", Format::Jpeg, 1024, 734},
        {"urc", Format::Gif, 195, 730},           {"learn_start", Format::Jpeg, 137, 37},
        {"learn_stop", Format::Jpeg, 137, 37},    {"icon_help", Format::Gif, 49, 42},
        {"icon_update", Format::Gif, 49, 42},     {"icon_exit", Format::Gif, 49, 42},
        {"hint_idle", Format::Gif, 413, 170},     {"hint_idle_learned", Format::Gif, 413, 170},
        {"hint_learning", Format::Gif, 413, 170}, {"hint_deleting", Format::Gif, 413, 170},
    };
    for (const Sized& p : pictures) {
        const QImage image = decode(layoutpictures::picture(p.name), p.format);
        EXPECT_EQ(image.size(), QSize(p.width, p.height)) << p.name;
    }
    EXPECT_TRUE(layoutpictures::picture("no_such_picture").isEmpty());
}

TEST(LayoutPictures, BackgroundKeepsTheWindowColourUnderTheButtons) {
    const QImage background = imaging::decodeJpeg(layoutpictures::picture("background"));
    ASSERT_FALSE(background.isNull());
    const QColor corner = background.pixelColor(1010, 20); // beside the icons
    EXPECT_NEAR(corner.red(), 53, 4);
    EXPECT_NEAR(corner.green(), 124, 4);
    EXPECT_NEAR(corner.blue(), 168, 4);
}

double meanDifference(const QImage& a, const QImage& b) {
    double sum = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x) {
            const QRgb p = a.pixel(x, y), q = b.pixel(x, y);
            sum += std::abs(qRed(p) - qRed(q)) + std::abs(qGreen(p) - qGreen(q)) +
                   std::abs(qBlue(p) - qBlue(q));
        }
    return sum / (3.0 * a.width() * a.height());
}

TEST(LayoutPictures, KeyPicturesMatchTheUrcDrawing) {
    const QImage urc = imaging::decodeGif(layoutpictures::picture("urc"));
    ASSERT_FALSE(urc.isNull());
    for (const keypanel::KeyDefinition& key : keypanel::kKeyTable) {
        const QImage picture = imaging::decodeGif(layoutpictures::picture(keyName(key)));
        ASSERT_EQ(picture.size(), QSize(key.width, key.height)) << keyName(key);
        const QImage onUrc = urc.copy(key.left, key.top, key.width, key.height);
        EXPECT_LT(meanDifference(picture, onUrc), 6.0) << keyName(key);
    }
}

// The average colour of a key picture's middle.
QColor middleColour(const QImage& picture) {
    long r = 0, g = 0, b = 0, n = 0;
    for (int y = picture.height() / 4; y < picture.height() * 3 / 4; ++y)
        for (int x = 2; x < picture.width() - 2; ++x, ++n) {
            r += qRed(picture.pixel(x, y));
            g += qGreen(picture.pixel(x, y));
            b += qBlue(picture.pixel(x, y));
        }
    return QColor(int(r / n), int(g / n), int(b / n));
}

struct Bank {
    const char* library;
    bool (*looksRight)(const QColor&);
    const char* look;
};

const Bank kBanks[] = {
    {"one1004.so", [](const QColor& c) { return c.blue() > c.red() && c.saturation() < 120; },
     "grey-blue"},
    {"sne1004.so",
     [](const QColor& c) { return c.red() > c.green() + 60 && c.red() > c.blue() + 60; }, "red"},
    {"fne1004.so",
     [](const QColor& c) { return c.red() > 180 && c.green() > 110 && c.blue() < 90; },
     "yellow-orange"},
    {"dne1004.so",
     [](const QColor& c) { return c.green() > c.red() + 40 && c.green() > c.blue() + 30; },
     "green"},
};

TEST(KeyBanks, EveryKeyHasItsSizeAndItsBanksLook) {
    for (const Bank& bank : kBanks) {
        const reslib::ResourceLibrary library(bank.library);
        ASSERT_TRUE(library.isLoaded()) << library.errorText();
        for (const keypanel::KeyDefinition& key : keypanel::kKeyTable) {
            const std::string name = "gif" + std::to_string(keypanel::keyCodeValue(key.code));
            const auto bytes = library.read(name);
            ASSERT_TRUE(bytes.has_value()) << bank.library << " " << name;
            const QImage picture = imaging::decodeGif(*bytes);
            ASSERT_EQ(picture.size(), QSize(key.width, key.height)) << bank.library << " " << name;
            EXPECT_TRUE(bank.looksRight(middleColour(picture)))
                << bank.library << " " << name << " is not " << bank.look;
        }
    }
}

TEST(KeyBanks, NamesOfNoKeyHoldASmallReadablePicture) {
    for (const Bank& bank : kBanks) {
        const reslib::ResourceLibrary library(bank.library);
        for (int n = 0; n < keypanel::kBankSize; ++n) {
            const auto bytes = library.read("gif" + std::to_string(n));
            ASSERT_TRUE(bytes.has_value()) << bank.library << " gif" << n;
            EXPECT_FALSE(imaging::decodeGif(*bytes).isNull()) << bank.library << " gif" << n;
        }
        EXPECT_FALSE(library.read("gif168").has_value());
        EXPECT_EQ(imaging::decodeGif(*library.read("gif8")).size(), QSize(16, 16));
    }
}

TEST(Skins, AnimationAndSkinsDecode) {
    const reslib::ResourceLibrary library("bne1004.so");
    ASSERT_TRUE(library.isLoaded()) << library.errorText();
    const imaging::GifAnimation animation = imaging::decodeGifAnimation(*library.read("flash1"));
    ASSERT_GT(animation.frames.size(), 1u);
    EXPECT_EQ(animation.loopCount, 0);
    EXPECT_EQ(animation.frames.front().size(), QSize(409, 84));
    const Sized skins[] = {
        {"gifkolvar", Format::Jpeg, 413, 86},  {"jpgjingtai", Format::Jpeg, 413, 86},
        {"stopdelete", Format::Jpeg, 137, 37}, {"deletehui", Format::Jpeg, 137, 37},
        {"delete", Format::Jpeg, 137, 37},     {"clear", Format::Jpeg, 137, 37},
        {"clearhui", Format::Jpeg, 137, 37},
    };
    for (const Sized& skin : skins) {
        const auto bytes = library.read(skin.name);
        ASSERT_TRUE(bytes.has_value()) << skin.name;
        EXPECT_EQ(decode(*bytes, skin.format).size(), QSize(skin.width, skin.height)) << skin.name;
    }
    for (const char* swatch : {"jpgred", "jpgblue", "jpggreen"})
        EXPECT_FALSE(imaging::decodeJpeg(*library.read(swatch)).isNull()) << swatch;
}

TEST(BrokenVariants, BankWithoutGif100AndMissingLibrary) {
    const std::string bin = reslib::programFolder();
    const reslib::ResourceLibrary broken("fne1004.so", bin + "/broken-gif100");
    ASSERT_TRUE(broken.isLoaded()) << broken.errorText();
    EXPECT_FALSE(broken.read("gif100").has_value());
    EXPECT_TRUE(broken.read("gif167").has_value());
    for (const char* lib : {"one1004.so", "sne1004.so", "bne1004.so", "dne1004.so"})
        EXPECT_TRUE(std::filesystem::exists(bin + "/broken-gif100/" + lib)) << lib;
    EXPECT_FALSE(std::filesystem::exists(bin + "/missing-dne1004/dne1004.so"));
    for (const char* lib : {"one1004.so", "sne1004.so", "fne1004.so", "bne1004.so"})
        EXPECT_TRUE(std::filesystem::exists(bin + "/missing-dne1004/" + lib)) << lib;
}

} // namespace
