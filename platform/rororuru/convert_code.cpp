// The code-conversion library: turns the timing body of a captured code into
// the URC's code form "I::P:Q:::D". Two exports: ConvertCode, which knows
// nothing of the carrier (the body does not hold it), and
// ConvertCodeAtCarrier, which is also given the carrier the URC measured.
#include "irform/code_form.h"
#include "irform/timing_body.h"

#include <cstdint>
#include <cstring>
#include <exception>
#include <string>

namespace {

// The only conversion the program asks for.
constexpr int32_t kTimingBodyMode = 2;
// Far beyond any capture (10240 characters); longer input is not a capture.
constexpr std::size_t kMaxInput = 1 << 20;

// carrierHz 0: not measured. Then every form is tried and a raw code gets the
// carrier its shape suggests; otherwise only the forms whose carrier fits it
// (irform::carrierFits) are tried and a raw code keeps it.
std::string convert(const char* text, int32_t mode, int32_t carrierHz) {
    if (text == nullptr || mode != kTimingBodyMode || carrierHz < 0)
        return {};
    const std::size_t length = strnlen(text, kMaxInput + 1);
    if (length == 0 || length > kMaxInput)
        return {};
    auto signal = irform::parseTimingBody(std::string_view(text, length));
    if (!signal)
        return {};
    if (carrierHz == 0) {
        const auto form = irform::toCodeFormGuessingCarrier(*signal);
        return form ? irform::convertedText(*form) : std::string();
    }
    signal->carrierHz = carrierHz;
    const auto form = irform::toCodeForm(*signal);
    return form ? irform::convertedText(*form) : std::string();
}

const char* convertKept(const char* text, int32_t mode, int32_t carrierHz) {
    thread_local std::string result;
    try {
        result = convert(text, mode, carrierHz);
    } catch (const std::exception&) {
        result.clear();
    }
    return result.c_str();
}

} // namespace

// The result stays valid until the same thread calls either export again.
extern "C" __attribute__((visibility("default"))) const char* ConvertCode(const char* text,
                                                                          int32_t mode) {
    return convertKept(text, mode, 0);
}

// carrierHz: the carrier in Hz, 0 when it was not measured. An empty result
// for a carrier that a raw code cannot keep (above 255 kHz).
extern "C" __attribute__((visibility("default"))) const char*
ConvertCodeAtCarrier(const char* text, int32_t mode, int32_t carrierHz) {
    return convertKept(text, mode, carrierHz);
}
