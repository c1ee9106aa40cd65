#pragma once
// Starts `urc-sim serve` on a private socket and image in a fresh temporary
// folder (QZT617_URC_SOCKET points there) and stops it again, even when the
// test fails.
#include <filesystem>
#include <string>

namespace urctest {

class ServerProcess {
public:
    // Extra arguments for serve, e.g. "--profile fw2"; an existing folder to
    // serve in (it is removed afterwards), else a new one.
    explicit ServerProcess(const std::string& extraArgs = "", std::filesystem::path folder = {});
    ~ServerProcess();
    ServerProcess(const ServerProcess&) = delete;
    ServerProcess& operator=(const ServerProcess&) = delete;

    bool started() const { return pid_ > 0 && ready_; }
    // Sends SIGTERM and waits; the exit status of serve, or -1.
    int stop();

    std::filesystem::path folder() const { return folder_; }
    std::string socketPath() const { return (folder_ / "urc.sock").string(); }
    std::string imagePath() const { return (folder_ / "urc.img").string(); }

private:
    std::filesystem::path folder_;
    int pid_ = -1;
    bool ready_ = false;
};

// Runs `urc-sim ARGS` with the fixture's socket; output (stdout and stderr)
// goes into *output when given; `prefix` goes before the command (variables,
// a wrapper such as timeout). The exit status.
int runUrcSim(const std::string& args, std::string* output = nullptr,
              const std::string& prefix = "");

} // namespace urctest
