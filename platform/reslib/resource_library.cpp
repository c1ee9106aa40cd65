#include "platform/reslib/resource_library.h"

#include <dlfcn.h>
#include <unistd.h>

#include <climits>
#include <utility>

namespace reslib {
namespace {

std::string lastDlError() {
    const char* text = dlerror();
    return text ? text : "unknown error";
}

bool fileExists(const std::string& path) {
    return access(path.c_str(), F_OK) == 0;
}

} // namespace

std::string programFolder() {
    char path[PATH_MAX];
    const ssize_t length = readlink("/proc/self/exe", path, sizeof path - 1);
    if (length <= 0)
        return {};
    std::string exe(path, static_cast<std::size_t>(length));
    const auto slash = exe.rfind('/');
    return slash == std::string::npos ? std::string() : exe.substr(0, slash == 0 ? 1 : slash);
}

ResourceLibrary::ResourceLibrary(const std::string& fileName) : fileName_(fileName) {
    load(programFolder());
}

ResourceLibrary::ResourceLibrary(const std::string& fileName, const std::string& firstFolder)
    : fileName_(fileName) {
    load(firstFolder);
}

ResourceLibrary::~ResourceLibrary() {
    unload();
}

ResourceLibrary::ResourceLibrary(ResourceLibrary&& other) noexcept
    : fileName_(std::move(other.fileName_)), handle_(std::exchange(other.handle_, nullptr)),
      find_(std::exchange(other.find_, nullptr)), error_(std::move(other.error_)) {}

ResourceLibrary& ResourceLibrary::operator=(ResourceLibrary&& other) noexcept {
    if (this != &other) {
        unload();
        fileName_ = std::move(other.fileName_);
        handle_ = std::exchange(other.handle_, nullptr);
        find_ = std::exchange(other.find_, nullptr);
        error_ = std::move(other.error_);
    }
    return *this;
}

void ResourceLibrary::load(const std::string& firstFolder) {
    if (fileName_.empty()) {
        error_ = "no resource library name given";
        return;
    }
    std::string target = fileName_;
    // A copy beside the program wins over anything the system would find; a
    // broken copy there is reported rather than silently replaced.
    if (fileName_.find('/') == std::string::npos && !firstFolder.empty() &&
        fileExists(firstFolder + "/" + fileName_))
        target = firstFolder + "/" + fileName_;
    dlerror();
    handle_ = dlopen(target.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (handle_ == nullptr) {
        error_ = "cannot load resource library " + fileName_ + ": " + lastDlError();
        return;
    }
    dlerror();
    void* symbol = dlsym(handle_, QZT_FIND_RESOURCE_SYMBOL);
    if (symbol == nullptr) {
        error_ = fileName_ + " is not a resource library (no " QZT_FIND_RESOURCE_SYMBOL ")";
        unload();
        return;
    }
    find_ = reinterpret_cast<qzt_find_resource_fn>(symbol);
    error_.clear();
}

void ResourceLibrary::unload() {
    find_ = nullptr;
    if (handle_ != nullptr) {
        dlclose(handle_);
        handle_ = nullptr;
    }
}

std::optional<std::span<const std::uint8_t>> ResourceLibrary::find(int type,
                                                                   const std::string& name) const {
    if (!isLoaded()) {
        error_ = "resource library " + fileName_ + " is not loaded";
        return std::nullopt;
    }
    const unsigned char* data = nullptr;
    unsigned long size = 0;
    if (find_(type, name.c_str(), &data, &size) != 1 || (data == nullptr && size != 0)) {
        error_ = "resource " + name + " not found in " + fileName_;
        return std::nullopt;
    }
    error_.clear();
    return std::span<const std::uint8_t>(data, static_cast<std::size_t>(size));
}

std::optional<QByteArray> ResourceLibrary::read(const std::string& name, int type) const {
    const auto bytes = find(type, name);
    if (!bytes)
        return std::nullopt;
    return QByteArray(reinterpret_cast<const char*>(bytes->data()),
                      static_cast<qsizetype>(bytes->size()));
}

} // namespace reslib
