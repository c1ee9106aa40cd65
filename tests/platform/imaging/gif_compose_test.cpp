// Decoding of GIF features our encoder never writes: interlacing, frames at
// an offset, disposal methods, palettes too small for the indices.
#include "platform/imaging/gif_codec.h"

#include <gif_lib.h>
#include <gtest/gtest.h>

namespace {

struct Frame {
    int left, top, width, height;
    bool interlaced;
    int disposal;
    int transparent; // index or NO_TRANSPARENT_COLOR
    std::vector<GifPixelType> indices;
};

int appendBytes(GifFileType* gif, const GifByteType* data, int length) {
    static_cast<QByteArray*>(gif->UserData)->append(reinterpret_cast<const char*>(data), length);
    return length;
}

// Palette: 0 black, 1 red, 2 green, 3 blue.
QByteArray writeGif(int width, int height, std::vector<Frame> frames, int colours = 4) {
    QByteArray out;
    int error = 0;
    GifFileType* gif = EGifOpen(&out, appendBytes, &error);
    const GifColorType palette[4] = {{0, 0, 0}, {255, 0, 0}, {0, 255, 0}, {0, 0, 255}};
    ColorMapObject* map = GifMakeMapObject(colours, palette);
    EGifSetGifVersion(gif, true);
    EGifPutScreenDesc(gif, width, height, 8, 0, map);
    for (Frame& f : frames) {
        GraphicsControlBlock gcb{f.disposal, false, 5, f.transparent};
        GifByteType ext[4];
        EGifPutExtension(gif, GRAPHICS_EXT_FUNC_CODE, EGifGCBToExtension(&gcb, ext), ext);
        EGifPutImageDesc(gif, f.left, f.top, f.width, f.height, f.interlaced, nullptr);
        // Interlaced rows are stored in pass order: 0,8,.. then 4,12,.. then 2,6,.. then 1,3,..
        std::vector<int> order;
        const int start[] = {0, 4, 2, 1}, step[] = {8, 8, 4, 2};
        for (int pass = 0; pass < (f.interlaced ? 4 : 1); ++pass)
            for (int y = f.interlaced ? start[pass] : 0; y < f.height;
                 y += f.interlaced ? step[pass] : 1)
                order.push_back(y);
        for (int y : order)
            EGifPutLine(gif, f.indices.data() + y * f.width, f.width);
    }
    EGifCloseFile(gif, &error);
    GifFreeMapObject(map);
    return out;
}

std::vector<GifPixelType> rowsOf(int width, int height) {
    std::vector<GifPixelType> indices;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            indices.push_back(static_cast<GifPixelType>(y % 4));
    return indices;
}

const QRgb kColours[4] = {qRgb(0, 0, 0), qRgb(255, 0, 0), qRgb(0, 255, 0), qRgb(0, 0, 255)};

TEST(GifCompose, InterlacedRowsLandInPlace) {
    const QImage image = imaging::decodeGif(writeGif(
        3, 11, {{0, 0, 3, 11, true, DISPOSE_DO_NOT, NO_TRANSPARENT_COLOR, rowsOf(3, 11)}}));
    ASSERT_EQ(image.size(), QSize(3, 11));
    for (int y = 0; y < 11; ++y)
        EXPECT_EQ(image.pixel(1, y), kColours[y % 4]) << "row " << y;
}

TEST(GifCompose, DisposalMethodsShapeTheNextFrame) {
    const std::vector<GifPixelType> red(4, 1), green(4, 2);
    struct Case {
        int disposal;
        QRgb underSecondFrameHole; // where frame 2 is transparent, over frame 1's area
    };
    const Case cases[] = {{DISPOSE_DO_NOT, kColours[1]},
                          {DISPOSE_BACKGROUND, qRgba(0, 0, 0, 0)},
                          {DISPOSE_PREVIOUS, qRgba(0, 0, 0, 0)}};
    for (const Case& c : cases) {
        std::vector<GifPixelType> holed = green;
        holed[0] = 0; // index 0 transparent in the second frame
        const imaging::GifAnimation animation = imaging::decodeGifAnimation(
            writeGif(6, 4,
                     {{1, 1, 2, 2, false, c.disposal, NO_TRANSPARENT_COLOR, red},
                      {1, 1, 2, 2, false, DISPOSE_DO_NOT, 0, holed}}));
        ASSERT_EQ(animation.frames.size(), 2u) << c.disposal;
        EXPECT_EQ(animation.frames[0].pixel(1, 1), kColours[1]);
        EXPECT_EQ(qAlpha(animation.frames[0].pixel(0, 0)), 0); // untouched canvas
        EXPECT_EQ(animation.frames[1].pixel(1, 1), c.underSecondFrameHole) << c.disposal;
        EXPECT_EQ(animation.frames[1].pixel(2, 2), kColours[2]);
    }
}

TEST(GifCompose, FrameReachingPastTheCanvasIsClipped) {
    const QImage image =
        imaging::decodeGif(writeGif(4, 4,
                                    {{2, 2, 4, 4, false, DISPOSE_DO_NOT, NO_TRANSPARENT_COLOR,
                                      std::vector<GifPixelType>(16, 3)}}));
    ASSERT_EQ(image.size(), QSize(4, 4));
    EXPECT_EQ(image.pixel(3, 3), kColours[3]);
    EXPECT_EQ(qAlpha(image.pixel(1, 1)), 0);
}

TEST(GifCompose, IndexBeyondThePaletteShowsBlack) {
    // A two-colour palette, but the picture uses index 3.
    const QImage image = imaging::decodeGif(
        writeGif(2, 1, {{0, 0, 2, 1, false, DISPOSE_DO_NOT, NO_TRANSPARENT_COLOR, {1, 3}}}, 2));
    ASSERT_FALSE(image.isNull());
    EXPECT_EQ(image.pixel(0, 0), kColours[1]);
    EXPECT_EQ(image.pixel(1, 0), qRgb(0, 0, 0));
}

} // namespace
