#include "tests/support/server_fixture.h"

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace urctest {

namespace {

bool answers(const std::string& path) {
    int fd = connectTo(path);
    if (fd >= 0)
        ::close(fd);
    return fd >= 0;
}

// Polls `done` every 10 ms for at most kStopBound.
template <typename Done> bool soon(Done done) {
    const auto until = std::chrono::steady_clock::now() + ServerProcess::kStopBound;
    while (!done()) {
        if (std::chrono::steady_clock::now() > until)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return true;
}

} // namespace

int connectTo(const std::string& socketPath) {
    int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    socketPath.copy(address.sun_path, sizeof address.sun_path - 1);
    if (fd >= 0 && ::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0)
        return fd;
    if (fd >= 0)
        ::close(fd);
    return -1;
}

bool goneSoon(const std::filesystem::path& path) {
    return soon([&] {
        std::error_code error;
        return !std::filesystem::exists(std::filesystem::symlink_status(path, error));
    });
}

ServerProcess::ServerProcess(const std::string& extraArgs, std::filesystem::path folder,
                             void (*inChild)(), const std::string& environment)
    : folder_(std::move(folder)) {
    if (folder_.empty()) {
        std::string pattern = (std::filesystem::temp_directory_path() / "urcsim-XXXXXX").string();
        folder_ = ::mkdtemp(pattern.data());
    }
    ::setenv("QZT617_URC_SOCKET", socketPath().c_str(), 1);
    const std::string command = std::string(URC_SIM_PATH) + " serve --image " + imagePath() + " " +
                                extraArgs + " 2>" + (folder_ / "serve.log").string();
    const std::string script =
        (environment.empty() ? "" : "export " + environment + "; ") + "exec " + command;
    pid_ = ::fork();
    if (pid_ == 0) {
        if (inChild)
            inChild();
        ::execl("/bin/sh", "sh", "-c", script.c_str(), static_cast<char*>(nullptr));
        ::_exit(127);
    }
    for (int i = 0; i < 500 && pid_ > 0; ++i) {
        if (answers(socketPath())) {
            ready_ = true;
            break;
        }
        if (::waitpid(pid_, nullptr, WNOHANG) == pid_) {
            pid_ = -1;
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}

int ServerProcess::stop() {
    askToStop();
    return waitEnded();
}

void ServerProcess::askToStop() {
    if (pid_ > 0)
        ::kill(pid_, SIGTERM);
}

int ServerProcess::waitEnded() {
    if (pid_ <= 0)
        return -1;
    int status = 0;
    if (!soon([&] { return ::waitpid(pid_, &status, WNOHANG) == pid_; })) {
        ::kill(pid_, SIGKILL);
        ::waitpid(pid_, &status, 0);
        status = -1;
    }
    pid_ = -1;
    return status >= 0 && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

ServerProcess::~ServerProcess() {
    stop();
    std::error_code ignored;
    std::filesystem::remove_all(folder_, ignored);
}

int runUrcSim(const std::string& args, std::string* output, const std::string& prefix) {
    const std::string command = prefix + " " + std::string(URC_SIM_PATH) + " " + args + " 2>&1";
    FILE* pipe = ::popen(command.c_str(), "r");
    if (!pipe)
        return -1;
    std::string text;
    char chunk[4096];
    while (std::size_t n = std::fread(chunk, 1, sizeof chunk, pipe))
        text.append(chunk, n);
    int status = ::pclose(pipe);
    if (output)
        *output = text;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

} // namespace urctest
