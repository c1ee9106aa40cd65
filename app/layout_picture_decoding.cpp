#include "app/layout_picture_decoding.h"

#include "platform/imaging/gif_codec.h"
#include "platform/imaging/jpeg_codec.h"
#include "resources/layout_pictures.h"

QImage decodeLayoutPicture(const std::string& name) {
    const QByteArray data = layoutpictures::picture(name);
    if (data.startsWith("GIF8"))
        return imaging::decodeGif(data);
    if (data.startsWith("\xFF\xD8"))
        return imaging::decodeJpeg(data);
    return {};
}
