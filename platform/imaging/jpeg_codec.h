#pragma once
// JPEG pictures through libjpeg. libjpeg reports errors by calling an exit
// handler; ours jumps back out, so damaged data gives a null image and never
// ends the process.
#include "platform/imaging/bytes.h"

#include <QImage>

namespace imaging {

// RGB32 picture, or null on damaged, truncated or oversized input. Data that
// libjpeg would only warn about (and patch with grey) counts as damaged too.
QImage decodeJpeg(Bytes data);
inline QImage decodeJpeg(const QByteArray& data) {
    return decodeJpeg(bytesOf(data));
}

// Baseline JPEG; quality is clamped to 1..100. Transparent parts are laid on
// white first. Empty on a null image or a size beyond the limits.
QByteArray encodeJpeg(const QImage& image, int quality = 90);

} // namespace imaging
