// The host's side of the USB link against a URC on the other end of a
// SOCK_SEQPACKET socketpair, which keeps report boundaries as hidraw does:
// the emulated URC's firmware (urcsim::Device) behind the URC's side of the
// framing, or canned answers.
#include "platform/urcsim/device.h"
#include "platform/urcsim/factory_keys.h"
#include "platform/urcwire/usb_transport.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

namespace {

using namespace urcwire::usb;
using urcwire::CallStatus;
using Clock = std::chrono::steady_clock;
using Datagrams = std::vector<std::vector<uint8_t>>;
// What the URC sends for a whole request; nullopt: it closes its end.
using Responder = std::function<std::optional<Datagrams>(uint8_t sequence, const Message&)>;

Datagrams asDatagrams(const std::vector<Report>& reports) {
    Datagrams out;
    for (const Report& r : reports)
        out.emplace_back(r.begin(), r.end());
    return out;
}

// The URC's end of the socketpair, on a thread of its own.
class FakeUrc {
public:
    // closeAfterAnswer: the URC vanishes once it has sent its first answer.
    explicit FakeUrc(Responder respond, std::size_t prefix = 0, bool closeAfterAnswer = false)
        : respond_(std::move(respond)), prefix_(prefix), closeAfterAnswer_(closeAfterAnswer) {
        int fds[2];
        EXPECT_EQ(::socketpair(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0, fds), 0);
        host_ = fds[0];
        urc_ = fds[1];
        thread_ = std::thread([this] { serve(); });
    }
    ~FakeUrc() {
        ::shutdown(host_, SHUT_RDWR);
        thread_.join();
        ::close(host_);
    }
    ReportDevice device(LinkTiming timing = {}) const { return {host_, prefix_, timing}; }
    std::size_t reportsIn() const { return reportsIn_; }
    std::size_t reportsOut() const { return reportsOut_; }
    std::set<std::size_t> sizesIn() const {
        const std::lock_guard<std::mutex> lock(mutex_);
        return sizesIn_;
    }

private:
    void serve() {
        Assembler assembler;
        std::vector<uint8_t> buffer(256);
        for (;;) {
            const ssize_t n = ::recv(urc_, buffer.data(), buffer.size(), 0);
            if (n <= 0)
                break;
            ++reportsIn_;
            {
                const std::lock_guard<std::mutex> lock(mutex_);
                sizesIn_.insert(static_cast<std::size_t>(n));
            }
            if (static_cast<std::size_t>(n) < prefix_ ||
                assembler.feed(std::span(buffer).subspan(prefix_, n - prefix_)) !=
                    Assembler::Outcome::Complete)
                continue;
            const auto answer = respond_(assembler.sequence(), assembler.message());
            if (!answer)
                break;
            for (const auto& datagram : *answer) {
                // Counted before it goes: the host may take the last report
                // and read the count before this thread runs on.
                ++reportsOut_;
                if (::send(urc_, datagram.data(), datagram.size(), MSG_NOSIGNAL) < 0) {
                    --reportsOut_;
                    break;
                }
            }
            if (closeAfterAnswer_)
                break;
        }
        ::close(urc_);
    }

    Responder respond_;
    std::size_t prefix_;
    bool closeAfterAnswer_;
    int host_ = -1;
    int urc_ = -1;
    std::thread thread_;
    std::atomic<std::size_t> reportsIn_{0};
    std::atomic<std::size_t> reportsOut_{0};
    mutable std::mutex mutex_;
    std::set<std::size_t> sizesIn_;
};

// The emulated URC's firmware behind the URC's side of the framing.
Responder firmware(urcsim::Device& device) {
    return [&device](uint8_t sequence, const Message& request) -> std::optional<Datagrams> {
        const Decoded decoded = requestLine(request);
        const Message answer = decoded.line.empty() ? malformedAnswer(decoded.error) : [&] {
            std::string line = device.handle(decoded.line);
            line.pop_back(); // its "\n"
            return answerMessage(*operationOf(request), line);
        }();
        return asDatagrams(splitIntoReports(sequence, answer));
    };
}

urcsim::Device makeDevice() {
    return urcsim::Device(
        {urcsim::factoryImageFor(urcmem::defaultProfile()), {}, &urcmem::defaultProfile(), 0});
}

Responder canned(Message answer) {
    return [answer](uint8_t sequence, const Message&) -> std::optional<Datagrams> {
        return asDatagrams(splitIntoReports(sequence, answer));
    };
}

Message okText(const std::string& text) {
    Message m{kAnswerOk};
    m.insert(m.end(), text.begin(), text.end());
    return m;
}

// The reply the socket link gives for `line`.
urcwire::Reply socketReply(urcsim::Device& device, const std::string& line) {
    std::string answer = device.handle(line);
    answer.pop_back(); // its "\n"
    return urcwire::parseReply(answer);
}

long millisecondsSince(Clock::time_point start) {
    return static_cast<long>(
        std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count());
}

TEST(UsbExchange, TheFirmwareAnswersAsOverTheSocket) {
    auto device = makeDevice();
    auto reference = makeDevice();
    FakeUrc urc(firmware(device));
    struct Row {
        std::string line;
        CallStatus status;
    };
    for (const Row& row : std::initializer_list<Row>{{"LINK", CallStatus::Ok},
                                                     {"VERSION", CallStatus::Ok},
                                                     {"BASICINFO", CallStatus::Ok},
                                                     {"READ 0000 4", CallStatus::Ok},
                                                     {"READ FFF8 2", CallStatus::Refused},
                                                     {"WRITE 00 2000 11", CallStatus::Refused},
                                                     {"COLLECT", CallStatus::Refused}}) {
        const auto reply = exchange(urc.device(), row.line, nextSequence());
        const auto expected = socketReply(reference, row.line);
        EXPECT_EQ(reply.status, row.status) << row.line << ": " << reply.text;
        EXPECT_EQ(reply.status, expected.status) << row.line;
        EXPECT_EQ(reply.text, expected.text) << row.line;
    }
}

TEST(UsbExchange, AWholeMemoryReadComesBackIn1058Reports) {
    auto device = makeDevice();
    FakeUrc urc(firmware(device));
    const auto reply = exchange(urc.device(), "READ 0000 8192", nextSequence());
    ASSERT_EQ(reply.status, CallStatus::Ok) << reply.text;
    EXPECT_EQ(reply.text.size(), 2 * kMemorySize);
    std::string expected = device.handle("READ 0000 8192");
    EXPECT_EQ("OK " + reply.text + "\n", expected);
    EXPECT_EQ(urc.reportsIn(), 1u);
    EXPECT_EQ(urc.reportsOut(), 1058u);
}

TEST(UsbExchange, AWholeMemoryWriteGoesOutIn1058ReportsAndReadsBack) {
    auto device = makeDevice();
    FakeUrc urc(firmware(device));
    const std::string data(2 * 0x100, '5');
    const auto wrote = exchange(urc.device(), "WRITE A5 2000 " + data, 7);
    EXPECT_EQ(wrote.status, CallStatus::Ok) << wrote.text;
    EXPECT_EQ(exchange(urc.device(), "READ 2000 32", 8).text, data);
    const std::size_t before = urc.reportsIn();
    // The largest request the link carries (refused by the firmware: it
    // overwrites the layout block with another selector).
    const auto whole =
        exchange(urc.device(), "WRITE 00 0000 " + std::string(2 * kMemorySize, '0'), 9);
    EXPECT_EQ(urc.reportsIn() - before, 1058u);
    EXPECT_EQ(whole.status, CallStatus::Refused) << whole.text;
    EXPECT_EQ(whole.text, socketReply(device, "WRITE 00 0000 00").text);
}

TEST(UsbExchange, StrayAnswersAreSkipped) {
    FakeUrc urc([](uint8_t sequence, const Message&) -> std::optional<Datagrams> {
        // The end of an answer given up on, a whole one of another number and
        // a report of ours that starts no message, then the answer.
        Datagrams out = asDatagrams(splitIntoReports(sequence - 1, Message(100, 0xAA)));
        out.erase(out.begin());
        for (auto& d : asDatagrams(splitIntoReports(sequence + 1, okText("0"))))
            out.push_back(d);
        Report middle{};
        middle[0] = sequence;
        middle[1] = 3;
        out.emplace_back(middle.begin(), middle.end());
        for (auto& d : asDatagrams(splitIntoReports(sequence, okText("1"))))
            out.push_back(d);
        return out;
    });
    for (uint8_t sequence : {0, 1, 128, 255}) {
        const auto reply = exchange(urc.device(), "LINK", sequence);
        EXPECT_EQ(reply.status, CallStatus::Ok) << reply.text;
        EXPECT_EQ(reply.text, "1");
    }
}

TEST(UsbExchange, ASilentUrcTimesOutWithinItsBound) {
    FakeUrc urc([](uint8_t, const Message&) { return std::optional<Datagrams>(Datagrams{}); });
    const LinkTiming timing{200, 2};
    const Message link{static_cast<uint8_t>(Operation::Link)};
    const int bound = exchangeTimeoutMs(link, timing);
    EXPECT_EQ(bound, 200 + 2 * (1 + 17));
    const auto start = Clock::now();
    const auto reply = exchange(urc.device(timing), "LINK", 1);
    const long took = millisecondsSince(start);
    EXPECT_EQ(reply.status, CallStatus::Failed);
    EXPECT_EQ(reply.text, "the URC did not answer within 236 ms");
    EXPECT_GE(took, bound - 2);
    EXPECT_LT(took, bound + 200);
}

TEST(UsbExchange, AVanishedUrcFailsAtOnce) {
    struct Row {
        Responder respond;
        const char* what;
    };
    // Gone on taking the request, and gone half-way through its answer.
    for (const Row& row : std::initializer_list<Row>{
             {[](uint8_t, const Message&) { return std::optional<Datagrams>(); }, "on request"},
             {[](uint8_t sequence, const Message&) -> std::optional<Datagrams> {
                  auto part =
                      asDatagrams(splitIntoReports(sequence, okText(std::string(200, 'x'))));
                  part.pop_back();
                  return part;
              },
              "mid-answer"}}) {
        FakeUrc urc(row.respond, 0, true);
        const auto start = Clock::now();
        const auto reply = exchange(urc.device(), "VERSION", 5);
        EXPECT_LT(millisecondsSince(start), 500) << row.what;
        EXPECT_EQ(reply.status, CallStatus::Failed) << row.what;
        EXPECT_EQ(reply.text, "the URC's link closed") << row.what;
    }
}

TEST(UsbExchange, AClosedLinkFailsAtOnceWithItsReason) {
    int fds[2];
    ASSERT_EQ(::socketpair(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0, fds), 0);
    ::close(fds[1]);
    const auto start = Clock::now();
    const auto reply = exchange({fds[0], 0, {}}, "LINK", 1);
    EXPECT_LT(millisecondsSince(start), 100);
    EXPECT_EQ(reply.status, CallStatus::Failed);
    EXPECT_EQ(reply.text, "the URC's link closed");
    ::close(fds[0]);
}

TEST(UsbExchange, BrokenAnswersFailWithWhatIsWrong) {
    struct Row {
        std::vector<uint8_t> datagram; // after the sequence byte
        std::string reason;
    };
    std::vector<uint8_t> overlong(kReportSize - 1, 0);
    overlong[0] = kFirst | kLast | 63;
    std::vector<uint8_t> unknown(kReportSize - 1, 0);
    unknown[0] = kFirst | kLast | 4;
    unknown[3] = 1; // the message's length
    unknown[4] = 9; // no answer status
    for (const Row& row : std::initializer_list<Row>{
             {std::vector<uint8_t>(9, 0), "a report of 10 bytes, not 64"},
             {std::vector<uint8_t>(kReportSize, 0), "a report of 65 bytes, not 64"},
             {overlong, "the URC's answer is broken: a report claims 63 bytes of at most 62"},
             {unknown, "unknown status"}}) {
        FakeUrc urc([&](uint8_t sequence, const Message&) -> std::optional<Datagrams> {
            std::vector<uint8_t> d{sequence};
            d.insert(d.end(), row.datagram.begin(), row.datagram.end());
            return Datagrams{d};
        });
        const auto reply = exchange(urc.device(), "LINK", 3);
        EXPECT_EQ(reply.status, CallStatus::Failed);
        EXPECT_NE(reply.text.find(row.reason), std::string::npos) << reply.text;
    }
}

TEST(UsbExchange, RefusalsAndMalformedRequestsKeepTheirTexts) {
    Message refused{kAnswerRefused};
    for (char c : std::string("no code captured yet"))
        refused.push_back(static_cast<uint8_t>(c));
    FakeUrc urc(canned(refused));
    const auto reply = exchange(urc.device(), "COLLECT", 1);
    EXPECT_EQ(reply.status, CallStatus::Refused);
    EXPECT_EQ(reply.text, "no code captured yet");
    FakeUrc confused(canned(malformedAnswer("READ takes 4 bytes")));
    EXPECT_EQ(exchange(confused.device(), "READ 0000 1", 2).text,
              "the URC could not read the request: READ takes 4 bytes");
    // What the link cannot carry is not sent at all.
    const auto unsent = exchange(urc.device(), "DUMP 0000", 3);
    EXPECT_EQ(unsent.status, CallStatus::Failed);
    EXPECT_NE(unsent.text.find("no request DUMP"), std::string::npos) << unsent.text;
}

TEST(UsbExchange, HidrawWritesTakeTheReportNumberFirst) {
    FakeUrc urc(canned(okText("1")), 1);
    EXPECT_TRUE(exchange(urc.device(), "LINK", 4).ok());
    EXPECT_EQ(urc.sizesIn(), (std::set<std::size_t>{kReportSize + 1}));
}

TEST(UsbExchange, TheBoundGrowsWithTheMessages) {
    struct Row {
        std::string line;
        int bound;
    };
    const LinkTiming timing{2000, 2};
    for (const Row& row : std::initializer_list<Row>{
             {"LINK", 2000 + 2 * (1 + 17)},
             {"COLLECT", 2000 + 2 * (1 + 166)},
             {"READ 0000 1", 2000 + 2 * (1 + 1)},
             {"READ 0000 8192", 2000 + 2 * (1 + 1058)},
             {"WRITE 00 0000 " + std::string(2 * kMemorySize, '0'), 2000 + 2 * (1058 + 17)}})
        EXPECT_EQ(exchangeTimeoutMs(requestMessage(row.line).message, timing), row.bound)
            << row.line;
}

TEST(UsbExchange, ReportsWaitingBeforeTheRequestAreDropped) {
    int fds[2];
    ASSERT_EQ(::socketpair(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0, fds), 0);
    EXPECT_EQ(discardPendingReports(fds[0]), 0u);
    for (const auto& report : splitIntoReports(9, Message(500, 1)))
        ASSERT_EQ(::send(fds[1], report.data(), report.size(), 0), 64);
    EXPECT_EQ(discardPendingReports(fds[0]), 9u);
    EXPECT_EQ(discardPendingReports(fds[0]), 0u);
    ::close(fds[0]);
    ::close(fds[1]);
}

// The firmware's answer with one report left out of the first `spoiled`
// answers, as a host that reads too slowly loses it.
Responder losingOneReport(urcsim::Device& device, int spoiled) {
    auto answers = std::make_shared<int>(0);
    auto whole = firmware(device);
    return [=](uint8_t sequence, const Message& request) -> std::optional<Datagrams> {
        auto out = whole(sequence, request);
        if (out && out->size() > 2 && (*answers)++ < spoiled)
            out->erase(out->begin() + 1);
        return out;
    };
}

TEST(UsbRetries, AReadLeftShortByALostReportIsAskedAgain) {
    auto device = makeDevice();
    FakeUrc once(losingOneReport(device, 1));
    const auto alone = exchange(once.device(), "READ 0000 64", 1);
    EXPECT_EQ(alone.status, CallStatus::Failed);
    EXPECT_EQ(alone.text, "the URC's answer is broken: a message of 451 bytes that stated 513: a "
                          "report was lost");
    FakeUrc twice(losingOneReport(device, 2));
    const auto retried = exchangeRetrying(twice.device(), "READ 0000 64");
    EXPECT_EQ(retried.status, CallStatus::Ok) << retried.text;
    EXPECT_EQ(retried.text, socketReply(device, "READ 0000 64").text);
    EXPECT_EQ(twice.reportsIn(), 3u); // three requests of one report each
}

TEST(UsbRetries, ABrokenAnswerIsAskedForThreeTimesAtMost) {
    FakeUrc urc(canned(Message{9}));
    const auto reply = exchangeRetrying(urc.device(), "VERSION");
    EXPECT_EQ(reply.status, CallStatus::Failed);
    EXPECT_EQ(reply.text, "the URC's answer has an unknown status");
    EXPECT_EQ(urc.reportsIn(), std::size_t(kMostAttempts));
}

TEST(UsbRetries, ASilentUrcIsGivenUpOnAfterTwoTimeouts) {
    FakeUrc urc([](uint8_t, const Message&) { return std::optional<Datagrams>(Datagrams{}); });
    const LinkTiming timing{100, 2};
    const auto start = Clock::now();
    const auto reply = exchangeRetrying(urc.device(timing), "LINK");
    const long took = millisecondsSince(start);
    EXPECT_EQ(reply.text, "the URC did not answer within 136 ms");
    EXPECT_EQ(urc.reportsIn(), 2u);
    EXPECT_GE(took, 2 * 136 - 4);
    EXPECT_LT(took, 2 * 136 + 200);
}

TEST(UsbRetries, AVanishedUrcIsNotAskedAgain) {
    FakeUrc urc([](uint8_t, const Message&) { return std::optional<Datagrams>(); });
    const auto reply = exchangeRetrying(urc.device(), "LINK");
    EXPECT_EQ(reply.text, "the URC's link closed");
    EXPECT_EQ(urc.reportsIn(), 1u);
}

TEST(UsbPieces, LongReadsGoInPiecesWhoseAnswersFitHidrawsQueue) {
    EXPECT_EQ(kMostBlocksPerAnswer, 487);
    EXPECT_LE(splitIntoReports(0, Message(1 + 8 * kMostBlocksPerAnswer)).size(), 63u);
    using Pieces = std::vector<std::pair<long, long>>;
    EXPECT_EQ(readPieces(0x1000, 1), (Pieces{{0x1000, 1}}));
    EXPECT_EQ(readPieces(0x0000, 487), (Pieces{{0x0000, 487}}));
    EXPECT_EQ(readPieces(0x0000, 488), (Pieces{{0x0000, 487}, {0x0F38, 1}}));
    const Pieces whole = readPieces(0x0000, 8192);
    EXPECT_EQ(whole.size(), 17u);
    EXPECT_EQ(whole.back(), (std::pair<long, long>{16 * 3896, 8192 - 16 * 487}));
}

TEST(UsbPieces, AWholeMemoryReadComesBackJoinedIn1060Reports) {
    auto device = makeDevice();
    FakeUrc urc(losingOneReport(device, 1));
    const auto reply = exchangeInPieces(urc.device(), "READ 0000 8192");
    ASSERT_EQ(reply.status, CallStatus::Ok) << reply.text;
    EXPECT_EQ(reply.text, socketReply(device, "READ 0000 8192").text);
    EXPECT_EQ(urc.reportsIn(), 17u + 1u); // the first piece was asked for twice
    // The lost first try, then 16 pieces of 63 reports and one of 52.
    EXPECT_EQ(urc.reportsOut(), 62u + 16u * 63u + 52u);
    // Short reads and other requests go as they are.
    EXPECT_EQ(exchangeInPieces(urc.device(), "READ FFF8 1").text,
              socketReply(device, "READ FFF8 1").text);
    EXPECT_EQ(exchangeInPieces(urc.device(), "LINK").text, "1");
}

TEST(UsbSequence, NoNumberComesBackWithin255Calls) {
    std::set<uint8_t> seen;
    for (int i = 0; i < 256; ++i)
        seen.insert(nextSequence());
    EXPECT_EQ(seen.size(), 256u);
}

} // namespace
