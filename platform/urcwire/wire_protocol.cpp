#include "platform/urcwire/wire_protocol.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <thread>
#include <unistd.h>

namespace urcwire {

namespace {

int millisecondsLeft(Deadline deadline) {
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        deadline - std::chrono::steady_clock::now());
    return left.count() > 0 ? static_cast<int>(left.count()) : 0;
}

// Waits until fd is ready for events; false on timeout.
bool waitFor(int fd, short events, Deadline deadline) {
    for (;;) {
        pollfd p{fd, events, 0};
        int n = ::poll(&p, 1, millisecondsLeft(deadline));
        if (n > 0)
            return true;
        if (n == 0 || errno != EINTR)
            return false;
    }
}

// A non-blocking connected socket, or -1 with status set.
int connectTo(const std::string& path, Deadline deadline, Reply& reply) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (path.empty() || path.size() >= sizeof address.sun_path) {
        reply = {CallStatus::NoServer, "the socket path is empty or too long"};
        return -1;
    }
    std::memcpy(address.sun_path, path.data(), path.size());
    int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        reply = {CallStatus::Failed, std::string("no socket: ") + std::strerror(errno)};
        return -1;
    }
    for (;;) {
        if (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0)
            return fd;
        if (errno == EINTR)
            continue;
        // A full listen queue: the server is alive but busy; try again briefly.
        if (errno == EAGAIN && millisecondsLeft(deadline) > 0) {
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
            continue;
        }
        if (errno == EINPROGRESS && waitFor(fd, POLLOUT, deadline)) {
            int error = 0;
            socklen_t size = sizeof error;
            ::getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &size);
            if (error == 0)
                return fd;
            errno = error;
        }
        const bool absent = errno == ENOENT || errno == ECONNREFUSED || errno == ENOTDIR;
        reply = {absent ? CallStatus::NoServer : CallStatus::Failed,
                 std::string("cannot reach the URC at ") + path + ": " + std::strerror(errno)};
        ::close(fd);
        return -1;
    }
}

bool isHexDigit(char c) {
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f');
}

} // namespace

Deadline deadlineIn(int milliseconds) {
    return std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
}

std::optional<std::string> readLine(int fd, Deadline deadline) {
    std::string line;
    char chunk[4096];
    for (;;) {
        ssize_t n = ::recv(fd, chunk, sizeof chunk, MSG_DONTWAIT);
        if (n > 0) {
            line.append(chunk, static_cast<std::size_t>(n));
            if (auto end = line.find('\n'); end != std::string::npos) {
                line.resize(end);
                return line;
            }
            if (line.size() > kMaxLineLength)
                return std::nullopt;
            continue;
        }
        if (n == 0)
            return std::nullopt;
        if (errno == EINTR)
            continue;
        if ((errno != EAGAIN && errno != EWOULDBLOCK) || !waitFor(fd, POLLIN, deadline))
            return std::nullopt;
    }
}

bool writeAll(int fd, std::string_view data, Deadline deadline) {
    while (!data.empty()) {
        ssize_t n = ::send(fd, data.data(), data.size(), MSG_NOSIGNAL | MSG_DONTWAIT);
        if (n > 0) {
            data.remove_prefix(static_cast<std::size_t>(n));
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK) && waitFor(fd, POLLOUT, deadline))
            continue;
        return false;
    }
    return true;
}

Reply call(const std::string& socketPath, const std::string& request, int connectTimeoutMs,
           int replyTimeoutMs) {
    Reply reply;
    int fd = connectTo(socketPath, deadlineIn(connectTimeoutMs), reply);
    if (fd < 0)
        return reply;
    const Deadline deadline = deadlineIn(replyTimeoutMs);
    const bool sent = writeAll(fd, request + "\n", deadline);
    // Unsent, the request may still have an answer: a busy server refuses a
    // connection at once, without reading it, and that refusal says why.
    auto line = readLine(fd, sent ? deadline : deadlineIn(0));
    ::close(fd);
    if (!line)
        return {CallStatus::Failed,
                sent ? "the URC did not answer in time" : "the URC did not take the request"};
    return parseReply(*line);
}

std::string okLine(std::string_view payload) {
    if (payload.empty())
        return "OK\n";
    return "OK " + std::string(payload) + "\n";
}

std::string errorLine(std::string_view message) {
    std::string text(message);
    for (char& c : text)
        if (c == '\n' || c == '\r')
            c = ' ';
    return "ERR " + text + "\n";
}

Reply parseReply(std::string_view line) {
    if (line == "OK")
        return {CallStatus::Ok, ""};
    if (line.starts_with("OK "))
        return {CallStatus::Ok, std::string(line.substr(3))};
    if (line.starts_with("ERR "))
        return {CallStatus::Refused, std::string(line.substr(4))};
    return {CallStatus::Failed, "the URC answered something unreadable"};
}

std::vector<std::string> splitWords(std::string_view line) {
    std::vector<std::string> words;
    std::size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && line[i] == ' ')
            ++i;
        std::size_t start = i;
        while (i < line.size() && line[i] != ' ')
            ++i;
        if (i > start)
            words.emplace_back(line.substr(start, i - start));
    }
    return words;
}

bool isHexDigits(std::string_view text) {
    for (char c : text)
        if (!isHexDigit(c))
            return false;
    return true;
}

bool isTwoHexDigits(std::string_view text) {
    return text.size() == 2 && isHexDigits(text);
}

bool isEvenHex(std::string_view text) {
    return !text.empty() && text.size() % 2 == 0 && isHexDigits(text);
}

std::optional<long> parseDecimal(std::string_view text, long limit) {
    if (text.empty() || text.size() > 9)
        return std::nullopt;
    long value = 0;
    for (char c : text) {
        if (c < '0' || c > '9')
            return std::nullopt;
        value = value * 10 + (c - '0');
    }
    if (value > limit)
        return std::nullopt;
    return value;
}

} // namespace urcwire
