#include "irform/capture_render.h"

#include "irform/protocols.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <random>

namespace irform {
namespace {

std::string word(uint32_t value) {
    char text[8];
    std::snprintf(text, sizeof text, "%04X", static_cast<unsigned>(value & 0xFFFF));
    return text;
}

// One mark word, or a filler joined to a mark word: at most 2 x 0x7FFF units.
std::string markPiece(uint32_t units) {
    if (units <= kFillerUnits)
        return word(capturetext::kMarkBit | units);
    return word(kFillerUnits) + word(capturetext::kMarkBit | (units - kFillerUnits));
}

// A mark longer than one piece goes on after a zero space word, which no
// receiver could see inside a real signal; the conversion side joins it.
std::string markWords(uint32_t us) {
    uint64_t units = (uint64_t{us} + kReceiverStretchUs) * kUnitsPerUs;
    std::string words;
    while (units > kLongMarkPieceUnits) {
        words += markPiece(kLongMarkPieceUnits) + word(0);
        units -= kLongMarkPieceUnits;
    }
    return words + markPiece(static_cast<uint32_t>(units));
}

// Empty when the space is long enough to end the capture.
std::string spaceWords(uint32_t us) {
    const uint32_t units = us > kReceiverStretchUs ? (us - kReceiverStretchUs) * kUnitsPerUs : 0;
    const uint32_t fillers = units / kFillerUnits;
    if (fillers >= kEndMarkerFillers)
        return {};
    std::string words;
    for (uint32_t i = 0; i < fillers; ++i)
        words += word(kFillerUnits);
    return words + word(units % kFillerUnits);
}

std::string endMarker() {
    std::string marker;
    for (int i = 0; i < kEndMarkerFillers; ++i)
        marker += word(kFillerUnits);
    return marker;
}

} // namespace

std::string carrierWords(int carrierHz) {
    const int khz = std::clamp((carrierHz + 500) / 1000, 1, 9000);
    // Trunc(9000 / s) == khz for s = 9000 div khz up to 94 kHz; past that the
    // division is close enough. Three bytes hold at most 765.
    const int s = std::clamp(9000 / khz, 1, 765);
    const int a = (s + 2) / 3;
    const int b = (s - a + 1) / 2;
    const int c = s - a - b;
    return word(static_cast<uint32_t>(a << 8 | b)) + word(static_cast<uint32_t>(c << 8));
}

std::string renderCapture(const Signal& signal) {
    const std::size_t tailLength = capturetext::kTailDigits;
    std::string body;
    std::size_t lastMarkEnd = 0;
    const auto& d = signal.durations;
    for (std::size_t i = 0; i < d.size(); ++i) {
        const bool mark = i % 2 == 0;
        // The final space is the silence that the end marker stands for.
        if (!mark && i + 1 == d.size())
            break;
        const std::string words = mark ? markWords(d[i]) : spaceWords(d[i]);
        if (words.empty() || body.size() + words.size() + tailLength > kCaptureCapacity)
            break;
        body += words;
        if (mark)
            lastMarkEnd = body.size();
    }
    // The marker must follow a mark, as the URC's silence detector sees it.
    body.resize(lastMarkEnd);
    return body + endMarker() + carrierWords(signal.carrierHz);
}

std::size_t captureLength(const Signal& signal) {
    std::size_t body = 0, lastMarkEnd = 0;
    const auto& d = signal.durations;
    for (std::size_t i = 0; i < d.size(); ++i) {
        const bool mark = i % 2 == 0;
        if (!mark && i + 1 == d.size())
            break;
        const std::size_t words = mark ? markWords(d[i]).size() : spaceWords(d[i]).size();
        if (words == 0)
            break;
        body += words;
        if (mark)
            lastMarkEnd = body;
    }
    return lastMarkEnd + capturetext::kTailDigits;
}

Signal asReceived(const Signal& signal, const ReceiverModel& model) {
    Signal received = signal;
    std::mt19937 random(model.seed);
    std::uniform_real_distribution<double> jitter(-model.jitterPercent / 100,
                                                  model.jitterPercent / 100);
    for (std::size_t i = 0; i < received.durations.size(); ++i) {
        const double us = received.durations[i];
        const double shifted = i % 2 == 0 ? us + model.delayUs : us - model.delayUs;
        const double off = model.jitterPercent > 0 ? jitter(random) : 0.0;
        received.durations[i] =
            static_cast<uint32_t>(std::max(1.0, std::lround(shifted * (1 + off)) * 1.0));
    }
    return received;
}

std::optional<std::string> pressCapture(std::string_view protocolName, uint32_t device,
                                        uint32_t command, const ReceiverModel& receiver) {
    const auto protocol = protocolFromName(protocolName);
    if (!protocol)
        return std::nullopt;
    const auto signal = encode(*protocol, device, command);
    if (!signal)
        return std::nullopt;
    return renderCapture(asReceived(*signal, receiver));
}

} // namespace irform
