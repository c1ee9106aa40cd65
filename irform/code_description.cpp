// Reading a stored code back: what the URC sends for a key record.
#include "common/hex_text.h"
#include "irform/code_form.h"
#include "irform/code_form_detail.h"
#include "irform/compact_raw.h"

#include <charconv>
#include <cstdio>

namespace irform {
namespace {

using detail::kIdDigits;
using detail::kPDigits;
using detail::kQDigits;
constexpr std::size_t kHeadDigits = 6; // flags, a byte, storage flag
constexpr std::size_t kRecordDigits = kHeadDigits + kIdDigits + kPDigits + kQDigits;

std::optional<uint32_t> field(std::string_view text, std::size_t at, std::size_t digits) {
    return hextext::parseHex(text.substr(at, digits));
}

// Records written before the frame count and the toggle were kept hold the
// form's own count and "00", which read back as the press the form renders.
std::optional<Press> readBuiltin(Protocol protocol, std::string_view p) {
    const auto number = field(p, 0, 2);
    const auto deviceValue = field(p, 2, 4);
    const auto command = field(p, 6, 4);
    const auto frames = field(p, 12, 2);
    if (!number || !deviceValue || !command || !frames ||
        *number != static_cast<uint32_t>(detail::protocolNumber(protocol)) ||
        *deviceValue > maxDevice(protocol) || *command > maxCommand(protocol))
        return std::nullopt;
    const Decoded decoded{protocol, *deviceValue, *command};
    const int count = *frames == 0 ? detail::framesPerPress(protocol) : static_cast<int>(*frames);
    return Press{decoded, count, p.substr(14, 2) == detail::kToggledFlags};
}

std::optional<Signal> readRaw(std::string_view p, std::string_view q, std::string_view data) {
    const auto khz = field(p, 0, 2);
    const auto blocks = field(p, 2, 2);
    const auto count = field(p, 4, 4);
    const std::string_view layout = p.substr(12, 2);
    const bool compact = layout == detail::kCompactLayout;
    if (!khz || !blocks || !count || *blocks == 0 || *count == 0 ||
        (!compact && layout != detail::kPlainLayout) || (!compact && *count > *blocks * 4))
        return std::nullopt;
    const std::size_t dataDigits = *blocks * kBlockDigits;
    if (data.size() < dataDigits || !hextext::isHexDigits(data.substr(0, dataDigits)))
        return std::nullopt;
    data = data.substr(0, dataDigits);
    const uint64_t digest = detail::rawDigest(p.substr(0, 2), data);
    const auto high = field(q, 0, 8);
    const auto low = field(q, 8, 8);
    if (!high || !low || ((uint64_t{*high} << 32) | *low) != digest)
        return std::nullopt;
    Signal signal;
    signal.carrierHz = static_cast<int>(*khz) * 1000;
    if (compact) {
        auto durations = compactRawDurations(data, *count);
        if (!durations)
            return std::nullopt;
        signal.durations = std::move(*durations);
    } else {
        for (uint32_t i = 0; i < *count; ++i)
            signal.durations.push_back(detail::durationFromWord(*field(data, 4 * i, 4)));
    }
    return signal;
}

} // namespace

std::string describeDecoded(const Decoded& decoded) {
    char text[64];
    const bool wideDevice = decoded.protocol == Protocol::NecExtended;
    std::snprintf(text, sizeof text, wideDevice ? "%s 0x%04x 0x%02x" : "%s 0x%02x 0x%02x",
                  std::string(protocolName(decoded.protocol)).c_str(), decoded.device,
                  decoded.command);
    return text;
}

std::string describeSignal(const Signal& signal) {
    std::string text = "raw " + std::to_string(signal.carrierHz);
    for (std::size_t i = 0; i < signal.durations.size(); ++i)
        text += (i % 2 == 0 ? " +" : " -") + std::to_string(signal.durations[i]);
    return text;
}

std::optional<Signal> parseRawDescription(std::string_view text) {
    constexpr std::string_view kPrefix = "raw ";
    if (!text.starts_with(kPrefix))
        return std::nullopt;
    text.remove_prefix(kPrefix.size());
    Signal signal;
    const char* at = text.data();
    const char* end = text.data() + text.size();
    auto result = std::from_chars(at, end, signal.carrierHz);
    if (result.ec != std::errc())
        return std::nullopt;
    at = result.ptr;
    while (at != end) {
        const char sign = signal.durations.size() % 2 == 0 ? '+' : '-';
        if (end - at < 3 || at[0] != ' ' || at[1] != sign)
            return std::nullopt;
        uint32_t us = 0;
        result = std::from_chars(at + 2, end, us);
        if (result.ec != std::errc())
            return std::nullopt;
        signal.durations.push_back(us);
        at = result.ptr;
    }
    return signal;
}

namespace detail {

std::optional<StoredCode> readStoredCode(std::string_view record, std::string_view storageData) {
    if (record.size() != kRecordDigits || !hextext::isHexDigits(record))
        return std::nullopt;
    const std::string_view id = record.substr(kHeadDigits, kIdDigits);
    const std::string_view p = record.substr(kHeadDigits + kIdDigits, kPDigits);
    const std::string_view q = record.substr(kHeadDigits + kIdDigits + kPDigits, kQDigits);
    // A URC whose code-identifier table lacks a form keeps its D (a copy of
    // P) in code storage and sends from there.
    const bool inStorage = record.substr(4, 2) == "80" && storageData.size() >= kPDigits;
    for (Protocol protocol : kAllProtocols) {
        if (!hextext::equalsIgnoringCase(id, builtinId(protocol)))
            continue;
        if (auto decoded = readBuiltin(protocol, inStorage ? storageData.substr(0, kPDigits) : p))
            return StoredCode{*decoded};
        return std::nullopt;
    }
    if (auto signal = readRaw(p, q, storageData))
        return StoredCode{std::move(*signal)};
    return std::nullopt;
}

} // namespace detail

std::string describeStoredCode(std::string_view record, std::string_view storageData) {
    const auto code = detail::readStoredCode(record, storageData);
    if (!code)
        return {};
    if (const auto* press = std::get_if<Press>(&*code))
        return describeDecoded(press->code);
    return describeSignal(std::get<Signal>(*code));
}

} // namespace irform
