// Loading the key pictures, the skins and the learning animation from the
// five resource-only libraries.
#include "app/maintarnvik.h"

#include "app/picture_decoder.h"
#include "app/resource_pictures.h"
#include "keypanel/core/key_table.h"
#include "platform/imaging/gif_codec.h"
#include "platform/imaging/jpeg_codec.h"
#include "platform/reslib/resource_library.h"
#include "platform/winsys/fixed_files.h"

#include <QFile>
#include <array>

namespace rp = resourcepictures;

namespace {

// A picture of a resource library: the one decoded ahead from these very
// bytes, or decoded here.
QImage resourcePicture(const char* library, const std::string& name, const QByteArray& data,
                       QImage (*decode)(const QByteArray&)) {
    if (PictureDecoder* decoder = PictureDecoder::running())
        if (auto ahead = decoder->takeResourcePicture(library, name, data))
            return *ahead;
    return decode(data);
}

} // namespace

std::unique_ptr<reslib::ResourceLibrary> rp::openLibrary(const QString& folder, const char* name) {
    if (folder.isEmpty())
        return std::make_unique<reslib::ResourceLibrary>(name);
    // A folder given by a test is the only place looked at.
    return std::make_unique<reslib::ResourceLibrary>(
        QFile::encodeName(folder + QLatin1Char('/') + QLatin1String(name)).toStdString());
}

QString Tmaintarnvik::animationFile() {
    const auto path = winsys::fixedFilePath(QStringLiteral("888.swf"));
    return path.value_or(QString());
}

std::unique_ptr<reslib::ResourceLibrary> Tmaintarnvik::openResourceLibrary(const char* name) const {
    return rp::openLibrary(resourceFolder, name);
}

void Tmaintarnvik::writeAnimationFile(const reslib::ResourceLibrary& skinLibrary) {
    const QString path = animationFile();
    if (path.isEmpty())
        return;
    if (QFile::exists(path))
        QFile::remove(path);
    // Without the movie the program runs without an animation; nothing to say.
    if (const auto movie = skinLibrary.read("flash1"))
        winsys::writeFileAtomically(path, *movie);
}

bool Tmaintarnvik::LoadSkins() {
    std::vector<std::unique_ptr<reslib::ResourceLibrary>> libraries;
    bool allLoaded = true;
    for (const char* name : rp::kLibraries) {
        libraries.push_back(openResourceLibrary(name));
        allLoaded = allLoaded && libraries.back()->isLoaded();
    }
    if (!allLoaded)
        return false;

    writeAnimationFile(*libraries[rp::kBne]);

    for (int n = 0; n < keypanel::kBankSize; ++n) {
        for (const rp::Bank& bank : rp::kBanks)
            KeyPictures.create(bank.base + n);
        const std::string name = "gif" + std::to_string(n);
        for (const rp::Bank& bank : rp::kBanks) {
            const auto data = libraries[bank.library]->read(name);
            const QImage picture = data ? resourcePicture(rp::kLibraries[bank.library], name, *data,
                                                          imaging::decodeGif)
                                        : QImage();
            if (picture.isNull())
                return false;
            KeyPictures.set(bank.base + n, picture);
        }
    }

    const reslib::ResourceLibrary& skinLibrary = *libraries[rp::kBne];
    auto skin = [&skinLibrary](const char* name) {
        const auto data = skinLibrary.read(name);
        if (!data)
            throw MissingResource(QStringLiteral("Resource %1 not found").arg(QLatin1String(name)));
        const QImage picture =
            resourcePicture(rp::kLibraries[rp::kBne], name, *data, imaging::decodeJpeg);
        if (picture.isNull())
            throw MissingResource(QStringLiteral("Resource %1 is not a readable JPEG picture")
                                      .arg(QLatin1String(name)));
        return picture;
    };
    skins.jpgred = skin("jpgred");
    skins.jpgblue = skin("jpgblue");
    skins.jpggreen = skin("jpggreen");
    skins.gifkolvar = skin("gifkolvar");
    skins.jpgjingtai = skin("jpgjingtai");
    skins.stopdelete = skin("stopdelete");
    skins.deletehui = skin("deletehui");
    skins.delete_ = skin("delete");
    skins.clear = skin("clear");
    skins.clearhui = skin("clearhui");
    return true; // the libraries are unloaded as they go out of scope
}
