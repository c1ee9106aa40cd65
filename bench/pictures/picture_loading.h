#pragma once
// The picture loading of the program's show handling, done the same way:
// the five resource libraries opened from the program's folder, the 672 bank
// pictures (168 per bank) decoded with giflib and the ten skins with libjpeg.
// The animation resource is read but not written out.
#include <QByteArray>
#include <QImage>
#include <string>
#include <vector>

namespace bench {

struct LoadedPictures {
    int bankPictures = 0; // decoded, not null
    int skins = 0;        // decoded, not null
    qsizetype movieBytes = 0;
    std::string error; // empty when everything was there
    bool complete() const { return error.empty() && bankPictures == 672 && skins == 10; }
};

// Opens the libraries (from `folder` when given, as a test would), reads and
// decodes every picture, and unloads the libraries again.
LoadedPictures loadShowPictures(const std::string& folder = {});

// The raw resources, read once, for measuring the decoders alone.
struct RawPictures {
    std::vector<QByteArray> gifs;  // the 672 bank pictures
    std::vector<QByteArray> jpegs; // the ten skins
    std::string error;
};
RawPictures readShowPictures(const std::string& folder = {});

// Decodes them all; the number of pictures that came out null.
int decodeAll(const RawPictures& raw);

} // namespace bench
