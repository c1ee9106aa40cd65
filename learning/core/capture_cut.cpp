#include "device/core/hex_text.h"
#include "irform/capture_text.h"
#include "learning/core/capture_text.h"

#include <algorithm>
#include <functional>

namespace learning {
namespace {

namespace capturetext = irform::capturetext;
constexpr std::size_t kWord = capturetext::kWordDigits;
constexpr std::size_t kMarkerLength = capturetext::kEndMarkerFillers * kWord;
constexpr std::size_t kTailLength = capturetext::kTailDigits;
constexpr std::size_t kLongHead = 3000;

const std::string& endMarker() {
    static const std::string marker = [] {
        std::string m;
        for (std::size_t i = 0; i < capturetext::kEndMarkerFillers; ++i)
            m += capturetext::kFiller;
        return m;
    }();
    return marker;
}

// The carrier words end the device's data: the zero fill of its buffer that
// may follow them within the tail is no part of it.
std::string_view withoutZeroFill(std::string_view tail) {
    const std::size_t zero = tail.find('\0');
    return zero == std::string_view::npos ? tail : tail.substr(0, zero);
}

bool startsWithSpaceDigit(std::string_view word) {
    const auto digit = device::parseHex(word.substr(0, 1));
    return digit && *digit < 8;
}

} // namespace

std::string CutAtEndMarker(std::string_view capture) {
    // The marker is searched for in the whole capture: a zero character is
    // not the end of the data (a transfer may leave one inside it), the
    // marker is.
    const std::string_view data = capture;
    // Captures hold runs of fillers that begin the marker many times over; a
    // Boyer-Moore-Horspool search skips them instead of re-comparing each.
    static const std::boyer_moore_horspool_searcher searcher(endMarker().begin(),
                                                             endMarker().end());
    const auto found = std::search(data.begin(), data.end(), searcher);
    if (found == data.end())
        return "0000";
    const std::size_t marker = static_cast<std::size_t>(found - data.begin());
    // marker is the 1-based position p less one.
    std::size_t headLength = marker;
    if (marker + 1 > kLongHead) {
        std::size_t words = marker / kWord;
        if (words % 2 == 0)
            --words;
        headLength = words * kWord;
    }
    std::string head(data.substr(0, headLength));
    if (head.size() >= kWord && startsWithSpaceDigit(head.substr(head.size() - kWord)))
        head.resize(head.size() - (kWord - 1));
    return head + std::string(withoutZeroFill(data.substr(marker, kTailLength)));
}

} // namespace learning
