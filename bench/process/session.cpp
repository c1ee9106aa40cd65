#include "bench/process/session.h"

#include "bench/core/probe_report.h"

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace bench {

Session::Session() : bin_(ownFolder()) {
    char folderTemplate[] = "/tmp/qzt-bench-XXXXXX";
    if (!::mkdtemp(folderTemplate)) {
        error_ = "cannot create a temporary folder";
        return;
    }
    folder_ = folderTemplate;
    {
        std::ofstream screen(folder_ + "/screen.json");
        screen << R"({"screens": [{"name": "bench", "x": 0, "y": 0, "width": 1280, )"
                  R"("height": 1024, "logicalDpi": 96, "logicalBaseDpi": 96, "dpr": 1}]})"
               << "\n";
    }
    // A missing image file makes the emulator start from a factory image.
    emulator_ = std::make_unique<Child>(ChildOptions{
        {bin_ + "/urc-sim", "serve", "--image", folder_ + "/urc.img", "--socket", socketPath()},
        {},
        logPath("urc-sim"),
        false});
    if (!emulator_->running())
        error_ = "urc-sim did not start: " + emulator_->error();
    else if (!waitForSocket(10000))
        error_ = "urc-sim does not answer on " + socketPath() + " (see " + logPath("urc-sim") + ")";
}

Session::~Session() {
    if (emulator_ && emulator_->running()) {
        ::kill(emulator_->pid(), SIGTERM);
        if (!emulator_->waitForExit(5000))
            emulator_->killAndReap(SIGKILL);
    }
    emulator_.reset();
    if (!folder_.empty() && !std::getenv("QZT_BENCH_KEEP")) {
        std::error_code ignored;
        std::filesystem::remove_all(folder_, ignored);
    }
}

std::map<std::string, std::string> Session::programEnvironment() const {
    return {{"QZT617_URC_SOCKET", socketPath()}, {"XDG_RUNTIME_DIR", folder_}};
}

std::string Session::offscreenPlatform() const {
    return "offscreen:configfile=" + folder_ + "/screen.json";
}

bool Session::setLatency(int ms) const {
    return runToEnd({bin_ + "/urc-sim", "latency", std::to_string(ms), "--socket", socketPath()},
                    5000);
}

bool Session::waitForSocket(int timeoutMs) {
    const int64_t deadline = monotonicNs() + int64_t(timeoutMs) * 1000000;
    const std::string path = socketPath();
    while (monotonicNs() < deadline && emulator_->running()) {
        const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        path.copy(address.sun_path, sizeof address.sun_path - 1);
        const bool connected =
            fd >= 0 && ::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
        if (fd >= 0)
            ::close(fd);
        if (connected)
            return true;
        sleepMs(20);
    }
    return false;
}

} // namespace bench
