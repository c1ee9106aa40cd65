#include "bench/process/workers_bench.h"

#include "bench/core/probe_report.h"
#include "bench/core/proc_stats.h"
#include "keypanel/core/key_table.h"

#include <algorithm>
#include <csignal>
#include <filesystem>
#include <iostream>
#include <set>

namespace bench {

namespace {

constexpr int kIdleSeconds = 10;
constexpr int kStartTimeoutMs = 30000;
// "Start to learn" in the window, and the key panel's place in the window.
constexpr int kLearnButtonX = 432 + 137 / 2;
constexpr int kLearnButtonY = 636 + 37 / 2;
constexpr int kKeyPanelLeft = 146;
constexpr int kKeyPanelTop = 0;
// A capture window lasts 8 to 9 s; give the worker some slack to appear and end.
constexpr int kWorkerAppearMs = 3000;
constexpr int kWorkerEndMs = 15000;

bool click(const std::string& window, int x, int y) {
    return runToEnd({"/usr/bin/xdotool", "mousemove", "--window", window, std::to_string(x),
                     std::to_string(y), "click", "1"},
                    5000);
}

std::set<pid_t> threadIds(pid_t pid) {
    std::set<pid_t> ids;
    for (const ThreadCpu& t : threadCpu(pid))
        ids.insert(t.tid);
    return ids;
}

bool threadAlive(pid_t pid, pid_t tid) {
    return std::filesystem::exists("/proc/" + std::to_string(pid) + "/task/" + std::to_string(tid));
}

// A thread started since `before`: the capture worker (Qt names a thread after
// its class, cut to 15 characters) when one is there, else any new one.
pid_t newWorker(pid_t pid, const std::set<pid_t>& before) {
    pid_t any = 0;
    for (const ThreadCpu& t : threadCpu(pid)) {
        if (before.contains(t.tid))
            continue;
        if (t.name.find("TColl") != std::string::npos)
            return t.tid;
        any = t.tid;
    }
    return any;
}

std::optional<double> cpuSeconds(pid_t pid) {
    return processCpuSeconds(pid);
}

void printThreads(const char* when, pid_t pid) {
    std::cerr << when << ":";
    for (const ThreadCpu& t : threadCpu(pid))
        std::cerr << " [" << t.name << " " << fixed(t.seconds, 2) << " s]";
    std::cerr << "\n";
}

// One idle stretch: per cent of one core over kIdleSeconds.
std::optional<double> idleOnce(pid_t pid) {
    const auto before = cpuSeconds(pid);
    const int64_t started = monotonicNs();
    sleepMs(kIdleSeconds * 1000);
    const auto after = cpuSeconds(pid);
    if (!before || !after)
        return std::nullopt;
    return 100.0 * (*after - *before) / (static_cast<double>(monotonicNs() - started) / 1e9);
}

struct CaptureSample {
    double processPercent = 0; // the whole program over the worker's life
    double workerPercent = 0;  // the worker thread alone
    double seconds = 0;        // the worker's life
};

// Clicks a key (learning mode is on) and follows the capture worker from its
// start to its end.
std::optional<CaptureSample> captureOnce(pid_t pid, const std::string& window) {
    const keypanel::KeyDefinition& key = keypanel::kKeyTable.front();
    const std::set<pid_t> before = threadIds(pid);
    if (!click(window, kKeyPanelLeft + key.left + key.width / 2,
               kKeyPanelTop + key.top + key.height / 2)) {
        std::cerr << "capture: xdotool could not click the key\n";
        return std::nullopt;
    }
    pid_t worker = 0;
    const int64_t appearDeadline = monotonicNs() + int64_t(kWorkerAppearMs) * 1000000;
    while (!worker && monotonicNs() < appearDeadline) {
        worker = newWorker(pid, before);
        if (!worker)
            sleepMs(5);
    }
    if (!worker) {
        std::cerr << "capture: no worker thread started after the key click\n";
        return std::nullopt;
    }
    const auto startCpu = cpuSeconds(pid);
    const int64_t started = monotonicNs();
    const int64_t endDeadline = started + int64_t(kWorkerEndMs) * 1000000;
    double workerSeconds = 0;
    while (threadAlive(pid, worker) && monotonicNs() < endDeadline) {
        for (const ThreadCpu& t : threadCpu(pid))
            if (t.tid == worker)
                workerSeconds = t.seconds; // the last reading before it ends
        sleepMs(10);
    }
    const auto endCpu = cpuSeconds(pid);
    const double wall = static_cast<double>(monotonicNs() - started) / 1e9;
    if (threadAlive(pid, worker) || !startCpu || !endCpu) {
        std::cerr << "capture: the worker did not end within its window\n";
        return std::nullopt;
    }
    return CaptureSample{100.0 * (*endCpu - *startCpu) / wall, 100.0 * workerSeconds / wall, wall};
}

} // namespace

std::vector<ResultRow> runWorkersBenchmark(const Session& session, int runs) {
    auto env = session.programEnvironment();
    env["QT_QPA_PLATFORM"] = "xcb";
    env["LD_PRELOAD"] = session.binFolder() + "/libqzt_paint_probe.so";
    env["QZT_BENCH_PROBE_WINDOW"] = "Tmaintarnvik";
    env["QZT_BENCH_PROBE_FD"] = std::to_string(kReportFd);
    Child program({{session.binFolder() + "/qzt617"}, env, session.logPath("qzt617-x11"), true});
    const auto line = program.readReportLine(kStartTimeoutMs);
    const auto report = line ? parseProbeReport(*line) : std::nullopt;
    std::vector<double> idle, captureProcess, captureWorker, captureSeconds;
    if (!program.running() || !report) {
        std::cerr << "workers: the program did not show its window (see "
                  << session.logPath("qzt617-x11") << ")\n";
    } else {
        const pid_t pid = program.pid();
        const std::string window = std::to_string(report->windowId);
        sleepMs(1000); // let the show handling's after-effects pass
        for (int run = 0; run < runs; ++run)
            if (const auto percent = idleOnce(pid))
                idle.push_back(*percent);
        printThreads("threads after idle monitoring", pid);
        if (click(window, kLearnButtonX, kLearnButtonY)) {
            sleepMs(500);
            for (int run = 0; run < runs; ++run) {
                if (const auto sample = captureOnce(pid, window)) {
                    captureProcess.push_back(sample->processPercent);
                    captureWorker.push_back(sample->workerPercent);
                    captureSeconds.push_back(sample->seconds);
                }
                sleepMs(500); // the capture's end handler restores the key
            }
            printThreads("threads after the captures", pid);
        } else {
            std::cerr << "workers: xdotool could not click \"Start to learn\"\n";
        }
        program.killAndReap(SIGKILL);
    }
    return {
        {"idle link monitoring, 10 s (program)", summarize(idle), "% of a core", 2, "< 1 %", 1},
        {"capture window, no code (program)", summarize(captureProcess), "% of a core", 2, "< 10 %",
         10},
        {"  of which the capture worker", summarize(captureWorker), "% of a core", 2, "", 0},
        {"  capture window length", summarize(captureSeconds), "s", 2, "", 0},
    };
}

} // namespace bench
