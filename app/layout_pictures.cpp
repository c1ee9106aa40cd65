#include "app/layout_pictures.h"

#include "platform/imaging/gif_codec.h"
#include "platform/imaging/jpeg_codec.h"
#include "resources/layout_pictures.h"

#include <QDebug>

QImage layoutPicture(const QString& name) {
    const QByteArray data = layoutpictures::picture(name.toStdString());
    QImage image;
    if (data.startsWith("GIF8"))
        image = imaging::decodeGif(data);
    else if (data.startsWith("\xFF\xD8"))
        image = imaging::decodeJpeg(data);
    if (image.isNull())
        qWarning("layout picture %s is missing or unreadable", qPrintable(name));
    return image;
}
