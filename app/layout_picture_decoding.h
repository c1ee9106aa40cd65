#pragma once
// Decoding one layout picture from the bytes stored with the window layouts,
// with our own GIF and JPEG decoders. Shared by the window's picture look-up
// and the start-up's decoding ahead, which neither depends on the other.
#include <QImage>

#include <string>

// The named layout picture decoded here and now; null when missing or
// unreadable (nothing is said).
QImage decodeLayoutPicture(const std::string& name);
