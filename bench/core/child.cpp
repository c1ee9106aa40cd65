#include "bench/core/child.h"

#include "bench/core/probe_report.h"

#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char** environ;

namespace bench {

namespace {

std::vector<std::string> mergedEnvironment(const std::map<std::string, std::string>& setEnv) {
    std::vector<std::string> env;
    for (char** e = environ; *e; ++e) {
        const std::string entry = *e;
        const std::string name = entry.substr(0, entry.find('='));
        if (!setEnv.contains(name))
            env.push_back(entry);
    }
    for (const auto& [name, value] : setEnv)
        env.push_back(name + "=" + value);
    return env;
}

std::vector<char*> pointers(std::vector<std::string>& texts) {
    std::vector<char*> result;
    for (std::string& t : texts)
        result.push_back(t.data());
    result.push_back(nullptr);
    return result;
}

} // namespace

Child::Child(const ChildOptions& options) {
    if (options.argv.empty()) {
        error_ = "no program given";
        return;
    }
    int pipeFds[2] = {-1, -1};
    if (options.reportPipe && ::pipe2(pipeFds, O_CLOEXEC) != 0) {
        error_ = std::string("pipe: ") + std::strerror(errno);
        return;
    }
    // Everything the child needs is prepared before fork: after it, only
    // async-signal-safe calls.
    std::vector<std::string> argvTexts = options.argv;
    std::vector<std::string> envTexts = mergedEnvironment(options.setEnv);
    std::vector<char*> argv = pointers(argvTexts);
    std::vector<char*> envp = pointers(envTexts);
    const std::string log = options.logPath.empty() ? "/dev/null" : options.logPath;

    pid_ = ::fork();
    if (pid_ == 0) {
        const int out = ::open(log.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0600);
        if (out >= 0) {
            ::dup2(out, STDOUT_FILENO);
            ::dup2(out, STDERR_FILENO);
        }
        if (options.reportPipe) {
            if (pipeFds[1] == kReportFd)
                ::fcntl(kReportFd, F_SETFD, 0);
            else
                ::dup2(pipeFds[1], kReportFd);
        }
        ::execve(argv[0], argv.data(), envp.data());
        ::_exit(127);
    }
    if (options.reportPipe) {
        ::close(pipeFds[1]);
        reportRead_ = pipeFds[0];
    }
    if (pid_ < 0) {
        error_ = std::string("fork: ") + std::strerror(errno);
        if (reportRead_ >= 0)
            ::close(reportRead_);
        reportRead_ = -1;
    }
}

Child::~Child() {
    if (running())
        killAndReap(SIGKILL);
    if (reportRead_ >= 0)
        ::close(reportRead_);
}

std::optional<std::string> Child::readReportLine(int timeoutMs) {
    const int64_t deadline = monotonicNs() + int64_t(timeoutMs) * 1000000;
    while (reportRead_ >= 0) {
        const std::size_t newline = pending_.find('\n');
        if (newline != std::string::npos) {
            std::string line = pending_.substr(0, newline);
            pending_.erase(0, newline + 1);
            return line;
        }
        const int64_t left = (deadline - monotonicNs()) / 1000000;
        if (left <= 0)
            return std::nullopt;
        pollfd p{reportRead_, POLLIN, 0};
        const int ready = ::poll(&p, 1, static_cast<int>(left));
        if (ready < 0 && errno == EINTR)
            continue;
        if (ready <= 0)
            return std::nullopt;
        char buffer[512];
        const ssize_t n = ::read(reportRead_, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return std::nullopt; // the child closed the pipe without a whole line
        pending_.append(buffer, static_cast<std::size_t>(n));
    }
    return std::nullopt;
}

void Child::reap(int options) {
    if (!running())
        return;
    rusage usage{};
    int status = 0;
    pid_t done;
    do {
        done = ::wait4(pid_, &status, options, &usage);
    } while (done < 0 && errno == EINTR);
    if (done == pid_) {
        reaped_ = true;
        status_ = status;
        maxRssKb_ = usage.ru_maxrss; // kB on Linux
    }
}

std::optional<int> Child::waitForExit(int timeoutMs) {
    const int64_t deadline = monotonicNs() + int64_t(timeoutMs) * 1000000;
    while (running()) {
        reap(WNOHANG);
        if (!running())
            break;
        if (monotonicNs() >= deadline)
            return std::nullopt;
        sleepMs(10);
    }
    if (!reaped_)
        return std::nullopt;
    return WIFEXITED(status_) ? WEXITSTATUS(status_) : 128 + WTERMSIG(status_);
}

std::optional<long> Child::killAndReap(int signal) {
    if (!running())
        return reaped_ ? std::optional<long>(maxRssKb_) : std::nullopt;
    ::kill(pid_, signal);
    reap(0);
    if (!reaped_)
        return std::nullopt;
    return maxRssKb_;
}

bool runToEnd(const std::vector<std::string>& argv, int timeoutMs,
              const std::map<std::string, std::string>& setEnv) {
    Child child({argv, setEnv, {}, false});
    if (!child.running())
        return false;
    const auto status = child.waitForExit(timeoutMs);
    return status && *status == 0;
}

std::string ownFolder() {
    char path[4096];
    const ssize_t n = ::readlink("/proc/self/exe", path, sizeof path - 1);
    if (n <= 0)
        return ".";
    std::string exe(path, static_cast<std::size_t>(n));
    return exe.substr(0, exe.rfind('/'));
}

void sleepMs(int ms) {
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

} // namespace bench
