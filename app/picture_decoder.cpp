#include "app/picture_decoder.h"

#include "app/layout_pictures.h"
#include "app/resource_pictures.h"
#include "keypanel/core/key_table.h"
#include "platform/imaging/gif_codec.h"
#include "platform/imaging/jpeg_codec.h"
#include "platform/reslib/resource_library.h"

#include <atomic>
#include <system_error>

namespace {

namespace rp = resourcepictures;

std::atomic<PictureDecoder*> runningDecoder{nullptr};

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

} // namespace

PictureDecoder::PictureDecoder(const QString& resourceFolder) : resourceFolder_(resourceFolder) {
    for (const auto& name : layoutPictureNames())
        pending_.emplace(layoutKey(name), std::nullopt);
    for (int n = 0; n < keypanel::kBankSize; ++n)
        for (const auto& bank : rp::kBanks)
            pending_.emplace(resourceKey(rp::kLibraries[bank.library], bankPictureName(n)),
                             std::nullopt);
    for (const char* skin : rp::kSkins)
        pending_.emplace(resourceKey(rp::kLibraries[rp::kBne], skin), std::nullopt);
    try {
        thread_ = std::thread([this] { decodeAll(); });
    } catch (const std::system_error&) {
        pending_.clear(); // no thread: the window decodes everything itself
    }
    runningDecoder = this;
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
    std::erase_if(pending_, [](const auto& entry) { return !entry.second.has_value(); });
    published_.notify_all();
}

void PictureDecoder::decodeLayoutPictures() {
    for (const auto& name : layoutPictureNames()) {
        if (stopping())
            return;
        publish(layoutKey(name), {QByteArray(), decodeLayoutPicture(name)});
    }
}

// In LoadSkins' order, and only as far as it goes: it stops at the first
// missing or unreadable bank picture.
void PictureDecoder::decodeResourcePictures() {
    for (const char* name : rp::kLibraries) {
        libraries_.push_back(rp::openLibrary(resourceFolder_, name));
        if (!libraries_.back()->isLoaded())
            return;
    }
    for (int n = 0; n < keypanel::kBankSize; ++n) {
        for (const auto& bank : rp::kBanks) {
            if (stopping())
                return;
            const std::string name = bankPictureName(n);
            auto data = libraries_[bank.library]->read(name);
            if (!data)
                return;
            QImage image = imaging::decodeGif(*data);
            const bool readable = !image.isNull();
            publish(resourceKey(rp::kLibraries[bank.library], name),
                    {std::move(*data), std::move(image)});
            if (!readable)
                return;
        }
    }
    for (const char* skin : rp::kSkins) {
        if (stopping())
            return;
        auto data = libraries_[rp::kBne]->read(skin);
        if (!data)
            return;
        QImage image = imaging::decodeJpeg(*data);
        publish(resourceKey(rp::kLibraries[rp::kBne], skin), {std::move(*data), std::move(image)});
    }
}

void PictureDecoder::publish(const std::string& key, Decoded decoded) {
    const std::lock_guard lock(mutex_);
    const auto entry = pending_.find(key);
    if (entry != pending_.end())
        entry->second = std::move(decoded);
    published_.notify_all();
}

std::optional<PictureDecoder::Decoded> PictureDecoder::take(const std::string& key) {
    std::unique_lock lock(mutex_);
    auto entry = pending_.find(key);
    published_.wait(lock, [&] {
        entry = pending_.find(key);
        return entry == pending_.end() || entry->second.has_value();
    });
    if (entry == pending_.end())
        return std::nullopt;
    Decoded decoded = std::move(*entry->second);
    pending_.erase(entry);
    return decoded;
}

std::optional<QImage> PictureDecoder::takeLayoutPicture(const QString& name) {
    auto decoded = take(layoutKey(name.toStdString()));
    if (!decoded)
        return std::nullopt;
    return decoded->image;
}

std::optional<QImage> PictureDecoder::takeResourcePicture(const char* library,
                                                          const std::string& name,
                                                          const QByteArray& data) {
    auto decoded = take(resourceKey(library, name));
    if (!decoded || decoded->data != data)
        return std::nullopt;
    return decoded->image;
}
