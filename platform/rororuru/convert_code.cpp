// The code-conversion library: turns the timing body of a captured code into
// the URC's code form "I::P:Q:::D". The only export is ConvertCode.
#include "platform/irform/code_form.h"
#include "platform/irform/timing_body.h"

#include <cstdint>
#include <cstring>
#include <exception>
#include <string>

namespace {

// The only conversion the program asks for.
constexpr int32_t kTimingBodyMode = 2;
// Far beyond any capture (10240 characters); longer input is not a capture.
constexpr std::size_t kMaxInput = 1 << 20;

std::string convert(const char* text, int32_t mode) {
    if (text == nullptr || mode != kTimingBodyMode)
        return {};
    const std::size_t length = strnlen(text, kMaxInput + 1);
    if (length == 0 || length > kMaxInput)
        return {};
    const auto signal = irform::parseTimingBody(std::string_view(text, length));
    if (!signal)
        return {};
    const auto form = irform::toCodeFormGuessingCarrier(*signal);
    return form ? irform::convertedText(*form) : std::string();
}

} // namespace

// The result stays valid until the same thread calls ConvertCode again.
extern "C" __attribute__((visibility("default"))) const char* ConvertCode(const char* text,
                                                                          int32_t mode) {
    thread_local std::string result;
    try {
        result = convert(text, mode);
    } catch (const std::exception&) {
        result.clear();
    }
    return result.c_str();
}
