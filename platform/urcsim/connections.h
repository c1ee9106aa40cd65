#pragma once
// The connections urc-sim serves at once, each on a thread of its own. Their
// number is bounded, so that a crowd of clients cannot exhaust the process's
// threads; a connection past the bound, or one whose thread cannot be started,
// is answered at once with an error line and closed, so its client reads why
// instead of waiting. Stopping shuts every open connection down, so that a
// silent or slow client cannot hold the server up.
#include <condition_variable>
#include <functional>
#include <mutex>
#include <set>
#include <string>

namespace urcsim {

// Far more than the program, urc-tool and the bench use together (one
// request per connection, a few at a time).
inline constexpr int kMaxConnections = 64;

class Connections {
public:
    // Answers one connection; the socket is closed afterwards by Connections.
    using Serve = std::function<void(int fd)>;

    explicit Connections(Serve serve, int limit = kMaxConnections);
    // Stops and waits.
    ~Connections();
    Connections(const Connections&) = delete;
    Connections& operator=(const Connections&) = delete;

    // Takes an accepted, non-blocking socket over: served on a thread of its
    // own, or refused and closed. Never throws for a thread that cannot start.
    void admit(int fd);

    // Ends the reading of every open connection at once (a client still to
    // send its request gets no answer) and refuses those admitted later.
    void stop();
    // After stop(): waits until every thread has ended, giving the answers
    // still being written a moment before cutting their connections too.
    void wait();

private:
    void run(int fd);
    // Writes the refusal without waiting and closes; `report` puts it on
    // standard error too (the first refusal of each kind).
    void refuse(int fd, const std::string& why, bool report);

    Serve serve_;
    const int limit_;
    std::mutex mutex_;
    std::condition_variable ended_;
    std::set<int> open_; // sockets whose threads run
    bool stopping_ = false;
    bool reportedFull_ = false;
    bool reportedNoThread_ = false;
};

} // namespace urcsim
