#include "server_fixture.h"

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
    int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    path.copy(address.sun_path, sizeof address.sun_path - 1);
    bool ok = ::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    ::close(fd);
    return ok;
}

} // namespace

ServerProcess::ServerProcess(const std::string& extraArgs, std::filesystem::path folder)
    : folder_(std::move(folder)) {
    if (folder_.empty()) {
        std::string pattern = (std::filesystem::temp_directory_path() / "urcsim-XXXXXX").string();
        folder_ = ::mkdtemp(pattern.data());
    }
    ::setenv("QZT617_URC_SOCKET", socketPath().c_str(), 1);
    const std::string command = std::string(URC_SIM_PATH) + " serve --image " + imagePath() + " " +
                                extraArgs + " 2>" + (folder_ / "serve.log").string();
    pid_ = ::fork();
    if (pid_ == 0) {
        ::execl("/bin/sh", "sh", "-c", ("exec " + command).c_str(), static_cast<char*>(nullptr));
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
    if (pid_ <= 0)
        return -1;
    ::kill(pid_, SIGTERM);
    int status = 0;
    ::waitpid(pid_, &status, 0);
    pid_ = -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
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
