#pragma once
// GIF pictures through giflib. Decoders never crash on malformed input: they
// answer a null image (or an empty animation) instead.
#include "platform/imaging/bytes.h"

#include <QImage>
#include <vector>

namespace imaging {

struct GifAnimation {
    std::vector<QImage> frames; // each the whole canvas, ARGB32, already composed
    std::vector<int> delaysCs;  // display time of each frame in 1/100 s, as stored
    int loopCount = -1;         // 0 loops forever, -1 when the file says nothing
    bool isEmpty() const { return frames.empty(); }
};

// The first frame on its canvas, transparent where the frame leaves it so.
QImage decodeGif(Bytes data);
inline QImage decodeGif(const QByteArray& data) {
    return decodeGif(bytesOf(data));
}

// Every frame, composed as a viewer shows it (disposal methods honoured).
// Any damage anywhere in the file gives an empty animation.
GifAnimation decodeGifAnimation(Bytes data);
inline GifAnimation decodeGifAnimation(const QByteArray& data) {
    return decodeGifAnimation(bytesOf(data));
}

// A single-frame GIF89a with at most 256 colours; pixels with alpha below 128
// become transparent. Empty on a null image or a size beyond the limits.
QByteArray encodeGif(const QImage& image);

// An animated GIF of equally sized frames sharing one palette, each shown for
// delayCs hundredths of a second; loopCount 0 loops forever. Empty when the
// frames are missing, null or of different sizes.
QByteArray encodeAnimatedGif(const std::vector<QImage>& frames, int delayCs, int loopCount = 0);

} // namespace imaging
