// urc-sim serve under many clients: a bounded number served at once and the
// rest told why, no abort when the process runs out of threads, and a stop
// that no client holds up, with the socket file gone on every way out.
#include "platform/urcwire/wire_protocol.h"
#include "platform/urcsim/connections.h"
#include "tests/support/server_fixture.h"

#include <chrono>
#include <gtest/gtest.h>
#include <optional>
#include <string>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

namespace fs = std::filesystem;
using urctest::ServerProcess;

// Connections the test holds open; closed at the end of the test.
struct Clients {
    std::vector<int> fds;
    ~Clients() {
        for (int fd : fds)
            ::close(fd);
    }
    int add(const std::string& socketPath) {
        return fds.emplace_back(urctest::connectTo(socketPath));
    }
    bool send(int fd, const std::string& text) {
        return urcwire::writeAll(fd, text, urcwire::deadlineIn(5000));
    }
};

std::optional<std::string> answerOn(int fd) {
    return urcwire::readLine(fd, urcwire::deadlineIn(5000));
}

// The server has accepted every connection made before this one.
bool acceptedSoFar(const ServerProcess& server) {
    return urcwire::call(server.socketPath(), "STATUS").ok();
}

TEST(UrcSimClients, ThoseBeyondTheBoundAreToldWhyAndTheOthersServed) {
    ServerProcess server;
    ASSERT_TRUE(server.started());
    // The fixture's probe, closed at once, still holds a slot for a moment.
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    Clients held;
    for (int i = 0; i < urcsim::kMaxConnections; ++i)
        ASSERT_GE(held.add(server.socketPath()), 0);
    const std::string why = "already serves " + std::to_string(urcsim::kMaxConnections) +
                            " connections, as many as it serves at once";
    for (int i = 0; i < 3; ++i) {
        const urcwire::Reply refused = urcwire::call(server.socketPath(), "STATUS");
        EXPECT_EQ(refused.status, urcwire::CallStatus::Refused) << refused.text;
        EXPECT_NE(refused.text.find(why), std::string::npos) << refused.text;
    }
    std::string output;
    EXPECT_EQ(urctest::runUrcSim("status", &output), 1);
    EXPECT_NE(output.find(why), std::string::npos) << output;

    // Those taken in are still answered, and a slot given back is used again.
    ASSERT_TRUE(held.send(held.fds[0], "STATUS\n"));
    EXPECT_TRUE(answerOn(held.fds[0]).value_or("").starts_with("OK ")) << "a held client";
    for (int fd : held.fds)
        ::close(fd);
    held.fds.clear();
    bool served = false;
    for (int i = 0; i < 500 && !(served = acceptedSoFar(server)); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    EXPECT_TRUE(served) << "no client served after the others left";
    EXPECT_EQ(server.stop(), 0);
    EXPECT_FALSE(fs::exists(server.socketPath()));
}

// A server that refuses before reading (as a full one does) is still heard by a
// client whose request it never took.
TEST(UrcSimClients, ARefusalBeforeTheRequestWasReadReachesTheClient) {
    std::string pattern = (fs::temp_directory_path() / "urcwire-XXXXXX").string();
    const fs::path folder = ::mkdtemp(pattern.data());
    const std::string path = (folder / "s").string();
    int listening = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    path.copy(address.sun_path, sizeof address.sun_path - 1);
    ASSERT_EQ(::bind(listening, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    ASSERT_EQ(::listen(listening, 1), 0);
    std::thread refuser([listening] {
        int fd = ::accept(listening, nullptr, nullptr);
        ::send(fd, "ERR busy\n", 9, MSG_NOSIGNAL);
        ::close(fd);
    });
    // More than the socket's buffer takes: the send fails once the server closed.
    const urcwire::Reply reply = urcwire::call(path, "WRITE " + std::string(400000, '0'));
    refuser.join();
    ::close(listening);
    fs::remove_all(folder);
    EXPECT_EQ(reply.status, urcwire::CallStatus::Refused) << reply.text;
    EXPECT_EQ(reply.text, "busy");
}

// The superuser is exempt from the process limit; the server then runs as a
// user of its own, which is held to it like anyone else.
constexpr uid_t kOwnUser = 2000000000u;

// Only system calls: this runs between fork and exec.
void allowNoMoreThreads() {
    if (::getuid() == 0 && ::setresuid(kOwnUser, kOwnUser, kOwnUser) != 0)
        ::_exit(126);
    const rlimit oneProcess{1, 1};
    ::setrlimit(RLIMIT_NPROC, &oneProcess);
}

TEST(UrcSimClients, OutOfThreadsAConnectionIsRefusedAndTheServerEndsCleanly) {
    std::string pattern = (fs::temp_directory_path() / "urcsim-XXXXXX").string();
    const fs::path folder = ::mkdtemp(pattern.data());
    if (::getuid() == 0) {
        ASSERT_EQ(::chown(folder.c_str(), kOwnUser, static_cast<gid_t>(-1)), 0);
    }
    // The leak checker would need a thread of its own at exit.
    ServerProcess server("", folder, allowNoMoreThreads,
                         "ASAN_OPTIONS=\"${ASAN_OPTIONS:-}:detect_leaks=0\"");
    ASSERT_TRUE(server.started());
    for (int i = 0; i < 3; ++i) {
        const urcwire::Reply refused = urcwire::call(server.socketPath(), "STATUS");
        EXPECT_EQ(refused.status, urcwire::CallStatus::Refused) << refused.text;
        EXPECT_NE(refused.text.find("cannot start a thread for this connection"), std::string::npos)
            << refused.text;
    }
    EXPECT_EQ(server.stop(), 0) << "the server must neither abort nor hang";
    EXPECT_FALSE(fs::exists(server.socketPath()));
}

// A request sent once the stop began is not read any more.
bool noAnswerToALateRequest(Clients& clients) {
    clients.send(clients.fds[0], "STATUS\n");
    return !answerOn(clients.fds[0]);
}

bool noneAnsweredOk(Clients& clients) {
    for (int fd : clients.fds)
        if (answerOn(fd).value_or("ERR").starts_with("OK"))
            return false;
    return true;
}

TEST(UrcSimStop, NoClientHoldsTheStopUpAndTheSocketGoes) {
    struct Case {
        const char* what; // the state the server is in when told to stop
        // Puts the clients into the state; the server has 1000 ms of link latency.
        void (*before)(Clients& clients, const std::string& socketPath);
        // Once the server has let its socket go; false when a client was
        // answered as if the server were not stopping.
        bool (*after)(Clients& clients);
    };
    const Case cases[] = {
        {"a silent client", [](Clients& c, const std::string& path) { c.add(path); },
         noAnswerToALateRequest},
        {"a client half-way through its request",
         [](Clients& c, const std::string& path) { c.send(c.add(path), "WRITE A5 2000 11"); },
         [](Clients& c) {
             c.send(c.fds[0], "22\n");
             return !answerOn(c.fds[0]);
         }},
        {"clients waiting for slow transfers",
         [](Clients& c, const std::string& path) {
             for (int i = 0; i < 8; ++i)
                 c.send(c.add(path), "READ 0000 64\n"); // nine seconds each, one after the other
         },
         noneAnsweredOk},
        {"a client that does not take its answer",
         [](Clients& c, const std::string& path) { c.send(c.add(path), "DUMP 0 65536\n"); },
         [](Clients&) { return true; }},
    };
    for (const Case& c : cases) {
        ServerProcess server("--latency-ms 1000");
        ASSERT_TRUE(server.started()) << c.what;
        Clients clients;
        c.before(clients, server.socketPath());
        ASSERT_TRUE(acceptedSoFar(server)) << c.what;
        server.askToStop();
        ASSERT_TRUE(urctest::goneSoon(server.socketPath())) << c.what;
        EXPECT_TRUE(c.after(clients)) << c.what;
        EXPECT_EQ(server.waitEnded(), 0) << c.what << ": not ended within the bound";
    }
}

} // namespace
