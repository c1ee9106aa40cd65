#include "platform/urcsim/connections.h"

#include "platform/urcwire/wire_protocol.h"

#include <chrono>
#include <iostream>
#include <new>
#include <sys/socket.h>
#include <system_error>
#include <thread>
#include <unistd.h>
#include <utility>

namespace urcsim {

namespace {

// How long answers already made may still go out once stopping; a client that
// does not take its answer by then loses it.
constexpr auto kStopGrace = std::chrono::milliseconds(200);

} // namespace

Connections::Connections(Serve serve, int limit) : serve_(std::move(serve)), limit_(limit) {}

Connections::~Connections() {
    stop();
    wait();
}

void Connections::admit(int fd) {
    std::unique_lock lock(mutex_);
    if (stopping_) {
        lock.unlock();
        refuse(fd, "the URC emulator is stopping", false);
        return;
    }
    if (static_cast<int>(open_.size()) >= limit_) {
        const bool first = !std::exchange(reportedFull_, true);
        lock.unlock();
        refuse(fd,
               "the URC emulator already serves " + std::to_string(limit_) +
                   " connections, as many as it serves at once; try again when one has ended",
               first);
        return;
    }
    try {
        open_.insert(fd);
        std::thread(&Connections::run, this, fd).detach();
        return;
    } catch (const std::bad_alloc&) {
        // Out of memory: the connection is closed unanswered, the server goes on.
        open_.erase(fd);
        lock.unlock();
        ::close(fd);
    } catch (const std::system_error& e) {
        // Out of threads (a process limit): this client is told so, and the
        // server goes on with those it serves.
        open_.erase(fd);
        const bool first = !std::exchange(reportedNoThread_, true);
        lock.unlock();
        refuse(fd,
               "the URC emulator cannot start a thread for this connection (" + e.code().message() +
                   "); try again when fewer programs run",
               first);
    }
}

void Connections::run(int fd) {
    try {
        serve_(fd);
    } catch (...) {
        // An answer that could not be made (out of memory): the client sees
        // its connection closed; the server goes on.
    }
    std::lock_guard lock(mutex_);
    open_.erase(fd);
    // Closed under the lock, so that stopping never shuts a reused number down.
    ::close(fd);
    if (open_.empty())
        ended_.notify_all();
}

void Connections::refuse(int fd, const std::string& why, bool report) {
    // The socket is new and empty, so the short line fits without waiting.
    const std::string line = urcwire::errorLine(why);
    [[maybe_unused]] auto sent = ::send(fd, line.data(), line.size(), MSG_NOSIGNAL | MSG_DONTWAIT);
    ::close(fd);
    if (report)
        std::cerr << "urc-sim: refusing a connection: " << why
                  << " (further refusals of this kind are not reported)" << std::endl;
}

void Connections::stop() {
    std::lock_guard lock(mutex_);
    stopping_ = true;
    // Requests not read yet are not waited for: a silent or slow client
    // cannot hold the stop up.
    for (int fd : open_)
        ::shutdown(fd, SHUT_RD);
}

void Connections::wait() {
    std::unique_lock lock(mutex_);
    if (ended_.wait_for(lock, kStopGrace, [&] { return open_.empty(); }))
        return;
    for (int fd : open_)
        ::shutdown(fd, SHUT_RDWR);
    ended_.wait(lock, [&] { return open_.empty(); });
}

} // namespace urcsim
