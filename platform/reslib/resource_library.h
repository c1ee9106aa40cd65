#pragma once
// A resource-only library loaded by file name: from the program's own folder
// first, then through the system's library search. It is unloaded when the
// object goes, so spans it handed out must not outlive it.
#include "platform/reslib/resource_abi.h"

#include <QByteArray>
#include <cstdint>
#include <optional>
#include <span>
#include <string>

namespace reslib {

inline constexpr int kRawData = QZT_RESOURCE_RAW_DATA;

// The folder holding the running program (that of /proc/self/exe); empty if
// it cannot be read.
std::string programFolder();

class ResourceLibrary {
public:
    // fileName like "one1004.so". A name with a "/" is loaded from that path
    // only; otherwise firstFolder (the program's folder when omitted) is
    // tried first and the system's library search after it.
    explicit ResourceLibrary(const std::string& fileName);
    ResourceLibrary(const std::string& fileName, const std::string& firstFolder);
    ~ResourceLibrary();
    ResourceLibrary(const ResourceLibrary&) = delete;
    ResourceLibrary& operator=(const ResourceLibrary&) = delete;
    ResourceLibrary(ResourceLibrary&& other) noexcept;
    ResourceLibrary& operator=(ResourceLibrary&& other) noexcept;

    bool isLoaded() const { return find_ != nullptr; }
    // Why loading or the last lookup failed; empty when nothing failed.
    const std::string& errorText() const { return error_; }
    const std::string& fileName() const { return fileName_; }

    // The resource's bytes inside the loaded library, or nothing.
    std::optional<std::span<const std::uint8_t>> find(int type, const std::string& name) const;
    // A copy of the resource's bytes that outlives the library, or nothing.
    std::optional<QByteArray> read(const std::string& name, int type = kRawData) const;

    void unload();

private:
    void load(const std::string& firstFolder);

    std::string fileName_;
    void* handle_ = nullptr;
    qzt_find_resource_fn find_ = nullptr;
    mutable std::string error_;
};

} // namespace reslib
