#pragma once
// The URC's USB link: a HID device with vendor-defined 64-byte input and
// output reports on full-speed interrupt endpoints. Each request of the line
// protocol (wire_protocol.h) travels as one binary message in output reports,
// and its answer as one binary message in input reports.
//
// A report: byte 0 the message's sequence number (the answer repeats its
// request's, so an answer left over from an abandoned request is told apart);
// byte 1 the flags kFirst and kLast and, in its low six bits, how many of the
// following 62 bytes carry the message; unused bytes are zero. The first
// report's payload begins with the message's length (three bytes, high
// first), so a message that lost a report on the way is refused whole rather
// than taken shorter: a write that lost its middle must not land its end at
// the wrong addresses.
//
// A request message: its operation byte, then
//   READ      address high, address low, blocks (two bytes, high first)
//   WRITE     selector, address high, address low, the bytes to write
//   CODETYPE  the bytes
//   others    nothing.
// An answer message: kAnswerOk and the payload (READ: the bytes read;
// otherwise the text of the line protocol's answer), kAnswerRefused and the
// URC's reason, or kAnswerMalformed and what was wrong with the request.
// Memory moves as bytes, not as hexadecimal text, so 64 KiB take 1,058
// reports, not twice as many.
#include "platform/urcwire/wire_protocol.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace urcwire::usb {

// pid.codes' product id for testing, under its vendor id.
inline constexpr uint16_t kVendorId = 0x1209;
inline constexpr uint16_t kProductId = 0x0001;
inline constexpr const char* kManufacturer = "QZT";
inline constexpr const char* kProduct = "QZT-617 URC";

inline constexpr std::size_t kReportSize = 64;
inline constexpr std::size_t kHeaderSize = 2;
inline constexpr std::size_t kPayloadPerReport = kReportSize - kHeaderSize;
inline constexpr uint8_t kFirst = 0x80;
inline constexpr uint8_t kLast = 0x40;
inline constexpr uint8_t kLengthMask = 0x3F;

// The largest message either way: a write of the whole 64 KiB with its
// operation, selector and address.
inline constexpr std::size_t kMemorySize = 0x10000;
inline constexpr std::size_t kMaxMessage = kMemorySize + 4;
inline constexpr std::size_t kLengthPrefix = 3;
inline constexpr std::size_t kMaxReportsPerMessage =
    (kLengthPrefix + kMaxMessage + kPayloadPerReport - 1) / kPayloadPerReport;

// The HID report descriptor: vendor page 0xFF00, 64 bytes in, 64 bytes out,
// no report ids.
std::span<const uint8_t> reportDescriptor();

enum class Operation : uint8_t {
    Link = 1,
    Version = 2,
    Read = 3,
    Write = 4,
    Capture = 5,
    Collect = 6,
    BasicInfo = 7,
    CodeType = 8,
};

enum AnswerStatus : uint8_t {
    kAnswerOk = 0,
    kAnswerRefused = 1,
    kAnswerMalformed = 2,
};

using Message = std::vector<uint8_t>;
using Report = std::array<uint8_t, kReportSize>;

struct Encoded {
    Message message; // empty when error is set
    std::string error;
};

// Host side: a request line of the device library -> its message.
Encoded requestMessage(std::string_view line);
// The URC's side: a message -> the request line its firmware answers; an
// empty line and error set when the message is no request.
struct Decoded {
    std::string line;
    std::string error;
};
Decoded requestLine(std::span<const uint8_t> message);

// The URC's side: the answer line of its firmware (without "\n") to a request
// of `operation` -> the answer message.
Message answerMessage(Operation operation, std::string_view answerLine);
// A malformed request's answer.
Message malformedAnswer(std::string_view why);
// Host side: an answer message to a request of `operation` -> the reply the
// socket would have given (READ's bytes as upper-case hexadecimal text).
Reply replyFromAnswer(Operation operation, std::span<const uint8_t> message);

// The operation of a request message; nullopt for none.
std::optional<Operation> operationOf(std::span<const uint8_t> message);

// A message cut into reports (at least one: an empty message is one report
// with no payload). The message must not be longer than kMaxMessage.
std::vector<Report> splitIntoReports(uint8_t sequence, std::span<const uint8_t> message);

// Puts the reports of one message together again.
class Assembler {
public:
    enum class Outcome {
        More,     // part of a message; feed the next report
        Complete, // message() and sequence() hold the whole message
        Stray,    // not part of a message in progress: ignored
        Broken,   // a malformed report, a message over kMaxMessage or one that
                  // lost a report (not its stated length): dropped
    };
    // A report of fewer than kReportSize bytes counts as broken.
    Outcome feed(std::span<const uint8_t> report);
    const Message& message() const { return message_; }
    uint8_t sequence() const { return sequence_; }
    // Why the last report was broken.
    const std::string& error() const { return error_; }

private:
    Message message_;
    uint8_t sequence_ = 0;
    std::size_t expected_ = 0; // the length the first report stated
    bool inProgress_ = false;
    std::string error_;
};

} // namespace urcwire::usb
