#pragma once
// The image file: exactly the 65,536 bytes of the URC's memory, address 0
// first, so that any tool can craft or inspect one.
#include "urcmem/urc_memory.h"

#include <optional>
#include <string>

namespace urcmem {

struct LoadedImage {
    std::optional<Memory> memory; // set on success
    std::string error;            // a sentence for a person otherwise
};

LoadedImage loadImage(const std::string& path);

// Replaces the file atomically (wholefiles::replaceFile, a new image readable by
// its owner only): a crash or a full disk leaves either the old or the new
// image, never a torn one. nullopt on success, else the reason.
std::optional<std::string> saveImage(const Memory& memory, const std::string& path);

} // namespace urcmem
