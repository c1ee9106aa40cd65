#include "urctool/signal_input.h"

#include "common/hex_text.h"
#include "irform/code_form.h"
#include "irform/protocols.h"
#include "urctool/errors.h"
#include "urctool/storable_signal.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <sstream>
#include <vector>

namespace urctool {
namespace {

// A Pronto time unit is this many microseconds times the frequency word.
constexpr double kProntoUnitUs = 0.241246;

} // namespace

irform::Signal finishedSignal(irform::Signal signal, const std::string& what) {
    if (signal.durations.empty())
        throw UsageError(what + " holds no durations");
    if (signal.carrierHz < kMinCarrierHz || signal.carrierHz > kMaxCarrierHz)
        throw UsageError(what + ": the carrier must be " + std::to_string(kMinCarrierHz) + " to " +
                         std::to_string(kMaxCarrierHz) + " Hz");
    for (uint32_t us : signal.durations)
        if (us == 0 || us > kMaxDurationUs)
            throw UsageError(what + ": every duration must be 1 to " +
                             std::to_string(kMaxDurationUs) + " us");
    if (signal.durations.size() % 2 == 1)
        signal.durations.push_back(kTrailingSilenceUs);
    requireStorable(signal, what);
    return signal;
}

namespace {

std::vector<std::string> wordsOf(std::string_view text) {
    std::istringstream in{std::string(text)};
    std::vector<std::string> words;
    for (std::string word; in >> word;)
        words.push_back(word);
    return words;
}

} // namespace

irform::Signal signalFromRaw(std::string_view text) {
    const auto signal = irform::parseRawDescription(text);
    if (!signal)
        throw UsageError("--raw takes \"raw CARRIER +MARK -SPACE ...\" (durations in us)");
    return finishedSignal(*signal, "the raw signal");
}

irform::Signal signalFromPronto(std::string_view text) {
    std::vector<uint32_t> words;
    for (const auto& word : wordsOf(text)) {
        uint32_t value = 0;
        const auto r = std::from_chars(word.data(), word.data() + word.size(), value, 16);
        if (word.size() != 4 || r.ptr != word.data() + word.size())
            throw UsageError("Pronto hex is words of four hex digits; " + word + " is not one");
        words.push_back(value);
    }
    if (words.size() < 4 || words[0] != 0 || words[1] == 0)
        throw UsageError("only Pronto's learned form (starting 0000, a frequency word) is read");
    const std::size_t once = words[2], repeat = words[3];
    if (words.size() != 4 + 2 * (once + repeat) || once + repeat == 0)
        throw UsageError("the Pronto text's counts do not match its length");
    const double unitUs = words[1] * kProntoUnitUs;
    irform::Signal signal;
    signal.carrierHz = static_cast<int>(std::lround(1e6 / unitUs));
    // One press: the once-sequence, then the repeat-sequence once.
    for (std::size_t i = 4; i < words.size(); ++i)
        signal.durations.push_back(static_cast<uint32_t>(std::lround(words[i] * unitUs)));
    return finishedSignal(signal, "the Pronto signal");
}

std::string prontoText(const irform::Signal& signal) {
    const int frequencyWord =
        static_cast<int>(std::lround(1e6 / (signal.carrierHz * kProntoUnitUs)));
    const double unitUs = frequencyWord * kProntoUnitUs;
    const std::size_t pairs = (signal.durations.size() + 1) / 2;
    char word[8];
    std::string text = "0000";
    auto add = [&](long value) {
        std::snprintf(word, sizeof word, " %04lX", std::clamp(value, 1L, 0xFFFFL));
        text += word;
    };
    add(frequencyWord);
    add(static_cast<long>(pairs));
    text += " 0000";
    for (std::size_t i = 0; i < 2 * pairs; ++i) {
        const uint32_t us = i < signal.durations.size() ? signal.durations[i] : kTrailingSilenceUs;
        add(std::lround(us / unitUs));
    }
    return text;
}

irform::Signal signalFromProtocol(std::string_view protocolText, std::string_view deviceText,
                                  std::string_view commandText) {
    const auto protocol = irform::protocolFromName(protocolText);
    if (!protocol)
        throw UsageError("unknown protocol " + std::string(protocolText));
    const auto deviceValue = hextext::parseNumber32(deviceText);
    const auto command = hextext::parseNumber32(commandText);
    if (!deviceValue || !command)
        throw UsageError("DEVICE and COMMAND are numbers, decimal or 0x hex");
    const auto signal = irform::encode(*protocol, *deviceValue, *command);
    if (!signal)
        throw UsageError(std::string(protocolText) + " carries devices up to " +
                         std::to_string(irform::maxDevice(*protocol)) + " and commands up to " +
                         std::to_string(irform::maxCommand(*protocol)));
    return *signal;
}

} // namespace urctool
