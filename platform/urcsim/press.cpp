#include "platform/urcsim/press.h"

#include "common/hex_text.h"
#include "common/whole_files.h"
#include "irform/capture_render.h"
#include "irform/code_form.h"
#include "irform/protocols.h"
#include "platform/urcwire/wire_protocol.h"

#include <charconv>
#include <cstdio>

namespace urcsim {

namespace {
constexpr std::size_t kCaptureDigits = 10240;
// A capture file larger than this is surely not a capture (1 MiB).
constexpr std::size_t kMaxFileSize = 1 << 20;
// The carriers whose capture words the URC records exactly.
constexpr int kMinCarrierHz = 12000;
constexpr int kMaxCarrierHz = 94000;
// Ten seconds: far beyond any remote's gap, small enough for the unit arithmetic.
constexpr uint32_t kMaxDurationUs = 10'000'000;

bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

std::string withSingleBlanks(const std::string& text) {
    std::string result;
    for (char c : text) {
        if (!isBlank(c))
            result.push_back(c);
        else if (!result.empty() && result.back() != ' ')
            result.push_back(' ');
    }
    if (!result.empty() && result.back() == ' ')
        result.pop_back();
    return result;
}

std::string hexText(uint32_t value) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%X", value);
    return text;
}

std::string checkSignal(const irform::Signal& signal) {
    if (signal.carrierHz < kMinCarrierHz || signal.carrierHz > kMaxCarrierHz)
        return "the carrier must be " + std::to_string(kMinCarrierHz) + " to " +
               std::to_string(kMaxCarrierHz) + " Hz";
    if (signal.durations.empty())
        return "the signal has no mark";
    for (uint32_t us : signal.durations)
        if (us == 0 || us > kMaxDurationUs)
            return "every duration must be 1 to " + std::to_string(kMaxDurationUs) + " us";
    return {};
}

} // namespace

std::string protocolNames() {
    std::string names;
    for (irform::Protocol p : irform::kAllProtocols)
        names += (names.empty() ? "" : ", ") + std::string(irform::protocolName(p));
    return names;
}

CaptureText rawCaptureFromText(const std::string& text, const irform::ReceiverModel& receiver) {
    const std::string trimmed = withSingleBlanks(text);
    if (trimmed.starts_with("raw"))
        return captureFromRawDescription(trimmed, receiver);
    CaptureText result;
    for (char c : text) {
        if (isBlank(c))
            continue;
        if (c == '\0')
            break; // the zero padding that follows a capture
        if (!urcwire::isHexDigits(std::string_view(&c, 1))) {
            return {"", "the capture holds a character that is not a hexadecimal digit"};
        }
        result.hex.push_back(c);
    }
    if (result.hex.empty())
        result.error = "the capture is empty";
    else if (result.hex.size() > kCaptureDigits)
        result.error = "the capture holds " + std::to_string(result.hex.size()) +
                       " digits; the URC captures at most 10240";
    if (!result.error.empty())
        result.hex.clear();
    return result;
}

CaptureText captureFromRawDescription(const std::string& text,
                                      const irform::ReceiverModel& receiver) {
    const auto signal = irform::parseRawDescription(withSingleBlanks(text));
    if (!signal)
        return {"", "a raw signal is written \"raw CARRIER +MARK -SPACE +MARK ...\" "
                    "(carrier in Hz, durations in microseconds)"};
    if (std::string problem = checkSignal(*signal); !problem.empty())
        return {"", "the raw signal is not usable: " + problem};
    return {irform::renderCapture(irform::asReceived(*signal, receiver)), ""};
}

CaptureText protocolCapture(const std::string& protocolText, const std::string& deviceText,
                            const std::string& commandText, const irform::ReceiverModel& receiver) {
    const auto protocol = irform::protocolFromName(protocolText);
    if (!protocol)
        return {"", "unknown protocol " + protocolText + " (one of " + protocolNames() + ")"};
    const auto deviceValue = hextext::parseNumber32(deviceText);
    const auto command = hextext::parseNumber32(commandText);
    const uint32_t maxDevice = irform::maxDevice(*protocol);
    const uint32_t maxCommand = irform::maxCommand(*protocol);
    if (!deviceValue || *deviceValue > maxDevice)
        return {"", "DEVICE must be a number from 0 to " + hexText(maxDevice) + " for " +
                        protocolText + " (decimal, or hexadecimal after 0x)"};
    if (!command || *command > maxCommand)
        return {"", "COMMAND must be a number from 0 to " + hexText(maxCommand) + " for " +
                        protocolText + " (decimal, or hexadecimal after 0x)"};
    auto capture = irform::pressCapture(protocolText, *deviceValue, *command, receiver);
    if (!capture)
        return {"", "the " + protocolText + " code cannot be rendered"};
    return {*capture, ""};
}

CaptureText rawCaptureFromFile(const std::string& path, const irform::ReceiverModel& receiver) {
    const auto file = wholefiles::readRegularFile(path, kMaxFileSize, "capture file");
    if (!file.content)
        return {"", file.error};
    CaptureText result = rawCaptureFromText(*file.content, receiver);
    if (!result.error.empty())
        result.error = path + ": " + result.error;
    return result;
}

} // namespace urcsim
