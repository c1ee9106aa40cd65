// The URC's side of the USB link without a kernel: reports over a
// SOCK_SEQPACKET socket pair (which keeps each 64-byte report whole) to the
// report loop and back, and the gadget's cable following over a stand-in
// endpoint that hands out such pairs.
#include "platform/urcsim/device.h"
#include "platform/urcsim/factory_keys.h"
#include "platform/urcsim/usb_serving.h"

#include <atomic>
#include <chrono>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <mutex>
#include <poll.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

namespace {

namespace usb = urcwire::usb;
using urcsim::Device;

Device makeDevice() {
    return Device(
        {urcsim::factoryImageFor(urcmem::defaultProfile()), {}, &urcmem::defaultProfile(), 0});
}

struct Pipe {
    int fds[2] = {-1, -1};
    Pipe() { EXPECT_EQ(::pipe2(fds, O_CLOEXEC | O_NONBLOCK), 0); }
    ~Pipe() {
        ::close(fds[0]);
        ::close(fds[1]);
    }
    void signal() { ASSERT_EQ(::write(fds[1], "x", 1), 1); }
};

std::pair<int, int> reportPair() {
    int fds[2];
    EXPECT_EQ(::socketpair(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0, fds), 0);
    return {fds[0], fds[1]};
}

void sendReports(int fd, uint8_t sequence, const usb::Message& message) {
    for (const auto& r : usb::splitIntoReports(sequence, message))
        ASSERT_EQ(::write(fd, r.data(), r.size()), static_cast<ssize_t>(r.size()));
}

// The next input report, or nothing within timeoutMs.
std::optional<usb::Report> nextReport(int fd, int timeoutMs) {
    pollfd p{fd, POLLIN, 0};
    if (::poll(&p, 1, timeoutMs) <= 0)
        return std::nullopt;
    usb::Report r{};
    if (::read(fd, r.data(), r.size()) != static_cast<ssize_t>(r.size()))
        return std::nullopt;
    return r;
}

// The whole answer message with its sequence number; empty when none came.
std::pair<uint8_t, usb::Message> nextAnswer(int fd) {
    usb::Assembler assembler;
    while (auto r = nextReport(fd, 3000)) {
        if (assembler.feed(*r) == usb::Assembler::Outcome::Complete)
            return {assembler.sequence(), assembler.message()};
    }
    return {0, {}};
}

usb::Message request(std::string_view line) {
    auto encoded = usb::requestMessage(line);
    EXPECT_EQ(encoded.error, "") << line;
    return encoded.message;
}

class ReportLoopTest : public testing::Test {
protected:
    void SetUp() override {
        auto [urc, host] = reportPair();
        urcFd = urc;
        hostFd = host;
        loop = std::thread(
            [this] { result = urcsim::serveReports(urcFd, device, stop.fds[0], wake.fds[0]); });
    }
    void TearDown() override {
        stop.signal();
        loop.join();
        ::close(urcFd);
        ::close(hostFd);
    }
    // Sends a request line and returns the socket's form of the answer.
    urcwire::Reply ask(std::string_view line, uint8_t sequence = 7) {
        sendReports(hostFd, sequence, request(line));
        auto [seq, message] = nextAnswer(hostFd);
        EXPECT_EQ(seq, sequence) << line;
        return usb::replyFromAnswer(*usb::operationOf(request(line)), message);
    }

    Device device = makeDevice();
    Pipe stop, wake;
    int urcFd = -1, hostFd = -1;
    urcsim::ServeResult result;
    std::thread loop;
};

TEST_F(ReportLoopTest, AnswersTheFirmwaresRepliesWithTheRequestsSequence) {
    struct Row {
        const char* request;
    } rows[] = {{"LINK"}, {"VERSION"}, {"BASICINFO"}, {"READ 0000 4"}, {"READ 1234 1"}};
    uint8_t sequence = 0;
    for (const Row& row : rows) {
        auto expected = urcwire::parseReply([&] {
            std::string line = device.handle(row.request);
            line.pop_back();
            return line;
        }());
        auto reply = ask(row.request, ++sequence);
        EXPECT_EQ(reply.status, expected.status) << row.request;
        EXPECT_EQ(reply.text, expected.text) << row.request;
    }
}

TEST_F(ReportLoopTest, MovesTheWholeMemoryInOneAnswerAndWritesSpanningReports) {
    std::string data;
    for (int i = 0; i < 100; ++i)
        data += "0123456789ABCDEF"[i % 16], data += "FEDCBA9876543210"[i % 16];
    EXPECT_TRUE(ask("WRITE A5 2000 " + data).ok());
    const auto whole = ask("READ 0000 8192");
    ASSERT_TRUE(whole.ok());
    EXPECT_EQ(whole.text.size(), 2u * 0x10000);
    EXPECT_EQ(whole.text.substr(2 * 0x2000, data.size()), data);
}

TEST_F(ReportLoopTest, ARefusalTravelsAsARefusal) {
    const auto reply = ask("READ FFF8 2");
    EXPECT_EQ(reply.status, urcwire::CallStatus::Refused);
    EXPECT_EQ(reply.text, "the read passes 0xFFFF");
}

TEST_F(ReportLoopTest, BrokenAndUnreadableRequestsAreAnsweredAsMalformed) {
    struct Row {
        const char* what;
        usb::Message message;
    } rows[] = {
        {"unknown operation", {0x63}},
        {"READ without its count", {3, 0x00, 0x00}},
        {"LINK with arguments", {1, 9}},
    };
    uint8_t sequence = 40;
    for (const Row& row : rows) {
        sendReports(hostFd, ++sequence, row.message);
        auto [seq, message] = nextAnswer(hostFd);
        EXPECT_EQ(seq, sequence) << row.what;
        ASSERT_FALSE(message.empty()) << row.what;
        EXPECT_EQ(message[0], usb::kAnswerMalformed) << row.what;
    }
    // A report claiming more payload than it can hold, and one cut short.
    usb::Report lying{};
    lying[0] = 50;
    lying[1] = usb::kFirst | usb::kLast | 63;
    ASSERT_EQ(::write(hostFd, lying.data(), lying.size()), 64);
    auto [seq, message] = nextAnswer(hostFd);
    EXPECT_EQ(seq, 50);
    ASSERT_FALSE(message.empty());
    EXPECT_EQ(message[0], usb::kAnswerMalformed);
    ASSERT_EQ(::write(hostFd, lying.data(), 10), 10);
    EXPECT_EQ(nextAnswer(hostFd).second.at(0), usb::kAnswerMalformed);
    EXPECT_TRUE(ask("LINK").ok()); // and the link goes on
}

TEST_F(ReportLoopTest, StrayReportsAreIgnored) {
    usb::Report stray{};
    stray[0] = 9;
    stray[1] = usb::kLast | 1; // a last part with no first
    stray[2] = 1;
    ASSERT_EQ(::write(hostFd, stray.data(), stray.size()), 64);
    EXPECT_FALSE(nextReport(hostFd, 200)) << "a stray report was answered";
    EXPECT_TRUE(ask("LINK", 10).ok());
    EXPECT_FALSE(nextReport(hostFd, 100)) << "more than one answer came";
}

TEST_F(ReportLoopTest, AnAnswerTheHostStopsReadingIsGivenUpAndTheNextRequestServed) {
    // 1,058 reports of memory, more than the socket holds while nobody reads.
    sendReports(hostFd, 20, request("READ 0000 8192"));
    std::this_thread::sleep_for(std::chrono::milliseconds(urcsim::kReportWriteTimeoutMs + 500));
    std::size_t waiting = 0;
    while (nextReport(hostFd, 0))
        ++waiting;
    EXPECT_GT(waiting, 0u);
    EXPECT_LT(waiting, usb::splitIntoReports(0, usb::Message(1 + 0x10000)).size())
        << "the answer was not cut short";
    const auto started = std::chrono::steady_clock::now();
    EXPECT_TRUE(ask("LINK", 21).ok()); // the left-over part of the read is no answer to it
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(1));
}

// The host asks again when a capture's answer was lost on the way.
TEST_F(ReportLoopTest, ACaptureIsHandedOverAgainOnlyToARepeatedCollect) {
    ASSERT_TRUE(ask("CAPTURE").ok());
    ASSERT_TRUE(device.receive("8123456700017FFF"));
    const auto first = ask("COLLECT", 1);
    ASSERT_TRUE(first.ok());
    EXPECT_EQ(ask("COLLECT", 2).text, first.text) << "the retry gets the same capture";
    EXPECT_EQ(ask("COLLECT", 3).text, first.text);
    // Any other request in between ends it: the capture was taken.
    EXPECT_TRUE(ask("LINK", 4).ok());
    EXPECT_EQ(ask("COLLECT", 5).status, urcwire::CallStatus::Refused);
    // A fresh capture mode clears it as well.
    ASSERT_TRUE(ask("CAPTURE").ok());
    EXPECT_EQ(ask("COLLECT", 6).status, urcwire::CallStatus::Refused);
}

TEST(ReportLoop, EndsOnStopOnWakeAndWhenTheOtherEndCloses) {
    Device device = makeDevice();
    for (auto end :
         {urcsim::ServeEnd::Stopped, urcsim::ServeEnd::Woken, urcsim::ServeEnd::Closed}) {
        Pipe stop, wake;
        auto [urc, host] = reportPair();
        if (end == urcsim::ServeEnd::Stopped)
            stop.signal();
        if (end == urcsim::ServeEnd::Woken)
            wake.signal();
        if (end == urcsim::ServeEnd::Closed)
            ::close(host);
        EXPECT_EQ(urcsim::serveReports(urc, device, stop.fds[0], wake.fds[0]).end, end);
        ::close(urc);
        if (end != urcsim::ServeEnd::Closed)
            ::close(host);
    }
}

TEST(DeviceCableHook, FollowsEachSwitchWithTheStateReleased) {
    Device device = makeDevice();
    std::vector<std::string> seen;
    device.setCableHook([&](bool plugged) {
        // The URC answers from inside the hook: its state is not held.
        const auto status = device.handle("STATUS");
        seen.push_back(std::string(plugged ? "plug " : "unplug ") +
                       (status.find("plugged=no") != std::string::npos ? "off" : "on"));
        return std::string();
    });
    EXPECT_EQ(device.handle("UNPLUG"), "OK unplugged\n");
    EXPECT_EQ(device.handle("PLUG"), "OK plugged\n");
    EXPECT_EQ(seen, (std::vector<std::string>{"unplug off", "plug on"}));
    device.setCableHook([](bool) { return std::string("the controller went away"); });
    EXPECT_EQ(device.handle("UNPLUG"), "ERR the controller went away\n");
    device.setCableHook(nullptr);
    EXPECT_EQ(device.handle("PLUG"), "OK plugged\n");
}

// Hands out a fresh socket pair on every open, as a gadget's node after each
// bind, and records the cable it was told to follow.
class PairEndpoint : public urcsim::ReportEndpoint {
public:
    std::string plug() override { return record("plug"); }
    std::string unplug() override { return record("unplug"); }
    int open(std::string&) override {
        std::lock_guard lock(mutex);
        auto [urc, host] = reportPair();
        if (hostFd >= 0)
            ::close(hostFd);
        hostFd = host;
        ++opens;
        return urc;
    }
    ~PairEndpoint() override {
        if (hostFd >= 0)
            ::close(hostFd);
    }
    int host() {
        std::lock_guard lock(mutex);
        return hostFd;
    }
    std::string record(const char* what) {
        std::lock_guard lock(mutex);
        calls += calls.empty() ? what : std::string(" ") + what;
        return failNext ? "refused" : "";
    }
    std::mutex mutex;
    int hostFd = -1;
    std::atomic<int> opens = 0;
    std::string calls;
    bool failNext = false;
};

bool waitFor(const std::function<bool()>& condition) {
    for (int i = 0; i < 300 && !condition(); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    return condition();
}

// True when the URC's end of the pair is closed within a second.
bool closedByTheUrc(int hostFd) {
    pollfd p{hostFd, POLLIN, 0};
    char byte;
    return ::poll(&p, 1, 1000) > 0 && ::recv(hostFd, &byte, 1, MSG_DONTWAIT) == 0;
}

urcwire::Reply askOver(int fd, std::string_view line) {
    sendReports(fd, 3, request(line));
    return usb::replyFromAnswer(*usb::operationOf(request(line)), nextAnswer(fd).second);
}

TEST(GadgetServer, UnplugClosesTheReportsAndPlugOpensThemAgain) {
    Device device = makeDevice();
    Pipe stop;
    PairEndpoint endpoint;
    urcsim::GadgetServer server(endpoint, device, stop.fds[0]);
    device.setCableHook([&](bool plugged) { return server.followCable(plugged); });
    ASSERT_TRUE(waitFor([&] { return endpoint.opens == 1; }));
    EXPECT_TRUE(askOver(endpoint.host(), "LINK").ok());

    EXPECT_EQ(device.handle("UNPLUG"), "OK unplugged\n");
    EXPECT_EQ(endpoint.calls, "unplug");
    EXPECT_TRUE(closedByTheUrc(endpoint.host())) << "the reports stayed open while unplugged";
    EXPECT_EQ(device.handle("UNPLUG"), "OK unplugged\n");
    EXPECT_EQ(endpoint.calls, "unplug") << "an unplugged cable was pulled again";

    EXPECT_EQ(device.handle("PLUG"), "OK plugged\n");
    EXPECT_EQ(endpoint.calls, "unplug plug");
    ASSERT_TRUE(waitFor([&] { return endpoint.opens == 2; }));
    EXPECT_TRUE(askOver(endpoint.host(), "VERSION").ok());
    device.setCableHook(nullptr);
}

TEST(GadgetServer, AFailedBindIsTheBenchsAnswer) {
    Device device = makeDevice();
    Pipe stop;
    PairEndpoint endpoint;
    urcsim::GadgetServer server(endpoint, device, stop.fds[0]);
    device.setCableHook([&](bool plugged) { return server.followCable(plugged); });
    endpoint.failNext = true;
    EXPECT_EQ(device.handle("UNPLUG"), "ERR refused\n");
    device.setCableHook(nullptr);
}

TEST(GadgetServer, ReopensAfterTheEndpointFailsWithoutABusyLoop) {
    Device device = makeDevice();
    Pipe stop;
    PairEndpoint endpoint;
    urcsim::GadgetServer server(endpoint, device, stop.fds[0]);
    ASSERT_TRUE(waitFor([&] { return endpoint.opens == 1; }));
    ::shutdown(endpoint.host(), SHUT_RDWR); // the node goes away under the server
    ASSERT_TRUE(waitFor([&] { return endpoint.opens == 2; }));
    EXPECT_TRUE(askOver(endpoint.host(), "LINK").ok());
    // Failing each time it is opened: one attempt per reopening delay at most.
    const auto started = std::chrono::steady_clock::now();
    const int before = endpoint.opens;
    for (int i = 0; i < 4; ++i) {
        const int now = endpoint.opens;
        ::shutdown(endpoint.host(), SHUT_RDWR);
        ASSERT_TRUE(waitFor([&] { return endpoint.opens > now; }));
    }
    const auto took = std::chrono::steady_clock::now() - started;
    EXPECT_EQ(endpoint.opens - before, 4);
    EXPECT_GE(took, std::chrono::milliseconds(4 * urcsim::kReopenDelayMs));
}

TEST(GadgetServer, EndsWhenTheServerStops) {
    Device device = makeDevice();
    Pipe stop;
    PairEndpoint endpoint;
    auto server = std::make_unique<urcsim::GadgetServer>(endpoint, device, stop.fds[0]);
    ASSERT_TRUE(waitFor([&] { return endpoint.opens == 1; }));
    stop.signal();
    ASSERT_TRUE(closedByTheUrc(endpoint.host())) << "the reports were not closed at the stop";
    EXPECT_EQ(server->followCable(false), "the USB link has stopped");
    server.reset();
    EXPECT_EQ(endpoint.calls, "");
}

} // namespace
