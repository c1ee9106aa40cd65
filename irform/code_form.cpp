#include "irform/code_form.h"

#include "common/hex_text.h"
#include "irform/code_form_detail.h"
#include "irform/compact_raw.h"
#include "irform/converted_text.h"
#include "irform/form_definition.h"
#include "irform/protocols.h"
#include "irform/signal_limits.h"

#include <algorithm>

namespace irform {
namespace detail {

int protocolNumber(Protocol protocol) {
    int number = 1;
    for (Protocol p : kAllProtocols) {
        if (p == protocol)
            return number;
        ++number;
    }
    return 0;
}

std::optional<Protocol> protocolFromNumber(int number) {
    if (number < 1 || number > static_cast<int>(std::size(kAllProtocols)))
        return std::nullopt;
    return kAllProtocols[number - 1];
}

int framesPerPress(Protocol protocol) {
    return formDefinition(protocol).framesPerPress;
}

int bitsPerFrame(Protocol protocol) {
    return formDefinition(protocol).bits;
}

int framePeriod100us(Protocol protocol) {
    const auto& form = formDefinition(protocol);
    return static_cast<int>(((form.periodUs != 0 ? form.periodUs : form.gapUs) + 50) / 100);
}

uint64_t rawDigest(std::string_view carrierDigits, std::string_view data) {
    uint64_t hash = 0xcbf29ce484222325ull;
    auto mix = [&hash](std::string_view text) {
        for (char c : text) {
            hash ^= static_cast<unsigned char>(c);
            hash *= 0x100000001b3ull;
        }
    };
    mix(carrierDigits);
    mix(":");
    mix(data);
    return hash;
}

std::string rawId(uint64_t digest) {
    // The first byte stays at 0x22 or more, which marks a code kept in storage.
    // The forms from number 0x22 on share that range but end in 0001: a raw
    // code's identifier never ends in 0000 or 0001, so it never names a form.
    const uint32_t first = 0x22 + static_cast<uint32_t>((digest >> 32) % (0x100 - 0x22));
    uint32_t low = static_cast<uint32_t>(digest & 0xFFFF);
    if (low <= 1)
        low += 2;
    return hextext::hexText(first, 2) + hextext::hexText(low, 4);
}

static_assert(kLongestStoredDurationUs == 0x7FFF * kLongDurationStepUs);

uint32_t durationWord(uint32_t us) {
    if (us < kLongDurationFlag)
        return us;
    const uint32_t steps = (us + kLongDurationStepUs / 2) / kLongDurationStepUs;
    return kLongDurationFlag | std::min<uint32_t>(steps, 0x7FFF);
}

uint32_t durationFromWord(uint32_t word) {
    if (word < kLongDurationFlag)
        return word;
    return (word & 0x7FFF) * kLongDurationStepUs;
}

} // namespace detail

std::string builtinId(Protocol protocol) {
    // The first six forms predate the rest and keep their identifiers. The
    // others end in 0001: a URC whose table lacks them keeps their data in
    // code storage (an identifier below 0x22 ending in 0000 would be taken
    // for a code that needs none).
    const int number = detail::protocolNumber(protocol);
    return hextext::hexText(static_cast<uint32_t>(number), 2) +
           (number <= kFirstFormsWithoutStorage ? "0000" : "0001");
}

std::optional<Protocol> protocolOfBuiltinId(std::string_view id) {
    for (Protocol protocol : kAllProtocols)
        if (hextext::equalsIgnoringCase(id, builtinId(protocol)))
            return protocol;
    return std::nullopt;
}

CodeForm toCodeForm(const Decoded& decoded) {
    return toCodeForm(Press{decoded, detail::framesPerPress(decoded.protocol), false});
}

CodeForm toCodeForm(const Press& press) {
    using hextext::hexText;
    const Decoded& decoded = press.code;
    const Protocol protocol = decoded.protocol;
    CodeForm form;
    form.id = builtinId(protocol);
    const auto frames = static_cast<uint32_t>(std::clamp(press.frames, 1, kMaxPressFrames));
    form.p = hexText(static_cast<uint32_t>(detail::protocolNumber(protocol)), 2) +
             hexText(decoded.device & 0xFFFF, 4) + hexText(decoded.command & 0xFFFF, 4) +
             hexText(static_cast<uint32_t>(protocolCarrierHz(protocol) / 1000), 2) +
             hexText(frames, 2) +
             std::string(press.toggled ? detail::kToggledFlags : detail::kPlainFlags);
    form.q = hexText(static_cast<uint32_t>(detail::bitsPerFrame(protocol)), 2) +
             hexText(static_cast<uint32_t>(detail::framePeriod100us(protocol)), 4) +
             std::string(10, '0');
    form.data = form.p;
    return form;
}

std::optional<CodeForm> rawCodeForm(const Signal& signal) {
    using hextext::hexText;
    const auto& d = signal.durations;
    // What the form cannot hold exactly is refused, never stored cut short.
    if (d.empty() || d.size() > 0xFFFF || rawFormLimitProblem(signal))
        return std::nullopt;
    CodeForm form;
    // The compact form when it fits and saves space, the plain one otherwise.
    const auto compact = compactRawData(d);
    std::string plain;
    if (d.size() <= kMaxRawDurations)
        for (uint32_t us : d)
            plain += hexText(detail::durationWord(us), 4);
    const bool useCompact = compact && (plain.empty() || compact->size() < plain.size());
    form.data = useCompact ? *compact : plain;
    if (form.data.empty())
        return std::nullopt;
    const std::size_t blocks = (form.data.size() + kBlockDigits - 1) / kBlockDigits;
    if (blocks > kMaxBlocks)
        return std::nullopt;
    form.data.resize(blocks * kBlockDigits, '0');
    // The carrier is kept to the nearest kHz, which is as fine as the URC
    // measures it; one the two digits cannot hold is refused, not cut.
    const int khz = (signal.carrierHz + 500) / 1000;
    if (khz < 1 || khz > kMaxRawCarrierKhz)
        return std::nullopt;
    const std::string carrier = hexText(static_cast<uint32_t>(khz), 2);
    const uint64_t digest = detail::rawDigest(carrier, form.data);
    form.id = detail::rawId(digest);
    form.p = carrier + hexText(static_cast<uint32_t>(blocks), 2) +
             hexText(static_cast<uint32_t>(d.size()), 4) + "0000" +
             std::string(useCompact ? detail::kCompactLayout : detail::kPlainLayout) + "00";
    form.q = hexText(static_cast<uint32_t>(digest >> 32), 8) +
             hexText(static_cast<uint32_t>(digest & 0xFFFFFFFFu), 8);
    return form;
}

namespace {

// A press of more frames than the form's field holds is kept raw.
std::optional<CodeForm> pressForm(const std::optional<Press>& press) {
    if (!press || press->frames > kMaxPressFrames)
        return std::nullopt;
    return toCodeForm(*press);
}

} // namespace

std::optional<CodeForm> toCodeForm(const Signal& signal) {
    if (auto form = pressForm(decodePress(signal.durations, signal.carrierHz)))
        return form;
    return rawCodeForm(signal);
}

std::optional<CodeForm> toCodeFormGuessingCarrier(Signal signal) {
    if (auto form = pressForm(decodePress(signal.durations, std::nullopt)))
        return form;
    if (const auto carrier = detail::shapeCarrierHz(signal.durations))
        signal.carrierHz = *carrier;
    return rawCodeForm(signal);
}

std::string convertedText(const CodeForm& form) {
    return convertedtext::join(form.id, form.p, form.q, form.data);
}

} // namespace irform
