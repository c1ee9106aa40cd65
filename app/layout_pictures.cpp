#include "app/layout_pictures.h"

#include "app/picture_decoder.h"
#include "platform/imaging/gif_codec.h"
#include "platform/imaging/jpeg_codec.h"
#include "resources/layout_pictures.h"

#include <QDebug>

QImage decodeLayoutPicture(const std::string& name) {
    const QByteArray data = layoutpictures::picture(name);
    if (data.startsWith("GIF8"))
        return imaging::decodeGif(data);
    if (data.startsWith("\xFF\xD8"))
        return imaging::decodeJpeg(data);
    return {};
}

QImage layoutPicture(const QString& name) {
    std::optional<QImage> ahead;
    if (PictureDecoder* decoder = PictureDecoder::running())
        ahead = decoder->takeLayoutPicture(name);
    const QImage image = ahead ? *ahead : decodeLayoutPicture(name.toStdString());
    if (image.isNull())
        qWarning("layout picture %s is missing or unreadable", qPrintable(name));
    return image;
}
