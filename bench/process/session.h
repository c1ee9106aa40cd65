#pragma once
// One benchmark session: a private temporary folder (the URC's image and
// socket, the per-user files of the program, logs) and the emulated URC
// serving in it at its default link latency.
#include "bench/core/child.h"

#include <map>
#include <memory>
#include <string>

namespace bench {

class Session {
public:
    Session(); // check ok() afterwards
    ~Session();
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    bool ok() const { return emulator_ && emulator_->running() && error_.empty(); }
    const std::string& error() const { return error_; }

    const std::string& binFolder() const { return bin_; }
    const std::string& folder() const { return folder_; }
    std::string socketPath() const { return folder_ + "/urc.sock"; }
    // The environment every program under test gets: the URC's socket and a
    // per-user folder of its own.
    std::map<std::string, std::string> programEnvironment() const;
    std::string logPath(const std::string& name) const { return folder_ + "/" + name + ".log"; }
    // QT_QPA_PLATFORM for offscreen runs: a 1280 x 1024 screen, since the
    // offscreen platform's own 800 x 600 makes the program stop at its
    // screen-size box.
    std::string offscreenPlatform() const;
    // The emulator's link latency per transfer; false when it refused.
    bool setLatency(int ms) const;

private:
    bool waitForSocket(int timeoutMs);

    std::string bin_;
    std::string folder_;
    std::unique_ptr<Child> emulator_;
    std::string error_;
};

} // namespace bench
