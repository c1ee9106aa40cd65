#include "bench/process/startup_bench.h"

#include "bench/core/probe_report.h"
#include "bench/core/proc_stats.h"
#include "bench/pictures/picture_loading.h"
#include "device/core/urc_reading.h"
#include "device/urc_library.h"

#include <csignal>
#include <cstdlib>
#include <iostream>

namespace bench {

namespace {

// The program's fixed pause between creating the main window and showing it.
constexpr double kFixedPauseMs = 500;
// Time left after the first paint for what the show handling still allocates.
constexpr int kSettleMs = 300;
constexpr int kStartTimeoutMs = 30000;
// urc-sim's link latency per transfer unless told otherwise.
constexpr int kDefaultLatencyMs = 1;

struct StartSample {
    double toPaintMs = 0; // from the start of the process to its first paint done
    double createToShowMs = 0;
    double showToPaintMs = 0;
    double peakMiB = 0;
};

double ms(int64_t ns) {
    return static_cast<double>(ns) / 1e6;
}

std::optional<StartSample> startOnce(const Session& session, const std::string& program,
                                     const std::string& windowClass, const std::string& logName) {
    auto env = session.programEnvironment();
    env["QT_QPA_PLATFORM"] = session.offscreenPlatform();
    env["LD_PRELOAD"] = session.binFolder() + "/libqzt_paint_probe.so";
    env["QZT_BENCH_PROBE_WINDOW"] = windowClass;
    env["QZT_BENCH_PROBE_FD"] = std::to_string(kReportFd);
    const int64_t started = monotonicNs();
    Child child({{program}, env, session.logPath(logName), true});
    if (!child.running()) {
        std::cerr << program << ": " << child.error() << "\n";
        return std::nullopt;
    }
    const auto line = child.readReportLine(kStartTimeoutMs);
    const auto report = line ? parseProbeReport(*line) : std::nullopt;
    if (!report) {
        std::cerr << program << ": no first paint of " << windowClass << " (see "
                  << session.logPath(logName) << ")\n";
        return std::nullopt;
    }
    sleepMs(kSettleMs);
    const auto liveHwm = peakResidentKb(child.pid());
    const auto reaped = child.killAndReap(SIGKILL);
    const long peakKb = std::max(liveHwm.value_or(0), reaped.value_or(0));
    StartSample s;
    s.toPaintMs = ms(report->paintedNs - started);
    if (report->shownNs > 0) {
        s.createToShowMs = ms(report->shownNs - report->createdNs);
        s.showToPaintMs = ms(report->paintedNs - report->shownNs);
    }
    s.peakMiB = static_cast<double>(peakKb) / 1024.0;
    return s;
}

// The handshake as the main window's creation does it: wait for the link,
// then read the version, the identity and the whole memory map.
std::optional<double> handshakeOnce() {
    device::LinkedUrcLibrary urc;
    const int64_t started = monotonicNs();
    if (!urc.link_state())
        return std::nullopt;
    device::UrcTables tables;
    if (device::readUrc(urc, tables).failure != device::StartupFailure::None)
        return std::nullopt;
    return ms(monotonicNs() - started);
}

std::optional<double> picturesOnce() {
    const int64_t started = monotonicNs();
    const LoadedPictures loaded = loadShowPictures();
    if (!loaded.complete()) {
        std::cerr << "picture loading: " << loaded.error << "\n";
        return std::nullopt;
    }
    return ms(monotonicNs() - started);
}

struct InProcess {
    std::vector<double> handshakeMs, picturesMs, togetherMs;
};

InProcess handshakeAndPictures(int runs) {
    InProcess result;
    for (int run = 0; run < runs; ++run) {
        const auto h = handshakeOnce();
        const auto p = picturesOnce();
        if (!h || !p)
            continue;
        result.handshakeMs.push_back(*h);
        result.picturesMs.push_back(*p);
        result.togetherMs.push_back(*h + *p);
    }
    if (result.handshakeMs.empty())
        std::cerr << "handshake: the emulated URC did not read as a good URC\n";
    return result;
}

// Start-up pairs: the bare window and the program, one after the other.
struct Pairs {
    std::vector<double> bareMs, appMs, beyondMs, createShowMs, showPaintMs, bareMiB, appMiB;
};

Pairs startPairs(const Session& session, int runs) {
    const std::string program = session.binFolder() + "/qzt617";
    const std::string bare = session.binFolder() + "/qzt_bare_window";
    Pairs p;
    for (int run = 0; run < runs; ++run) {
        // Alternate the order so that neither side always runs on a warmer cache.
        std::optional<StartSample> b, a;
        if (run % 2 == 0) {
            b = startOnce(session, bare, "QWidget", "bare");
            a = startOnce(session, program, "Tmaintarnvik", "qzt617");
        } else {
            a = startOnce(session, program, "Tmaintarnvik", "qzt617");
            b = startOnce(session, bare, "QWidget", "bare");
        }
        if (!a || !b)
            continue; // only whole pairs are compared
        p.bareMs.push_back(b->toPaintMs);
        p.appMs.push_back(a->toPaintMs);
        p.beyondMs.push_back(a->toPaintMs - kFixedPauseMs);
        p.createShowMs.push_back(a->createToShowMs - kFixedPauseMs);
        p.showPaintMs.push_back(a->showToPaintMs);
        p.bareMiB.push_back(b->peakMiB);
        p.appMiB.push_back(a->peakMiB);
    }
    return p;
}

// The link's own share of the handshake: the handshake at the default latency
// less the same at 0 ms, run by run.
std::vector<double> linkShare(const InProcess& atDefault, const InProcess& atZero) {
    std::vector<double> share;
    for (std::size_t i = 0; i < atDefault.handshakeMs.size() && i < atZero.handshakeMs.size(); ++i)
        share.push_back(atDefault.handshakeMs[i] - atZero.handshakeMs[i]);
    return share;
}

std::vector<double> lessEach(std::vector<double> values, double amount) {
    for (double& v : values)
        v -= amount;
    return values;
}

} // namespace

std::vector<ResultRow> runStartupBenchmark(const Session& session, int runs) {
    const Pairs p = startPairs(session, runs);
    // The handshake needs the socket in this process's own environment.
    ::setenv("QZT617_URC_SOCKET", session.socketPath().c_str(), 1);
    const InProcess atDefault = handshakeAndPictures(runs);

    // Without the emulated link's latency what remains is the program's own work.
    const bool zeroLatency = session.setLatency(0);
    const Pairs p0 = zeroLatency ? startPairs(session, runs) : Pairs{};
    const InProcess atZero = zeroLatency ? handshakeAndPictures(runs) : InProcess{};
    if (!zeroLatency || !session.setLatency(kDefaultLatencyMs))
        std::cerr << "urc-sim refused to change its latency\n";

    // Targets: the program's own cost beyond the pause within 1.2 x the bare
    // window; at the default latency the link's own handshake time comes on
    // top, a limit of the link that no program can go under.
    const Summary link = summarize(linkShare(atDefault, atZero));
    const std::vector<double> beyondLessLink =
        link.count > 0 ? lessEach(p.beyondMs, link.median) : std::vector<double>{};
    return {
        {"bare window: start to first paint", summarize(p.bareMs), "ms", 1, "", 0},
        {"program: start to first paint", summarize(p.appMs), "ms", 1, "", 0},
        {"program: beyond the 500 ms pause", summarize(p.beyondMs), "ms", 1, "", 0},
        {"  of which creation (handshake, layout)", summarize(p.createShowMs), "ms", 1, "", 0},
        {"  of which show handling and first paint", summarize(p.showPaintMs), "ms", 1, "", 0},
        {"start-up ratio (beyond pause / bare)", summarizeRatios(p.beyondMs, p.bareMs), "x", 2, "",
         0},
        {"  the link's own handshake time (1 ms less 0 ms latency)", link, "ms", 1, "", 0},
        {"  (beyond pause - link's handshake time) / bare",
         summarizeRatios(beyondLessLink, p.bareMs), "x", 2, "<= 1.2 x", 1.2},
        {"start-up ratio, urc-sim at 0 ms latency", summarizeRatios(p0.beyondMs, p0.bareMs), "x", 2,
         "<= 1.2 x", 1.2},
        {"  bare window at 0 ms latency", summarize(p0.bareMs), "ms", 1, "", 0},
        {"  beyond the pause, urc-sim at 0 ms latency", summarize(p0.beyondMs), "ms", 1, "", 0},
        {"bare window: peak memory", summarize(p.bareMiB), "MiB", 1, "", 0},
        {"program: peak memory", summarize(p.appMiB), "MiB", 1, "", 0},
        {"peak memory ratio (program / bare)", summarizeRatios(p.appMiB, p.bareMiB), "x", 2,
         "<= 2 x", 2},
        {"handshake reads (libtovqel, urc-sim at 1 ms)", summarize(atDefault.handshakeMs), "ms", 2,
         "", 0},
        {"picture loading (5 libraries, 682 pictures)", summarize(atDefault.picturesMs), "ms", 2,
         "", 0},
        {"handshake reads + picture loading", summarize(atDefault.togetherMs), "ms", 2, "< 25 ms",
         25},
        {"  the same, urc-sim at 0 ms latency", summarize(atZero.togetherMs), "ms", 2, "", 0},
        {"  handshake reads alone at 0 ms latency", summarize(atZero.handshakeMs), "ms", 2, "", 0},
    };
}

} // namespace bench
