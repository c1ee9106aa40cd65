#pragma once
// Ctrl-C, SIGTERM and SIGHUP noted instead of ending the program, for as long
// as a StopSignals lives: a command that waits on the URC tests caught()
// between device calls and ends cleanly, its claim let go and nothing
// written. One StopSignals at a time; the previous handlers come back when it
// goes.
#include <csignal>
#include <string>

namespace urctool {

class StopSignals {
public:
    StopSignals();
    ~StopSignals();
    StopSignals(const StopSignals&) = delete;
    StopSignals& operator=(const StopSignals&) = delete;

    // The number of the last signal caught, 0 while none was.
    int caught() const;

private:
    struct sigaction previous_[3];
};

// "SIGINT", "SIGTERM", "SIGHUP", or "signal N".
std::string signalName(int signal);

} // namespace urctool
