// Fuzz entry: the conversion library's input. The bytes up to the first zero
// are the zero-terminated text the program hands to ConvertCode, which is
// called through the shared library's export as the program calls it.
#include "fuzz/oracles.h"

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

extern "C" const char* ConvertCode(const char* text, int32_t mode);

namespace {
// The only mode the program uses; others must give an empty result.
constexpr int32_t kTimingBodyMode = 2;
constexpr std::size_t kMaxResult = 1 << 20;
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    const char* converted = ConvertCode(text.c_str(), kTimingBodyMode);
    if (converted == nullptr)
        fuzzcheck::stopOnProblem("ConvertCode returned no text", size);
    const std::size_t length = strnlen(converted, kMaxResult + 1);
    if (length > kMaxResult)
        fuzzcheck::stopOnProblem("ConvertCode's result has no end within 1 MiB", size);
    fuzzcheck::stopOnProblem(fuzzcheck::checkConverted(std::string(converted, length)), size);

    const char* otherMode = ConvertCode(text.c_str(), kTimingBodyMode + 1);
    if (otherMode == nullptr || otherMode[0] != '\0')
        fuzzcheck::stopOnProblem("ConvertCode answered a mode the library does not have", size);
    return 0;
}
