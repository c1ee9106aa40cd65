#pragma once
// The line protocol between the device-access library (and urc-sim's client
// commands) and the emulated URC. One request per connection: the client sends
// one line "VERB arg arg...\n" and the server answers one line, "OK[ payload]\n"
// or "ERR message\n", then closes. Texts travel as hexadecimal digits, so no
// field ever holds a blank or a line break.
#include <chrono>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace urcwire {

// Bounds after which the URC counts as not connected.
inline constexpr int kConnectTimeoutMs = 500;
inline constexpr int kReplyTimeoutMs = 2000;
// Longest line either side accepts: a write of all 64 KiB as hex fits.
inline constexpr std::size_t kMaxLineLength = 2 * 65536 + 256;

enum class CallStatus {
    Ok,       // the server answered OK; text is the payload
    Refused,  // the server answered ERR; text is its message
    NoServer, // nothing listens on the socket
    Failed,   // timed out, broken connection or malformed answer; text says which
};

struct Reply {
    CallStatus status = CallStatus::Failed;
    std::string text;
    bool ok() const { return status == CallStatus::Ok; }
};

Reply call(const std::string& socketPath, const std::string& request,
           int connectTimeoutMs = kConnectTimeoutMs, int replyTimeoutMs = kReplyTimeoutMs);

using Deadline = std::chrono::steady_clock::time_point;
Deadline deadlineIn(int milliseconds);

// One line without its "\n"; nullopt on timeout, end of stream before the line
// break, or a line longer than kMaxLineLength.
std::optional<std::string> readLine(int fd, Deadline deadline);
// Writes all of data (without raising SIGPIPE); false on timeout or error.
bool writeAll(int fd, std::string_view data, Deadline deadline);

std::string okLine(std::string_view payload = {});
std::string errorLine(std::string_view message);
// Splits a reply line into its status and text.
Reply parseReply(std::string_view line);

std::vector<std::string> splitWords(std::string_view line);

// Argument checks shared by the library and the server.
bool isHexDigits(std::string_view text);
bool isTwoHexDigits(std::string_view text);
// A non-empty text of hexadecimal digits of even length.
bool isEvenHex(std::string_view text);
// A decimal number 0..limit; nullopt otherwise.
std::optional<long> parseDecimal(std::string_view text, long limit);

} // namespace urcwire
