#include "platform/urcwire/usb_transport.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <optional>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

namespace urcwire::usb {

namespace {

constexpr std::size_t reportsFor(std::size_t messageBytes) {
    return messageBytes == 0 ? 1 : (messageBytes + kPayloadPerReport - 1) / kPayloadPerReport;
}

// Rounded up, so that a wait ends after the deadline, not just before it.
int millisecondsLeft(Deadline deadline) {
    const auto left =
        std::chrono::ceil<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
    return left.count() > 0 ? static_cast<int>(left.count()) : 0;
}

Reply failed(std::string why) {
    return {CallStatus::Failed, std::move(why)};
}

// The sentence for a failed read or write of the link.
Reply linkError(const char* doing, int error) {
    if (error == ENODEV || error == EIO || error == ENXIO)
        return failed("the URC was unplugged");
    if (error == EPIPE || error == ECONNRESET)
        return failed("the URC's link closed");
    return failed(std::string("cannot ") + doing + " the URC: " + std::strerror(error));
}

// Waits until fd is ready for `events`; false with `outcome` set on a timeout
// or a failed wait.
bool waitFor(int fd, short events, Deadline deadline, int timeoutMs, Reply& outcome,
             bool& timedOut) {
    for (;;) {
        pollfd p{fd, events, 0};
        const int n = ::poll(&p, 1, millisecondsLeft(deadline));
        if (n > 0)
            return true; // errors and hang-ups show in the read or write that follows
        if (n < 0 && errno == EINTR)
            continue;
        timedOut = n == 0;
        outcome = n == 0
                      ? failed("the URC did not answer within " + std::to_string(timeoutMs) + " ms")
                      : linkError("wait for", errno);
        return false;
    }
}

class ReportLink {
public:
    ReportLink(const ReportDevice& device, Deadline deadline, int timeoutMs)
        : device_(device), deadline_(deadline), timeoutMs_(timeoutMs) {
        struct stat info {};
        socket_ = ::fstat(device.fd, &info) == 0 && S_ISSOCK(info.st_mode);
    }

    // false with `outcome` set when the report could not be written.
    bool write(const Report& report, Reply& outcome) {
        std::array<uint8_t, kReportSize + 8> bytes{};
        const std::size_t prefix = std::min<std::size_t>(device_.reportNumberBytes, 8);
        std::copy(report.begin(), report.end(), bytes.begin() + static_cast<long>(prefix));
        const std::size_t size = prefix + kReportSize;
        for (;;) {
            // A socket whose peer is gone must not raise SIGPIPE in the program.
            const ssize_t n = socket_ ? ::send(device_.fd, bytes.data(), size, MSG_NOSIGNAL)
                                      : ::write(device_.fd, bytes.data(), size);
            if (n == static_cast<ssize_t>(size))
                return true;
            if (n >= 0) {
                outcome = failed("the URC took " + std::to_string(n) + " bytes of a " +
                                 std::to_string(size) + "-byte report");
                return false;
            }
            if (errno == EINTR)
                continue;
            if (errno == EAGAIN || errno == EWOULDBLOCK) {
                if (!waitFor(device_.fd, POLLOUT, deadline_, timeoutMs_, outcome, timedOut_))
                    return false;
                continue;
            }
            outcome = linkError("write to", errno);
            return false;
        }
    }

    // One input report; its size through `size`. false with `outcome` set.
    bool read(std::array<uint8_t, kReportSize + 1>& into, std::size_t& size, Reply& outcome) {
        for (;;) {
            if (!waitFor(device_.fd, POLLIN, deadline_, timeoutMs_, outcome, timedOut_))
                return false;
            const ssize_t n = socket_ ? ::recv(device_.fd, into.data(), into.size(), MSG_DONTWAIT)
                                      : ::read(device_.fd, into.data(), into.size());
            if (n > 0) {
                size = static_cast<std::size_t>(n);
                return true;
            }
            if (n == 0) {
                outcome = failed("the URC's link closed");
                return false;
            }
            if (errno == EINTR || errno == EAGAIN || errno == EWOULDBLOCK)
                continue;
            outcome = linkError("read from", errno);
            return false;
        }
    }

    bool timedOut() const { return timedOut_; }

private:
    const ReportDevice& device_;
    bool timedOut_ = false;
    Deadline deadline_;
    int timeoutMs_;
    bool socket_ = false;
};

// One try of an exchange. `lost`: the answer did not come back whole (a
// report was lost on the way, or the URC never answered), so another try may
// succeed; not for an unplugged URC or a closed link.
struct Attempt {
    Reply reply;
    bool lost = false;
    bool timedOut = false;
};

Attempt lostAnswer(std::string why) {
    return {failed(std::move(why)), true, false};
}

// The bytes an answer to a READ request must carry; nullopt for others.
std::optional<std::size_t> readLength(std::span<const uint8_t> request) {
    if (operationOf(request) != Operation::Read || request.size() != 5)
        return std::nullopt;
    return static_cast<std::size_t>(request[3] << 8 | request[4]) * 8;
}

// Reads input reports until the answer of `sequence` is whole.
Attempt awaitAnswer(ReportLink& link, std::span<const uint8_t> request, uint8_t sequence) {
    Assembler assembler;
    std::array<uint8_t, kReportSize + 1> report{};
    for (;;) {
        Attempt attempt;
        std::size_t size = 0;
        if (!link.read(report, size, attempt.reply)) {
            attempt.lost = attempt.timedOut = link.timedOut();
            return attempt;
        }
        if (size != kReportSize)
            return lostAnswer("the URC sent a report of " + std::to_string(size) + " bytes, not " +
                              std::to_string(kReportSize));
        if (report[0] != sequence)
            continue; // the rest of an answer to a request given up on
        switch (assembler.feed(std::span(report).first(kReportSize))) {
        case Assembler::Outcome::More:
        case Assembler::Outcome::Stray:
            continue;
        case Assembler::Outcome::Broken:
            return lostAnswer("the URC's answer is broken: " + assembler.error());
        case Assembler::Outcome::Complete:
            break;
        }
        const Message& answer = assembler.message();
        const auto expected = readLength(request);
        // A report lost in the middle leaves a READ's answer short.
        if (expected && !answer.empty() && answer[0] == kAnswerOk && answer.size() - 1 != *expected)
            return lostAnswer("the URC's answer to READ carried " +
                              std::to_string(answer.size() - 1) + " of " +
                              std::to_string(*expected) + " bytes: reports were lost");
        Attempt done{replyFromAnswer(*operationOf(request), answer)};
        done.lost = done.reply.status == CallStatus::Failed; // an unknown status
        return done;
    }
}

Attempt attemptExchange(const ReportDevice& device, std::span<const uint8_t> request,
                        uint8_t sequence) {
    const int timeoutMs = exchangeTimeoutMs(request, device.timing);
    ReportLink link(device, deadlineIn(timeoutMs), timeoutMs);
    for (const Report& report : splitIntoReports(sequence, request)) {
        Attempt attempt;
        if (!link.write(report, attempt.reply)) {
            attempt.lost = attempt.timedOut = link.timedOut();
            return attempt;
        }
    }
    return awaitAnswer(link, request, sequence);
}

} // namespace

std::size_t answerReportsBound(std::span<const uint8_t> request) {
    const auto operation = operationOf(request);
    if (operation == Operation::Read && request.size() == 5) {
        const std::size_t blocks = static_cast<std::size_t>(request[3] << 8 | request[4]);
        return reportsFor(1 + blocks * 8);
    }
    if (operation == Operation::Collect)
        return reportsFor(1 + kLargestCaptureAnswer);
    return reportsFor(1 + kLargestTextAnswer);
}

int exchangeTimeoutMs(std::span<const uint8_t> request, const LinkTiming& timing) {
    const std::size_t reports = reportsFor(request.size()) + answerReportsBound(request);
    return timing.baseMs + static_cast<int>(reports) * timing.perReportMs;
}

std::size_t discardPendingReports(int fd) {
    // A URC sends a report a millisecond at most, so this ends; the bound is
    // for a file that never stops being readable.
    constexpr std::size_t kMostDiscarded = 4 * kMaxReportsPerMessage;
    std::array<uint8_t, kReportSize + 1> report{};
    std::size_t discarded = 0;
    while (discarded < kMostDiscarded) {
        pollfd p{fd, POLLIN, 0};
        if (::poll(&p, 1, 0) <= 0 || !(p.revents & POLLIN))
            break;
        if (::read(fd, report.data(), report.size()) <= 0)
            break;
        ++discarded;
    }
    return discarded;
}

uint8_t nextSequence() {
    static std::atomic<unsigned> calls{0};
    // getpid() each time: a forked child has its own numbers from its first call.
    const auto start = static_cast<unsigned>(::getpid()) * 97u;
    return static_cast<uint8_t>(start + calls.fetch_add(1, std::memory_order_relaxed));
}

Reply exchange(const ReportDevice& device, std::string_view requestLine, uint8_t sequence) {
    const Encoded request = requestMessage(requestLine);
    if (!request.error.empty())
        return failed("the USB link cannot carry the request: " + request.error);
    return attemptExchange(device, request.message, sequence).reply;
}

Reply exchangeRetrying(const ReportDevice& device, std::string_view requestLine,
                       const std::function<uint8_t()>& sequences) {
    const Encoded request = requestMessage(requestLine);
    if (!request.error.empty())
        return failed("the USB link cannot carry the request: " + request.error);
    int timeouts = 0;
    Attempt attempt;
    for (int tries = 1; tries <= kMostAttempts; ++tries) {
        attempt = attemptExchange(device, request.message, sequences());
        timeouts += attempt.timedOut ? 1 : 0;
        if (!attempt.lost || timeouts == kMostTimeouts)
            break;
        discardPendingReports(device.fd); // what is left of the lost answer
    }
    return attempt.reply;
}

std::vector<std::pair<long, long>> readPieces(long address, long blocks) {
    std::vector<std::pair<long, long>> pieces;
    while (blocks > 0) {
        const long n = std::min(blocks, kMostBlocksPerAnswer);
        pieces.emplace_back(address, n);
        address += n * 8;
        blocks -= n;
    }
    return pieces;
}

Reply exchangeInPieces(const ReportDevice& device, std::string_view requestLine,
                       const std::function<uint8_t()>& sequences) {
    const Encoded request = requestMessage(requestLine);
    const auto length = request.error.empty() ? readLength(request.message) : std::nullopt;
    if (!length || *length / 8 <= static_cast<std::size_t>(kMostBlocksPerAnswer))
        return exchangeRetrying(device, requestLine, sequences);
    const long address = request.message[1] << 8 | request.message[2];
    Reply whole{CallStatus::Ok, {}};
    whole.text.reserve(*length * 2);
    for (const auto& [at, blocks] : readPieces(address, static_cast<long>(*length / 8))) {
        char line[32];
        std::snprintf(line, sizeof line, "READ %04lX %ld", at, blocks);
        Reply piece = exchangeRetrying(device, line, sequences);
        if (!piece.ok())
            return piece;
        whole.text += piece.text;
    }
    return whole;
}

} // namespace urcwire::usb
