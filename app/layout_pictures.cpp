#include "app/layout_pictures.h"

#include "app/layout_picture_decoding.h"
#include "app/picture_decoder.h"

#include <QDebug>

QImage layoutPicture(const QString& name) {
    std::optional<QImage> ahead;
    if (PictureDecoder* decoder = PictureDecoder::running())
        ahead = decoder->takeLayoutPicture(name);
    const QImage image = ahead ? *ahead : decodeLayoutPicture(name.toStdString());
    if (image.isNull())
        qWarning("layout picture %s is missing or unreadable", qPrintable(name));
    return image;
}
