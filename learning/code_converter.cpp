#include "learning/code_converter.h"

#include <algorithm>
#include <cstring>
#include <dlfcn.h>
#include <filesystem>
#include <system_error>

namespace learning {
namespace {

using ConvertFunction = const char* (*)(const char*, int32_t);
using ConvertAtCarrierFunction = const char* (*)(const char*, int32_t, int32_t);

// A converted code is a few hundred characters; anything longer than this is
// not a converted code, and reading stops there rather than running on.
constexpr std::size_t kMaxResultLength = 1 << 20;

std::filesystem::path programFolder() {
    std::error_code error;
    const auto program = std::filesystem::read_symlink("/proc/self/exe", error);
    return error ? std::filesystem::path() : program.parent_path();
}

void* openLibrary(const std::string& libraryFile) {
    // A name with a folder in it is taken as given.
    if (libraryFile.find('/') != std::string::npos)
        return dlopen(libraryFile.c_str(), RTLD_NOW | RTLD_LOCAL);
    const auto folder = programFolder();
    if (!folder.empty()) {
        const auto besideProgram = (folder / libraryFile).string();
        if (void* handle = dlopen(besideProgram.c_str(), RTLD_NOW | RTLD_LOCAL))
            return handle;
    }
    return dlopen(libraryFile.c_str(), RTLD_NOW | RTLD_LOCAL);
}

// The library owns the text it returns; it is copied at once.
std::string copied(const char* result) {
    if (result == nullptr)
        return {};
    return std::string(result, strnlen(result, kMaxResultLength));
}

// carrierKhz < 0: the caller has no carrier to give.
std::string convertWith(const std::string& timingBody, int carrierKhz,
                        const std::string& libraryFile) {
    void* library = openLibrary(libraryFile);
    if (library == nullptr)
        return {};
    const auto convert = reinterpret_cast<ConvertFunction>(dlsym(library, "ConvertCode"));
    if (convert == nullptr) {
        dlclose(library);
        return {};
    }
    const auto atCarrier =
        reinterpret_cast<ConvertAtCarrierFunction>(dlsym(library, "ConvertCodeAtCarrier"));
    if (carrierKhz >= 0 && atCarrier != nullptr)
        return copied(atCarrier(timingBody.c_str(), kConvertTimingBody, carrierKhz * 1000));
    return copied(convert(timingBody.c_str(), kConvertTimingBody));
}

} // namespace

std::string ConvertCode(const std::string& timingBody, const std::string& libraryFile) {
    return convertWith(timingBody, -1, libraryFile);
}

std::string ConvertCodeAtCarrier(const std::string& timingBody, int carrierKhz,
                                 const std::string& libraryFile) {
    return convertWith(timingBody, std::max(carrierKhz, 0), libraryFile);
}

} // namespace learning
