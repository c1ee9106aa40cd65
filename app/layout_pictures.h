#pragma once
// The pictures stored with the window layouts (background, URC front, layout
// key pictures, icons, hint panels, the learn button's faces, the splash),
// decoded with our own GIF and JPEG decoders.
#include <QImage>
#include <QString>

// The named layout picture; a null image (and a warning on stderr) when it is
// missing or unreadable, so that a broken build shows a gap, not a crash. It is
// taken from the running PictureDecoder when that decoded it ahead.
QImage layoutPicture(const QString& name);
inline QImage layoutPicture(const char* name) {
    return layoutPicture(QString::fromLatin1(name));
}
