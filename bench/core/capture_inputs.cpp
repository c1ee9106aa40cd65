#include "bench/core/capture_inputs.h"

#include "irform/capture_render.h"
#include "irform/raw_example.h"

namespace bench {

namespace {

constexpr std::size_t kWord = 4;
constexpr std::string_view kFiller = "7FFF";
constexpr int kMarkerFillers = 20;
constexpr std::size_t kLongHeadChars = 3000;

bool isHexWord(std::string_view word) {
    if (word.size() != kWord)
        return false;
    for (char c : word) {
        const bool digit =
            (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f');
        if (!digit)
            return false;
    }
    return true;
}

bool isMark(std::string_view word) {
    return isHexWord(word) && word != kFiller &&
           std::string_view("89ABCDEFabcdef").find(word[0]) != std::string_view::npos;
}

// Word index of the first run of 20 fillers, if any.
std::optional<std::size_t> markerWord(std::string_view data) {
    const std::size_t words = data.size() / kWord;
    int run = 0;
    for (std::size_t w = 0; w < words; ++w) {
        run = data.substr(w * kWord, kWord) == kFiller ? run + 1 : 0;
        if (run == kMarkerFillers)
            return w + 1 - kMarkerFillers;
    }
    return std::nullopt;
}

} // namespace

std::optional<std::string> fitCapture(std::string_view capture, std::size_t length) {
    const std::string_view data = capture.substr(0, capture.find('\0'));
    const auto marker = markerWord(data);
    if (!marker)
        return std::nullopt;
    const std::size_t markerAt = *marker * kWord;
    if (data.size() < markerAt + kMarkerAndCarrierLength || length < kMarkerAndCarrierLength)
        return std::nullopt;
    std::size_t keep = std::min(*marker, (length - kMarkerAndCarrierLength) / kWord);
    // Ending on a mark; and from 3000 characters on an odd number of words,
    // since cutting such a capture keeps an odd number of words and an even
    // count would lose its last mark.
    auto fits = [&data](std::size_t words) {
        const bool oddNeeded = words * kWord >= kLongHeadChars;
        return (!oddNeeded || words % 2 == 1) && isMark(data.substr((words - 1) * kWord, kWord));
    };
    while (keep > 0 && !fits(keep))
        --keep;
    if (keep == 0)
        return std::nullopt;
    std::string fitted(data.substr(0, keep * kWord));
    fitted += data.substr(markerAt, kMarkerAndCarrierLength);
    return fitted;
}

std::string padToBuffer(std::string data) {
    if (data.size() < kCaptureBufferLength)
        data.resize(kCaptureBufferLength, '\0');
    return data;
}

std::optional<std::string> shortWordCapture(std::size_t length) {
    if (length < kMarkerAndCarrierLength + kWord)
        return std::nullopt;
    std::size_t words = (length - kMarkerAndCarrierLength) / kWord;
    if (words % 2 == 0)
        --words; // mark, space, ..., mark
    std::string text;
    text.reserve(words * kWord + kMarkerAndCarrierLength);
    // 600 units (200 us) marks and spaces, a few units apart so that no two
    // neighbouring words are alike.
    for (std::size_t w = 0; w < words; ++w) {
        const unsigned units = 0x0258 + (w % 7);
        const unsigned word = w % 2 == 0 ? 0x8000 | units : units;
        static constexpr char kDigits[] = "0123456789ABCDEF";
        for (int shift = 12; shift >= 0; shift -= 4)
            text += kDigits[(word >> shift) & 0xF];
    }
    for (int i = 0; i < kMarkerFillers; ++i)
        text += kFiller;
    text += irform::carrierWords(38000);
    return text;
}

std::optional<std::string> heldKeyCapture(std::size_t length) {
    constexpr uint32_t kFrameGapUs = 100000; // short of the 218 ms that ends a capture
    irform::Signal held;
    for (uint32_t seed = 1; seed <= 64; ++seed) {
        const irform::Signal frame = irform::rawExampleSignal(seed);
        held.carrierHz = frame.carrierHz;
        held.durations.insert(held.durations.end(), frame.durations.begin(), frame.durations.end());
        // Raw examples end on a long space; between frames of a held key it is shorter.
        held.durations.back() = kFrameGapUs;
    }
    held.durations.back() = 1000000; // released: the last silence ends the capture
    return fitCapture(irform::renderCapture(held), length);
}

} // namespace bench
