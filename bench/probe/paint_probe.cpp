// Loaded into a Qt Widgets program with LD_PRELOAD, this library watches one
// window from outside the program's code: when the window has been painted
// for the first time it writes one line (bench/core/probe_report.h) to the
// file descriptor named by QZT_BENCH_PROBE_FD. QZT_BENCH_PROBE_WINDOW names
// the window's class (its most derived Q_OBJECT class). Without both
// variables the library does nothing.
#include "bench/core/probe_report.h"

#include <QCoreApplication>
#include <QEvent>
#include <QTimer>
#include <QWidget>
#include <cerrno>
#include <cstdlib>
#include <string>
#include <unistd.h>

namespace {

class PaintProbe final : public QObject {
public:
    PaintProbe(std::string windowClass, int fd) : windowClass_(std::move(windowClass)), fd_(fd) {}

    bool eventFilter(QObject* watched, QEvent* event) override {
        if (done_ || !watched->isWidgetType())
            return false;
        QWidget* window = static_cast<QWidget*>(watched)->window();
        if (windowClass_ != window->metaObject()->className())
            return false;
        const int64_t now = bench::monotonicNs();
        if (report_.createdNs == 0)
            report_.createdNs = now;
        if (event->type() == QEvent::Show && watched == window && report_.shownNs == 0)
            report_.shownNs = now;
        if (event->type() == QEvent::Paint && report_.paintNs == 0) {
            report_.paintNs = now;
            report_.windowId = static_cast<uint64_t>(window->winId());
            done_ = true;
            // The rest of the window's paint and its flush run before the
            // event loop takes the next timer.
            QTimer::singleShot(0, this, [this] { finish(); });
        }
        return false;
    }

private:
    void finish() {
        report_.paintedNs = bench::monotonicNs();
        const std::string line = bench::formatProbeReport(report_) + "\n";
        std::size_t written = 0;
        while (written < line.size()) {
            const ssize_t n = ::write(fd_, line.data() + written, line.size() - written);
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0)
                break;
            written += static_cast<std::size_t>(n);
        }
        ::close(fd_);
        qApp->removeEventFilter(this);
    }

    std::string windowClass_;
    int fd_;
    bool done_ = false;
    bench::ProbeReport report_;
};

void installProbe() {
    const char* windowClass = std::getenv("QZT_BENCH_PROBE_WINDOW");
    const char* fdText = std::getenv("QZT_BENCH_PROBE_FD");
    if (!windowClass || !*windowClass || !fdText)
        return;
    char* end = nullptr;
    const long fd = std::strtol(fdText, &end, 10);
    if (end == fdText || *end != '\0' || fd < 3 || fd > 1023)
        return;
    // Programs started by the one under test must not inherit the probe.
    ::unsetenv("LD_PRELOAD");
    qApp->installEventFilter(new PaintProbe(windowClass, static_cast<int>(fd)));
}

} // namespace

// Runs as the application object is constructed, before the program's own
// windows exist.
Q_COREAPP_STARTUP_FUNCTION(installProbe)
