#include "learning/code_converter.h"

#include <cstring>
#include <dlfcn.h>
#include <filesystem>
#include <system_error>

namespace learning {
namespace {

using ConvertFunction = const char* (*)(const char*, int32_t);

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

} // namespace

std::string ConvertCode(const std::string& timingBody, const std::string& libraryFile) {
    void* library = openLibrary(libraryFile);
    if (library == nullptr)
        return {};
    const auto convert = reinterpret_cast<ConvertFunction>(dlsym(library, "ConvertCode"));
    if (convert == nullptr) {
        dlclose(library);
        return {};
    }
    // The library owns the text it returns; it is copied at once.
    const char* result = convert(timingBody.c_str(), kConvertTimingBody);
    if (result == nullptr)
        return {};
    return std::string(result, strnlen(result, kMaxResultLength));
}

} // namespace learning
