#pragma once
// Programs under measurement, started as child processes: their environment
// set per run, an optional report pipe on descriptor 3, their output kept in
// a log file, and their peak memory taken from the kernel when they end.
#include <map>
#include <optional>
#include <string>
#include <sys/types.h>
#include <vector>

namespace bench {

// The descriptor number the child sees its report pipe on.
inline constexpr int kReportFd = 3;

struct ChildOptions {
    std::vector<std::string> argv;             // argv[0] is the program's path
    std::map<std::string, std::string> setEnv; // added to or replacing the inherited ones
    std::string logPath;                       // stdout and stderr; /dev/null when empty
    bool reportPipe = false;                   // give the child a pipe on kReportFd
};

class Child {
public:
    // Starts the program; check running() afterwards.
    explicit Child(const ChildOptions& options);
    ~Child(); // kills and reaps a child still running
    Child(const Child&) = delete;
    Child& operator=(const Child&) = delete;

    bool running() const { return pid_ > 0 && !reaped_; }
    pid_t pid() const { return pid_; }
    const std::string& error() const { return error_; }

    // The next line the child writes on its report pipe, waiting at most
    // timeoutMs; nullopt on timeout or when the pipe closes first.
    std::optional<std::string> readReportLine(int timeoutMs);

    // Waits up to timeoutMs for the child to end by itself; its exit status,
    // or nullopt when it is still running.
    std::optional<int> waitForExit(int timeoutMs);
    // Sends the signal and reaps the child; its peak resident memory in kB
    // (from the kernel's accounting of the ended child).
    std::optional<long> killAndReap(int signal);

private:
    void reap(int options);

    pid_t pid_ = -1;
    int reportRead_ = -1;
    bool reaped_ = false;
    int status_ = 0;
    long maxRssKb_ = 0;
    std::string pending_;
    std::string error_;
};

// Runs a program to its end (at most timeoutMs, then it is killed); true when
// it exited with status 0.
bool runToEnd(const std::vector<std::string>& argv, int timeoutMs,
              const std::map<std::string, std::string>& setEnv = {});

// The folder of the running program, where the other programs are built.
std::string ownFolder();

void sleepMs(int ms);

} // namespace bench
