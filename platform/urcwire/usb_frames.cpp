#include "platform/urcwire/usb_frames.h"

#include <algorithm>
#include <cstdio>

namespace urcwire::usb {

namespace {

constexpr uint8_t kDescriptor[] = {
    0x06, 0x00, 0xFF, // usage page: vendor defined 0xFF00
    0x09, 0x01,       // usage 1
    0xA1, 0x01,       // collection: application
    0x15, 0x00,       //   logical minimum 0
    0x26, 0xFF, 0x00, //   logical maximum 255
    0x75, 0x08,       //   report size: 8 bits
    0x95, 0x40,       //   report count: 64
    0x09, 0x01,       //   usage 1
    0x81, 0x02,       //   input: data, variable, absolute
    0x95, 0x40,       //   report count: 64
    0x09, 0x01,       //   usage 1
    0x91, 0x02,       //   output: data, variable, absolute
    0xC0,             // end collection
};

constexpr long kMaxReadBlocks = static_cast<long>(kMemorySize / 8);

struct Verb {
    const char* name;
    Operation operation;
};
constexpr Verb kVerbs[] = {
    {"LINK", Operation::Link},           {"VERSION", Operation::Version},
    {"READ", Operation::Read},           {"WRITE", Operation::Write},
    {"CAPTURE", Operation::Capture},     {"COLLECT", Operation::Collect},
    {"BASICINFO", Operation::BasicInfo}, {"CODETYPE", Operation::CodeType},
};

int hexValue(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

// Appends the bytes of even-length hexadecimal text; false for other text.
bool appendHexBytes(std::string_view hex, Message& out) {
    if (hex.size() % 2 != 0 || !isHexDigits(hex))
        return false;
    for (std::size_t i = 0; i < hex.size(); i += 2)
        out.push_back(static_cast<uint8_t>(hexValue(hex[i]) << 4 | hexValue(hex[i + 1])));
    return true;
}

std::string upperHex(std::span<const uint8_t> bytes) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(bytes.size() * 2);
    for (uint8_t b : bytes) {
        out.push_back(kDigits[b >> 4]);
        out.push_back(kDigits[b & 0x0F]);
    }
    return out;
}

std::string twoDigits(uint8_t byte) {
    char text[3];
    std::snprintf(text, sizeof text, "%02X", byte);
    return text;
}

Encoded refused(std::string why) {
    return {{}, std::move(why)};
}

Encoded readRequest(const std::vector<std::string>& w) {
    if (w.size() != 3 || w[1].size() != 4 || !isHexDigits(w[1]))
        return refused("READ takes four hex digits of address and a block count");
    auto blocks = parseDecimal(w[2], kMaxReadBlocks);
    if (!blocks || *blocks == 0)
        return refused("READ takes 1 to " + std::to_string(kMaxReadBlocks) + " blocks");
    Message m{static_cast<uint8_t>(Operation::Read)};
    appendHexBytes(w[1], m);
    m.push_back(static_cast<uint8_t>(*blocks >> 8));
    m.push_back(static_cast<uint8_t>(*blocks & 0xFF));
    return {std::move(m), {}};
}

Encoded writeRequest(const std::vector<std::string>& w) {
    if (w.size() != 4 || !isTwoHexDigits(w[1]) || w[2].size() != 4 || !isHexDigits(w[2]) ||
        !isEvenHex(w[3]))
        return refused("WRITE takes two hex digits, four hex digits and even-length hex data");
    if (w[3].size() / 2 > kMemorySize)
        return refused("WRITE carries at most " + std::to_string(kMemorySize) + " bytes");
    Message m{static_cast<uint8_t>(Operation::Write)};
    m.reserve(4 + w[3].size() / 2);
    appendHexBytes(w[1], m);
    appendHexBytes(w[2], m);
    appendHexBytes(w[3], m);
    return {std::move(m), {}};
}

Encoded codeTypeRequest(const std::vector<std::string>& w) {
    if (w.size() != 2 || !isEvenHex(w[1]))
        return refused("CODETYPE takes even-length hex data");
    if (w[1].size() / 2 > kMemorySize)
        return refused("CODETYPE carries at most " + std::to_string(kMemorySize) + " bytes");
    Message m{static_cast<uint8_t>(Operation::CodeType)};
    appendHexBytes(w[1], m);
    return {std::move(m), {}};
}

} // namespace

std::span<const uint8_t> reportDescriptor() {
    return kDescriptor;
}

std::optional<Operation> operationOf(std::span<const uint8_t> message) {
    if (message.empty())
        return std::nullopt;
    for (const Verb& v : kVerbs)
        if (static_cast<uint8_t>(v.operation) == message[0])
            return v.operation;
    return std::nullopt;
}

Encoded requestMessage(std::string_view line) {
    const auto w = splitWords(line);
    if (w.empty())
        return refused("an empty request");
    const auto verb = std::find_if(std::begin(kVerbs), std::end(kVerbs),
                                   [&](const Verb& v) { return w[0] == v.name; });
    if (verb == std::end(kVerbs))
        return refused("the USB link carries no request " + w[0]);
    switch (verb->operation) {
    case Operation::Read:
        return readRequest(w);
    case Operation::Write:
        return writeRequest(w);
    case Operation::CodeType:
        return codeTypeRequest(w);
    default:
        if (w.size() != 1)
            return refused(w[0] + " takes no arguments");
        return {{static_cast<uint8_t>(verb->operation)}, {}};
    }
}

Decoded requestLine(std::span<const uint8_t> message) {
    const auto operation = operationOf(message);
    if (!operation)
        return {{}, message.empty() ? "an empty request" : "an unknown operation"};
    const auto args = message.subspan(1);
    const auto name = std::string(std::find_if(std::begin(kVerbs), std::end(kVerbs), [&](auto& v) {
                                      return v.operation == *operation;
                                  })->name);
    switch (*operation) {
    case Operation::Read: {
        if (args.size() != 4)
            return {{}, "READ takes an address and a block count: 4 bytes"};
        const long blocks = args[2] << 8 | args[3];
        return {name + " " + upperHex(args.first(2)) + " " + std::to_string(blocks), {}};
    }
    case Operation::Write:
        if (args.size() < 4)
            return {{}, "WRITE takes a selector, an address and at least one byte"};
        return {name + " " + twoDigits(args[0]) + " " + upperHex(args.subspan(1, 2)) + " " +
                    upperHex(args.subspan(3)),
                {}};
    case Operation::CodeType:
        if (args.empty())
            return {{}, "CODETYPE takes at least one byte"};
        return {name + " " + upperHex(args), {}};
    default:
        if (!args.empty())
            return {{}, name + " takes no arguments"};
        return {name, {}};
    }
}

Message answerMessage(Operation operation, std::string_view answerLine) {
    const Reply reply = parseReply(answerLine);
    if (!reply.ok()) {
        Message m{kAnswerRefused};
        m.insert(m.end(), reply.text.begin(), reply.text.end());
        return m;
    }
    Message m{kAnswerOk};
    if (operation == Operation::Read) {
        if (!appendHexBytes(reply.text, m))
            return malformedAnswer("the URC read no whole bytes");
        return m;
    }
    m.insert(m.end(), reply.text.begin(), reply.text.end());
    return m;
}

Message malformedAnswer(std::string_view why) {
    Message m{kAnswerMalformed};
    m.insert(m.end(), why.begin(), why.end());
    return m;
}

Reply replyFromAnswer(Operation operation, std::span<const uint8_t> message) {
    if (message.empty())
        return {CallStatus::Failed, "the URC's answer is empty"};
    const auto payload = message.subspan(1);
    const std::string text(payload.begin(), payload.end());
    switch (message[0]) {
    case kAnswerOk:
        return {CallStatus::Ok, operation == Operation::Read ? upperHex(payload) : text};
    case kAnswerRefused:
        return {CallStatus::Refused, text};
    case kAnswerMalformed:
        return {CallStatus::Failed, "the URC could not read the request: " + text};
    default:
        return {CallStatus::Failed, "the URC's answer has an unknown status"};
    }
}

std::vector<Report> splitIntoReports(uint8_t sequence, std::span<const uint8_t> message) {
    Message framed{static_cast<uint8_t>(message.size() >> 16),
                   static_cast<uint8_t>(message.size() >> 8), static_cast<uint8_t>(message.size())};
    framed.insert(framed.end(), message.begin(), message.end());
    std::vector<Report> reports;
    reports.reserve(framed.size() / kPayloadPerReport + 1);
    for (std::size_t offset = 0; offset < framed.size(); offset += kPayloadPerReport) {
        const std::size_t n = std::min(kPayloadPerReport, framed.size() - offset);
        Report r{};
        r[0] = sequence;
        r[1] = static_cast<uint8_t>(n);
        if (offset == 0)
            r[1] |= kFirst;
        if (offset + n == framed.size())
            r[1] |= kLast;
        std::copy_n(framed.begin() + static_cast<std::ptrdiff_t>(offset), n,
                    r.begin() + kHeaderSize);
        reports.push_back(r);
    }
    return reports;
}

Assembler::Outcome Assembler::feed(std::span<const uint8_t> report) {
    auto broken = [this](std::string why) {
        inProgress_ = false;
        message_.clear();
        error_ = std::move(why);
        return Outcome::Broken;
    };
    if (report.size() < kReportSize)
        return broken("a report of " + std::to_string(report.size()) + " bytes, not " +
                      std::to_string(kReportSize));
    const uint8_t flags = report[1];
    std::size_t length = flags & kLengthMask;
    if (length > kPayloadPerReport)
        return broken("a report claims " + std::to_string(length) + " bytes of at most " +
                      std::to_string(kPayloadPerReport));
    auto payload = report.subspan(kHeaderSize, length);
    if (flags & kFirst) {
        if (length < kLengthPrefix)
            return broken("a first report without the message's length");
        message_.clear();
        sequence_ = report[0];
        expected_ = std::size_t{payload[0]} << 16 | std::size_t{payload[1]} << 8 | payload[2];
        payload = payload.subspan(kLengthPrefix);
        inProgress_ = true;
        if (expected_ > kMaxMessage)
            return broken("a message of " + std::to_string(expected_) + " bytes, over " +
                          std::to_string(kMaxMessage));
    } else if (!inProgress_ || report[0] != sequence_) {
        return Outcome::Stray;
    }
    if (message_.size() + payload.size() > expected_)
        return broken("a message longer than the " + std::to_string(expected_) +
                      " bytes it stated");
    message_.insert(message_.end(), payload.begin(), payload.end());
    if (!(flags & kLast))
        return Outcome::More;
    inProgress_ = false;
    if (message_.size() != expected_)
        return broken("a message of " + std::to_string(message_.size()) + " bytes that stated " +
                      std::to_string(expected_) + ": a report was lost");
    return Outcome::Complete;
}

} // namespace urcwire::usb
