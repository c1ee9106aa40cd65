#include "platform/imaging/gif_codec.h"

#include <gif_lib.h>

#include <algorithm>
#include <cstring>
#include <memory>

namespace imaging {
namespace {

struct MemoryReader {
    Bytes data;
    std::size_t position = 0;
};

int readFromMemory(GifFileType* gif, GifByteType* buffer, int wanted) {
    auto* reader = static_cast<MemoryReader*>(gif->UserData);
    if (wanted <= 0)
        return 0;
    const std::size_t left = reader->data.size() - reader->position;
    const std::size_t count = std::min(left, static_cast<std::size_t>(wanted));
    std::memcpy(buffer, reader->data.data() + reader->position, count);
    reader->position += count;
    return static_cast<int>(count); // a short read makes giflib fail the call
}

struct GifCloser {
    void operator()(GifFileType* gif) const {
        int error = 0;
        DGifCloseFile(gif, &error);
    }
};
using GifHandle = std::unique_ptr<GifFileType, GifCloser>;

// What the graphics control extension before an image says about it.
struct FrameControl {
    int disposal = DISPOSAL_UNSPECIFIED;
    int delayCs = 0;
    int transparentIndex = NO_TRANSPARENT_COLOR;
};

// Reads records one by one (never the whole file at once) so that every
// size can be checked before anything is allocated for it.
class GifReader {
public:
    GifReader(Bytes data, bool firstFrameOnly) : reader_{data, 0}, firstOnly_(firstFrameOnly) {}

    bool run(GifAnimation& out) {
        if (reader_.data.empty() || reader_.data.size() > kMaxInputBytes)
            return false;
        int error = 0;
        gif_.reset(DGifOpen(&reader_, readFromMemory, &error));
        if (!gif_)
            return false;
        out.loopCount = -1;
        for (;;) {
            GifRecordType record = UNDEFINED_RECORD_TYPE;
            if (DGifGetRecordType(gif_.get(), &record) == GIF_ERROR)
                return false;
            if (record == TERMINATE_RECORD_TYPE)
                return !out.frames.empty();
            if (record == EXTENSION_RECORD_TYPE) {
                if (!readExtension(out))
                    return false;
            } else if (record == IMAGE_DESC_RECORD_TYPE) {
                if (!readImage(out))
                    return false;
                if (firstOnly_)
                    return true;
            } else {
                return false;
            }
        }
    }

private:
    bool readExtension(GifAnimation& out) {
        int code = 0;
        GifByteType* block = nullptr;
        if (DGifGetExtension(gif_.get(), &code, &block) == GIF_ERROR)
            return false;
        bool first = true;
        bool netscape = false;
        while (block != nullptr) {
            const int length = block[0];
            if (first && code == GRAPHICS_EXT_FUNC_CODE) {
                GraphicsControlBlock gcb{};
                if (DGifExtensionToGCB(length, block + 1, &gcb) == GIF_ERROR)
                    return false;
                control_ = {gcb.DisposalMode, gcb.DelayTime, gcb.TransparentColor};
            } else if (first && code == APPLICATION_EXT_FUNC_CODE) {
                netscape = length == 11 && (std::memcmp(block + 1, "NETSCAPE2.0", 11) == 0 ||
                                            std::memcmp(block + 1, "ANIMEXTS1.0", 11) == 0);
            } else if (netscape && length >= 3 && block[1] == 1) {
                out.loopCount = block[2] | (block[3] << 8);
            }
            first = false;
            if (DGifGetExtensionNext(gif_.get(), &block) == GIF_ERROR)
                return false;
        }
        return true;
    }

    bool prepareCanvas(const GifImageDesc& desc) {
        if (!canvas_.isNull())
            return true;
        long long width = gif_->SWidth;
        long long height = gif_->SHeight;
        if (width <= 0 || height <= 0) { // no logical screen: the first image sets it
            width = static_cast<long long>(desc.Left) + desc.Width;
            height = static_cast<long long>(desc.Top) + desc.Height;
        }
        if (!sizeIsAcceptable(width, height))
            return false;
        canvas_ = QImage(static_cast<int>(width), static_cast<int>(height), QImage::Format_ARGB32);
        if (canvas_.isNull())
            return false;
        canvas_.fill(Qt::transparent);
        return true;
    }

    // Reads the indices of one image, rows put in place for interlaced files.
    bool readIndices(const GifImageDesc& desc, std::vector<GifPixelType>& indices) {
        const int width = desc.Width;
        const int height = desc.Height;
        indices.assign(static_cast<std::size_t>(width) * height, 0);
        auto readRow = [&](int row) {
            return DGifGetLine(gif_.get(), indices.data() + static_cast<std::size_t>(row) * width,
                               width) != GIF_ERROR;
        };
        if (!desc.Interlace) {
            for (int y = 0; y < height; ++y)
                if (!readRow(y))
                    return false;
            return true;
        }
        static constexpr int kStart[] = {0, 4, 2, 1};
        static constexpr int kStep[] = {8, 8, 4, 2};
        for (int pass = 0; pass < 4; ++pass)
            for (int y = kStart[pass]; y < height; y += kStep[pass])
                if (!readRow(y))
                    return false;
        return true;
    }

    void paint(const GifImageDesc& desc, const ColorMapObject* map,
               const std::vector<GifPixelType>& indices) {
        for (int y = 0; y < desc.Height; ++y) {
            const int canvasY = desc.Top + y;
            if (canvasY < 0 || canvasY >= canvas_.height())
                continue;
            auto* row = reinterpret_cast<QRgb*>(canvas_.scanLine(canvasY));
            for (int x = 0; x < desc.Width; ++x) {
                const int canvasX = desc.Left + x;
                if (canvasX < 0 || canvasX >= canvas_.width())
                    continue;
                const int index = indices[static_cast<std::size_t>(y) * desc.Width + x];
                if (index == control_.transparentIndex)
                    continue;
                if (index >= map->ColorCount) { // out of the palette: shown as black
                    row[canvasX] = qRgb(0, 0, 0);
                    continue;
                }
                const GifColorType& c = map->Colors[index];
                row[canvasX] = qRgb(c.Red, c.Green, c.Blue);
            }
        }
    }

    void dispose(const GifImageDesc& desc, const QImage& before) {
        if (control_.disposal == DISPOSE_PREVIOUS) {
            canvas_ = before;
        } else if (control_.disposal == DISPOSE_BACKGROUND) {
            const QRect area = QRect(desc.Left, desc.Top, desc.Width, desc.Height) & canvas_.rect();
            for (int y = area.top(); y <= area.bottom(); ++y) {
                auto* row = reinterpret_cast<QRgb*>(canvas_.scanLine(y));
                std::fill(row + area.left(), row + area.right() + 1, qRgba(0, 0, 0, 0));
            }
        }
    }

    bool readImage(GifAnimation& out) {
        if (DGifGetImageDesc(gif_.get()) == GIF_ERROR)
            return false;
        const GifImageDesc desc = gif_->Image;
        if (!sizeIsAcceptable(desc.Width, desc.Height) || desc.Left < 0 || desc.Top < 0)
            return false;
        const ColorMapObject* map = desc.ColorMap ? desc.ColorMap : gif_->SColorMap;
        if (map == nullptr || map->Colors == nullptr || map->ColorCount <= 0)
            return false;
        if (!prepareCanvas(desc))
            return false;
        if (static_cast<int>(out.frames.size()) >= kMaxFrames)
            return false;
        pixelsSoFar_ += static_cast<long long>(canvas_.width()) * canvas_.height();
        if (pixelsSoFar_ > kMaxAnimationPixels)
            return false;

        std::vector<GifPixelType> indices;
        if (!readIndices(desc, indices))
            return false;
        const QImage before = control_.disposal == DISPOSE_PREVIOUS ? canvas_.copy() : QImage();
        paint(desc, map, indices);
        out.frames.push_back(canvas_.copy());
        out.delaysCs.push_back(control_.delayCs);
        dispose(desc, before);
        control_ = FrameControl{}; // a control extension applies to one image only
        return true;
    }

    MemoryReader reader_;
    bool firstOnly_;
    GifHandle gif_;
    QImage canvas_;
    FrameControl control_;
    long long pixelsSoFar_ = 0;
};

} // namespace

QImage decodeGif(Bytes data) {
    GifAnimation animation;
    if (!GifReader(data, true).run(animation) || animation.frames.empty())
        return QImage();
    return animation.frames.front();
}

GifAnimation decodeGifAnimation(Bytes data) {
    GifAnimation animation;
    if (!GifReader(data, false).run(animation))
        return GifAnimation{};
    return animation;
}

} // namespace imaging
