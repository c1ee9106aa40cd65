#pragma once
// Starts `urc-sim serve` on a private socket and image in a fresh temporary
// folder (QZT617_URC_SOCKET points there) and stops it again, even when the
// test fails.
#include <chrono>
#include <filesystem>
#include <string>

namespace urctest {

class ServerProcess {
public:
    // Extra arguments for serve, e.g. "--profile fw2"; an existing folder to
    // serve in (it is removed afterwards), else a new one; what the child does
    // before it runs the server (system calls only: it runs between fork and
    // exec), and shell assignments ("NAME=VALUE ...") exported for the server.
    explicit ServerProcess(const std::string& extraArgs = "", std::filesystem::path folder = {},
                           void (*inChild)() = nullptr, const std::string& environment = "");
    ~ServerProcess();
    ServerProcess(const ServerProcess&) = delete;
    ServerProcess& operator=(const ServerProcess&) = delete;

    bool started() const { return pid_ > 0 && ready_; }
    // Sends SIGTERM and waits; the exit status of serve, or -1 (killed, or
    // still running after kStopBound and then killed).
    int stop();
    // The two halves of stop(), for a look at the server in between.
    void askToStop();
    int waitEnded();
    // A generous bound for a server to end or a file to go, not a timing.
    static constexpr std::chrono::seconds kStopBound{5};

    std::filesystem::path folder() const { return folder_; }
    std::string socketPath() const { return (folder_ / "urc.sock").string(); }
    std::string imagePath() const { return (folder_ / "urc.img").string(); }

private:
    std::filesystem::path folder_;
    int pid_ = -1;
    bool ready_ = false;
};

// Whether path is gone within ServerProcess::kStopBound.
bool goneSoon(const std::filesystem::path& path);

// A blocking connection to the server's socket, or -1.
int connectTo(const std::string& socketPath);

// Runs `urc-sim ARGS` with the fixture's socket; output (stdout and stderr)
// goes into *output when given; `prefix` goes before the command (variables,
// a wrapper such as timeout). The exit status.
int runUrcSim(const std::string& args, std::string* output = nullptr,
              const std::string& prefix = "");

} // namespace urctest
