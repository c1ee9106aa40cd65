#include "platform/imaging/gif_codec.h"
#include "platform/imaging/quantize.h"

#include <gif_lib.h>

#include <algorithm>
#include <memory>

namespace imaging {
namespace {

int writeToArray(GifFileType* gif, const GifByteType* data, int length) {
    static_cast<QByteArray*>(gif->UserData)->append(reinterpret_cast<const char*>(data), length);
    return length;
}

struct MapFree {
    void operator()(ColorMapObject* map) const { GifFreeMapObject(map); }
};

// giflib wants a power-of-two palette; the unused tail stays black.
std::unique_ptr<ColorMapObject, MapFree> makeColourMap(const std::vector<QRgb>& palette) {
    int size = 2;
    while (size < static_cast<int>(palette.size()))
        size *= 2;
    std::unique_ptr<ColorMapObject, MapFree> map(GifMakeMapObject(size, nullptr));
    if (!map)
        return map;
    for (int i = 0; i < size; ++i) {
        const QRgb c = i < static_cast<int>(palette.size()) ? palette[i] : qRgb(0, 0, 0);
        map->Colors[i] = {static_cast<GifByteType>(qRed(c)), static_cast<GifByteType>(qGreen(c)),
                          static_cast<GifByteType>(qBlue(c))};
    }
    return map;
}

bool putLoopExtension(GifFileType* gif, int loopCount) {
    const unsigned char loop[3] = {1, static_cast<unsigned char>(loopCount & 0xff),
                                   static_cast<unsigned char>((loopCount >> 8) & 0xff)};
    return EGifPutExtensionLeader(gif, APPLICATION_EXT_FUNC_CODE) != GIF_ERROR &&
           EGifPutExtensionBlock(gif, 11, "NETSCAPE2.0") != GIF_ERROR &&
           EGifPutExtensionBlock(gif, 3, loop) != GIF_ERROR &&
           EGifPutExtensionTrailer(gif) != GIF_ERROR;
}

bool putFrame(GifFileType* gif, int width, int height, std::vector<std::uint8_t>& indices,
              int delayCs, int transparentIndex, bool withControl) {
    if (withControl) {
        GraphicsControlBlock gcb{};
        // Every frame covers the whole canvas, so it replaces its predecessor.
        gcb.DisposalMode = transparentIndex >= 0 ? DISPOSE_BACKGROUND : DISPOSE_DO_NOT;
        gcb.UserInputFlag = false;
        gcb.DelayTime = delayCs;
        gcb.TransparentColor = transparentIndex >= 0 ? transparentIndex : NO_TRANSPARENT_COLOR;
        GifByteType extension[4];
        const size_t length = EGifGCBToExtension(&gcb, extension);
        if (EGifPutExtension(gif, GRAPHICS_EXT_FUNC_CODE, static_cast<int>(length), extension) ==
            GIF_ERROR)
            return false;
    }
    if (EGifPutImageDesc(gif, 0, 0, width, height, false, nullptr) == GIF_ERROR)
        return false;
    for (int y = 0; y < height; ++y) {
        if (EGifPutLine(gif, indices.data() + static_cast<std::size_t>(y) * width, width) ==
            GIF_ERROR)
            return false;
    }
    return true;
}

QByteArray encodeFrames(const std::vector<QImage>& frames, int delayCs, int loopCount,
                        bool animated) {
    if (frames.empty() || frames.front().isNull())
        return {};
    const QSize size = frames.front().size();
    if (!sizeIsAcceptable(size.width(), size.height()))
        return {};
    for (const QImage& frame : frames)
        if (frame.size() != size)
            return {};

    IndexedPictures indexed = quantize(frames);
    if (indexed.palette.empty())
        return {};
    auto map = makeColourMap(indexed.palette);
    if (!map)
        return {};

    QByteArray out;
    int error = 0;
    GifFileType* gif = EGifOpen(&out, writeToArray, &error);
    if (gif == nullptr)
        return {};
    EGifSetGifVersion(gif, true);
    bool ok = EGifPutScreenDesc(gif, size.width(), size.height(), 8, 0, map.get()) != GIF_ERROR;
    if (ok && animated)
        ok = putLoopExtension(gif, std::clamp(loopCount, 0, 65535));
    const bool withControl = animated || indexed.transparentIndex >= 0;
    for (std::size_t i = 0; ok && i < frames.size(); ++i)
        ok = putFrame(gif, size.width(), size.height(), indexed.indices[i],
                      std::clamp(delayCs, 0, 65535), indexed.transparentIndex, withControl);
    if (EGifCloseFile(gif, &error) == GIF_ERROR) // writes the trailer and frees the handle
        ok = false;
    return ok ? out : QByteArray();
}

} // namespace

QByteArray encodeGif(const QImage& image) {
    return encodeFrames({image}, 0, 0, false);
}

QByteArray encodeAnimatedGif(const std::vector<QImage>& frames, int delayCs, int loopCount) {
    return encodeFrames(frames, delayCs, loopCount, true);
}

} // namespace imaging
