#include "urctool/stop_signals.h"

namespace urctool {
namespace {

constexpr int kStopSignals[] = {SIGINT, SIGTERM, SIGHUP};
volatile std::sig_atomic_t caughtSignal = 0;

extern "C" void noteSignal(int signal) {
    caughtSignal = signal;
}

} // namespace

StopSignals::StopSignals() {
    caughtSignal = 0;
    struct sigaction action {};
    action.sa_handler = noteSignal;
    sigemptyset(&action.sa_mask);
    // A device call under way finishes; the wait is ended between calls.
    action.sa_flags = SA_RESTART;
    for (int i = 0; i < 3; ++i)
        sigaction(kStopSignals[i], &action, &previous_[i]);
}

StopSignals::~StopSignals() {
    for (int i = 0; i < 3; ++i)
        sigaction(kStopSignals[i], &previous_[i], nullptr);
}

int StopSignals::caught() const {
    return caughtSignal;
}

std::string signalName(int signal) {
    switch (signal) {
    case SIGINT:
        return "SIGINT";
    case SIGTERM:
        return "SIGTERM";
    case SIGHUP:
        return "SIGHUP";
    default:
        return "signal " + std::to_string(signal);
    }
}

} // namespace urctool
