// The device-access library: each of the eight functions is one request to the
// URC, over its USB link (usb_link.h) when a URC is plugged in, else over the
// emulator's socket (one connection per call); linked_urc.h says which, anew
// for every call, so an unplugged URC is missed and a replugged one found at
// once. Calls from several threads take turns on the USB link. No server, no URC, no answer in
// time, an unplugged cable or a refusal all read as false. Arguments are checked before anything is
// sent, and no buffer is written past the size the header gives.
#include <tovqel.h>

#include "platform/tovqel/usb_link.h"
#include "platform/urcwire/linked_urc.h"
#include "platform/urcwire/wire_protocol.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <set>
#include <string>
#include <string_view>

namespace {

constexpr long kMemoryEnd = 0x10000;
constexpr std::size_t kBlockSize = 8;
constexpr std::size_t kMostReportedTexts = 32;

// The program polls the link every second; an unusable socket location, an
// unopenable URC or a choice among several URCs is worth one line on standard
// error, not one a second.
void reportOnce(const std::string& what) {
    static std::mutex mutex;
    static std::set<std::string> said;
    const std::lock_guard<std::mutex> lock(mutex);
    if (said.size() >= kMostReportedTexts || !said.insert(what).second)
        return;
    std::fprintf(stderr, "tovqel: %s\n", what.c_str());
}

// A URC that cannot be opened (no udev rule, say) is worth telling about;
// timeouts and unplugging show as the link's state.
urcwire::Reply reported(urcwire::Reply reply) {
    if (reply.status == urcwire::CallStatus::Failed && reply.text.starts_with("cannot "))
        reportOnce(reply.text);
    return reply;
}

urcwire::Reply ask(const std::string& request) {
    const urcwire::LinkedUrc urc = urcwire::findLinkedUrc(false);
    switch (urc.kind) {
    case urcwire::LinkedUrc::Kind::Usb:
        if (!urc.note.empty())
            reportOnce(urc.note);
        return reported(tovqel::askOverUsb(urc.usb, request));
    case urcwire::LinkedUrc::Kind::Socket:
        tovqel::closeUsbLink();
        return urcwire::call(urc.socketPath, request);
    case urcwire::LinkedUrc::Kind::None:
        break;
    }
    tovqel::closeUsbLink();
    if (urc.refused)
        reportOnce("the URC cannot be reached: " + urc.error);
    return {urcwire::CallStatus::NoServer, urc.error};
}

uint8_t result(bool ok) {
    return ok ? 1 : 0;
}

// A zero-terminated argument as a view; empty for a null pointer. Never reads
// further than limit + 1 bytes, so an unterminated text cannot run away.
std::string_view argument(const char* text, std::size_t limit = 8) {
    if (!text)
        return {};
    return {text, ::strnlen(text, limit + 1)};
}

std::string upper(std::string_view text) {
    std::string out(text);
    for (char& c : out)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return out;
}

// The address of two two-digit halves, or -1.
long addressOf(std::string_view high, std::string_view low) {
    if (!urcwire::isTwoHexDigits(high) || !urcwire::isTwoHexDigits(low))
        return -1;
    return std::stol(std::string(high) + std::string(low), nullptr, 16);
}

// Copies text and a terminating zero into a buffer of capacity bytes, cutting
// the text when it would not fit.
void putText(char* buffer, std::size_t capacity, std::string_view text) {
    const std::size_t n = std::min(text.size(), capacity - 1);
    std::memcpy(buffer, text.data(), n);
    buffer[n] = '\0';
}

} // namespace

extern "C" {

uint8_t link_state(void) {
    auto reply = ask("LINK");
    return result(reply.ok() && reply.text == "1");
}

uint8_t ReadVersion(char* buffer) {
    if (!buffer)
        return 0;
    auto reply = ask("VERSION");
    if (!reply.ok())
        return 0;
    putText(buffer, TOVQEL_VERSION_BUFFER, reply.text);
    return 1;
}

uint8_t readdatav20(char* buffer, int32_t blocks, const char* high, const char* low,
                    const char* unit) {
    const long address = addressOf(argument(high), argument(low));
    if (!buffer || blocks <= 0 || address < 0 || argument(unit) != "08")
        return 0;
    const long bytes = static_cast<long>(blocks) * static_cast<long>(kBlockSize);
    if (bytes > kMemoryEnd - address)
        return 0;
    auto reply =
        ask("READ " + upper(argument(high)) + upper(argument(low)) + " " + std::to_string(blocks));
    const std::size_t digits = static_cast<std::size_t>(bytes) * 2;
    if (!reply.ok() || reply.text.size() != digits || !urcwire::isHexDigits(reply.text))
        return 0;
    std::memcpy(buffer, reply.text.data(), digits);
    return 1;
}

uint8_t writedatav20(const char* selector, const char* high, const char* low, const char* data) {
    const long address = addressOf(argument(high), argument(low));
    const std::string_view sel = argument(selector);
    // Two digits per byte of memory at most; anything longer cannot fit.
    const std::string_view bytes = argument(data, 2 * kMemoryEnd);
    if (address < 0 || !urcwire::isTwoHexDigits(sel) || !urcwire::isEvenHex(bytes))
        return 0;
    if (static_cast<long>(bytes.size() / 2) > kMemoryEnd - address)
        return 0;
    auto reply = ask("WRITE " + upper(sel) + " " + upper(argument(high)) + upper(argument(low)) +
                     " " + upper(bytes));
    return result(reply.ok());
}

uint8_t SetCodeCarrierWave(void) {
    return result(ask("CAPTURE").ok());
}

uint8_t RCollectCodeInfo(char* buffer) {
    if (!buffer)
        return 0;
    auto reply = ask("COLLECT");
    if (!reply.ok() || reply.text.size() > TOVQEL_CAPTURE_BUFFER)
        return 0;
    // The capture text, then zero bytes up to the buffer's end.
    std::memset(buffer, 0, TOVQEL_CAPTURE_BUFFER);
    std::memcpy(buffer, reply.text.data(), reply.text.size());
    return 1;
}

uint8_t RBasicInfo(char* buffer) {
    if (!buffer)
        return 0;
    auto reply = ask("BASICINFO");
    if (!reply.ok())
        return 0;
    putText(buffer, TOVQEL_IDENTITY_BUFFER, reply.text);
    return 1;
}

uint8_t WCodeTypeData(const char* data) {
    const std::string_view bytes = argument(data, 2 * kMemoryEnd);
    if (!urcwire::isEvenHex(bytes))
        return 0;
    return result(ask("CODETYPE " + std::string(bytes)).ok());
}

} // extern "C"
