#include "bench/pictures/picture_loading.h"

#include "platform/imaging/gif_codec.h"
#include "platform/imaging/jpeg_codec.h"
#include "platform/reslib/resource_library.h"

#include <array>
#include <memory>

namespace bench {

namespace {

constexpr int kBankSize = 168;
// In the program's load order; the banks come from one, sne, fne and dne, the
// skins and the animation from bne.
const std::array<const char*, 5> kLibraries = {"one1004.so", "sne1004.so", "fne1004.so",
                                               "bne1004.so", "dne1004.so"};
const std::array<int, 4> kBankLibraries = {0, 1, 2, 4};
constexpr int kSkinLibrary = 3;
const std::array<const char*, 10> kSkins = {"jpgred",     "jpgblue",    "jpggreen",  "gifkolvar",
                                            "jpgjingtai", "stopdelete", "deletehui", "delete",
                                            "clear",      "clearhui"};

using Libraries = std::vector<std::unique_ptr<reslib::ResourceLibrary>>;

// All five libraries, or an error naming the first that did not load.
Libraries openLibraries(const std::string& folder, std::string& error) {
    Libraries libraries;
    for (const char* name : kLibraries) {
        libraries.push_back(folder.empty()
                                ? std::make_unique<reslib::ResourceLibrary>(name)
                                : std::make_unique<reslib::ResourceLibrary>(folder + "/" + name));
        if (!libraries.back()->isLoaded() && error.empty())
            error = std::string(name) + ": " + libraries.back()->errorText();
    }
    return libraries;
}

std::string bankName(int n) {
    return "gif" + std::to_string(n);
}

} // namespace

LoadedPictures loadShowPictures(const std::string& folder) {
    LoadedPictures loaded;
    const Libraries libraries = openLibraries(folder, loaded.error);
    if (!loaded.error.empty())
        return loaded;
    if (const auto movie = libraries[kSkinLibrary]->read("flash1"))
        loaded.movieBytes = movie->size();
    for (int n = 0; n < kBankSize; ++n) {
        for (int library : kBankLibraries) {
            const auto data = libraries[library]->read(bankName(n));
            if (data && !imaging::decodeGif(*data).isNull())
                ++loaded.bankPictures;
            else if (loaded.error.empty())
                loaded.error =
                    std::string(kLibraries[library]) + ": " + bankName(n) + " unreadable";
        }
    }
    for (const char* skin : kSkins) {
        const auto data = libraries[kSkinLibrary]->read(skin);
        if (data && !imaging::decodeJpeg(*data).isNull())
            ++loaded.skins;
        else if (loaded.error.empty())
            loaded.error = std::string("bne1004.so: ") + skin + " unreadable";
    }
    return loaded;
}

RawPictures readShowPictures(const std::string& folder) {
    RawPictures raw;
    const Libraries libraries = openLibraries(folder, raw.error);
    if (!raw.error.empty())
        return raw;
    for (int n = 0; n < kBankSize; ++n) {
        for (int library : kBankLibraries) {
            if (const auto data = libraries[library]->read(bankName(n)))
                raw.gifs.push_back(*data);
        }
    }
    for (const char* skin : kSkins) {
        if (const auto data = libraries[kSkinLibrary]->read(skin))
            raw.jpegs.push_back(*data);
    }
    if (raw.gifs.size() != 4 * kBankSize || raw.jpegs.size() != kSkins.size())
        raw.error = "some pictures are missing from the libraries";
    return raw;
}

int decodeAll(const RawPictures& raw) {
    int nulls = 0;
    for (const QByteArray& gif : raw.gifs)
        nulls += imaging::decodeGif(gif).isNull() ? 1 : 0;
    for (const QByteArray& jpeg : raw.jpegs)
        nulls += imaging::decodeJpeg(jpeg).isNull() ? 1 : 0;
    return nulls;
}

} // namespace bench
