#include "app/picture_decoder.h"

#include "app/layout_picture_decoding.h"
#include "app/resource_pictures.h"
#include "keypanel/core/key_table.h"
#include "platform/imaging/gif_codec.h"
#include "platform/imaging/jpeg_codec.h"
#include "platform/reslib/resource_library.h"

#include <QCoreApplication>

#include <array>
#include <atomic>
#include <system_error>

namespace {

namespace rp = resourcepictures;

std::atomic<PictureDecoder*> runningDecoder{nullptr};

using PictureBytes = std::vector<std::optional<QByteArray>>;

// The layout pictures in the order the splash and the window are built.
std::vector<std::string> layoutPictureNames() {
    std::vector<std::string> names = {"splash",        "background",        "learn_start",
                                      "learn_stop",    "icon_help",         "icon_update",
                                      "icon_exit",     "hint_idle_learned", "hint_learning",
                                      "hint_deleting", "hint_idle",         "urc"};
    for (const auto& key : keypanel::kKeyTable)
        names.push_back("key_" + std::string(key.code));
    return names;
}

std::string layoutKey(const std::string& name) {
    return "layout:" + name;
}

std::string resourceKey(const char* library, const std::string& name) {
    return "resource:" + std::string(library) + "/" + name;
}

std::string bankPictureName(int n) {
    return "gif" + std::to_string(n);
}

// The pictures the show handling reads from library number `library` of the
// load order: a bank's gif0 to gif167, or the skins.
std::vector<std::string> pictureNames(int library) {
    if (library == rp::kBne)
        return {rp::kSkins.begin(), rp::kSkins.end()};
    std::vector<std::string> names;
    for (int n = 0; n < keypanel::kBankSize; ++n)
        names.push_back(bankPictureName(n));
    return names;
}

// The bytes of one library's pictures (nothing for a missing picture), or
// nothing when the library does not load. The library is unloaded before this
// returns: holding it would make the show handling's own load get this very
// library back, whatever was removed or put in its place in between.
std::optional<PictureBytes> copyPictures(const QString& folder, const char* library,
                                         const std::vector<std::string>& names) {
    const auto loaded = rp::openLibrary(folder, library);
    if (!loaded->isLoaded())
        return std::nullopt;
    PictureBytes bytes;
    bytes.reserve(names.size());
    for (const auto& name : names)
        bytes.push_back(loaded->read(name));
    return bytes;
}

} // namespace

PictureDecoder::PictureDecoder(const QString& resourceFolder) : resourceFolder_(resourceFolder) {
    // Before the application object exists the window system's set-up may
    // still change the environment, which libjpeg reads on the thread:
    // nothing is decoded ahead then, the window decodes everything itself.
    if (QCoreApplication::instance() != nullptr)
        start();
    runningDecoder = this;
}

void PictureDecoder::start() {
    for (const auto& name : layoutPictureNames())
        pending_.emplace(layoutKey(name), Entry{});
    for (int n = 0; n < keypanel::kBankSize; ++n)
        for (const auto& bank : rp::kBanks)
            pending_.emplace(resourceKey(rp::kLibraries[bank.library], bankPictureName(n)),
                             Entry{});
    for (const char* skin : rp::kSkins)
        pending_.emplace(resourceKey(rp::kLibraries[rp::kBne], skin), Entry{});
    try {
        thread_ = std::thread([this] { decodeAll(); });
    } catch (const std::system_error&) {
        pending_.clear(); // no thread: the window decodes everything itself
    }
}

PictureDecoder::~PictureDecoder() {
    PictureDecoder* self = this;
    runningDecoder.compare_exchange_strong(self, nullptr);
    {
        const std::lock_guard lock(mutex_);
        stop_ = true;
    }
    if (thread_.joinable())
        thread_.join();
}

PictureDecoder* PictureDecoder::running() {
    return runningDecoder.load();
}

bool PictureDecoder::stopping() {
    const std::lock_guard lock(mutex_);
    return stop_;
}

void PictureDecoder::decodeAll() {
    try {
        decodeLayoutPictures();
        decodeResourcePictures();
    } catch (...) {
        // Whatever was not decoded here is decoded by the window.
    }
    // Pictures never decoded here are no longer waited for.
    const std::lock_guard lock(mutex_);
    std::erase_if(pending_, [](const auto& entry) { return !entry.second.decoded.has_value(); });
    published_.notify_all();
}

void PictureDecoder::decodeLayoutPictures() {
    for (const auto& name : layoutPictureNames()) {
        if (stopping())
            return;
        if (begin(layoutKey(name))) // not left to the window
            publish(layoutKey(name), {QByteArray(), decodeLayoutPicture(name)});
    }
}

// In LoadSkins' order, and only as far as it goes: it stops at the first
// missing or unreadable bank picture. The bytes are copied out of all five
// libraries first, each unloaded as soon as its copy is made.
void PictureDecoder::decodeResourcePictures() {
    std::array<PictureBytes, rp::kLibraries.size()> copies;
    for (std::size_t library = 0; library < rp::kLibraries.size(); ++library) {
        if (stopping())
            return;
        auto bytes = copyPictures(resourceFolder_, rp::kLibraries[library],
                                  pictureNames(static_cast<int>(library)));
        if (!bytes)
            return;
        copies[library] = std::move(*bytes);
    }
    for (int n = 0; n < keypanel::kBankSize; ++n) {
        for (const auto& bank : rp::kBanks) {
            if (stopping())
                return;
            auto& data = copies[bank.library][n];
            if (!data)
                return;
            QImage image = imaging::decodeGif(*data);
            const bool readable = !image.isNull();
            publish(resourceKey(rp::kLibraries[bank.library], bankPictureName(n)),
                    {std::move(*data), std::move(image)});
            if (!readable)
                return;
        }
    }
    for (std::size_t skin = 0; skin < rp::kSkins.size(); ++skin) {
        if (stopping())
            return;
        auto& data = copies[rp::kBne][skin];
        if (!data)
            return;
        QImage image = imaging::decodeJpeg(*data);
        publish(resourceKey(rp::kLibraries[rp::kBne], rp::kSkins[skin]),
                {std::move(*data), std::move(image)});
    }
}

bool PictureDecoder::begin(const std::string& key) {
    const std::lock_guard lock(mutex_);
    const auto entry = pending_.find(key);
    if (entry == pending_.end())
        return false;
    entry->second.begun = true;
    return true;
}

void PictureDecoder::publish(const std::string& key, Decoded decoded) {
    const std::lock_guard lock(mutex_);
    const auto entry = pending_.find(key);
    if (entry != pending_.end())
        entry->second.decoded = std::move(decoded);
    published_.notify_all();
}

std::optional<PictureDecoder::Decoded> PictureDecoder::take(const std::string& key,
                                                            bool leaveUnbegun) {
    std::unique_lock lock(mutex_);
    auto entry = pending_.find(key);
    if (leaveUnbegun && entry != pending_.end() && !entry->second.begun) {
        pending_.erase(entry); // the caller decodes it, the thread passes it over
        return std::nullopt;
    }
    published_.wait(lock, [&] {
        entry = pending_.find(key);
        return entry == pending_.end() || entry->second.decoded.has_value();
    });
    if (entry == pending_.end())
        return std::nullopt;
    Decoded decoded = std::move(*entry->second.decoded);
    pending_.erase(entry);
    return decoded;
}

std::optional<QImage> PictureDecoder::takeLayoutPicture(const QString& name) {
    auto decoded = take(layoutKey(name.toStdString()), true);
    if (!decoded)
        return std::nullopt;
    return decoded->image;
}

std::optional<QImage> PictureDecoder::takeResourcePicture(const char* library,
                                                          const std::string& name,
                                                          const QByteArray& data) {
    auto decoded = take(resourceKey(library, name), false);
    if (!decoded || decoded->data != data)
        return std::nullopt;
    return decoded->image;
}
