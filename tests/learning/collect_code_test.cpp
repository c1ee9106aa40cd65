// The capture worker against a scripted URC and a scripted clock.
#include "learning/collect_code.h"
#include "tests/support/scripted_urc.h"

#include <gtest/gtest.h>

#include <atomic>
#include <deque>
#include <new>

using learning::TCollectCode;
using testsupport::ScriptedUrc;

namespace {

// Hands out the given readings in turn, then keeps giving the last one.
learning::SecondsClock scriptedClock(std::vector<int64_t> readings) {
    auto left = std::make_shared<std::deque<int64_t>>(readings.begin(), readings.end());
    return [left] {
        const int64_t now = left->front();
        if (left->size() > 1)
            left->pop_front();
        return now;
    };
}

struct Capture {
    ScriptedUrc urc;
    std::atomic<int32_t> control{learning::kCaptureMayRun};
    std::string captured = "left over from an earlier capture";

    void run(learning::SecondsClock clock = scriptedClock({100})) {
        TCollectCode worker(urc, control, captured, std::move(clock));
        worker.Execute();
    }
    std::size_t polls() const { return urc.callsOf("RCollectCodeInfo").size(); }
    std::size_t linkTests() const { return urc.callsOf("link_state").size(); }
};

TEST(CaptureWorker, RefusedCaptureModeEndsWithoutPolling) {
    Capture c;
    c.urc.setCaptureModeResult(false);
    c.run();
    EXPECT_TRUE(c.captured.empty());
    EXPECT_EQ(c.polls(), 0u);
    EXPECT_EQ(c.linkTests(), 0u);
}

TEST(CaptureWorker, KeepsTheWholeBufferOfTheFirstCode) {
    Capture c;
    c.urc.queueCapture("8D000700");
    c.urc.setEmptyPollsBeforeCapture(3);
    c.run();
    ASSERT_EQ(c.captured.size(), 10240u);
    EXPECT_EQ(c.captured.substr(0, 8), "8D000700");
    EXPECT_EQ(c.captured[8], '\0');
    EXPECT_EQ(c.polls(), 4u);
    EXPECT_EQ(c.linkTests(), 3u); // the link is tested only after an empty poll
}

TEST(CaptureWorker, AnAllZeroCodeIsStillACode) {
    Capture c;
    c.urc.queueCapture("");
    c.run();
    EXPECT_EQ(c.captured, std::string(10240, '\0'));
}

TEST(CaptureWorker, AStopRequestedBeforeTheFirstPassStillSetsCaptureMode) {
    Capture c;
    c.control = learning::kCaptureStopRequested;
    c.urc.queueCapture("8D00");
    c.run();
    EXPECT_EQ(c.urc.callsOf("SetCodeCarrierWave").size(), 1u);
    EXPECT_EQ(c.polls(), 0u);
    EXPECT_TRUE(c.captured.empty());
}

TEST(CaptureWorker, LosingTheLinkAfterAnEmptyPollEnds) {
    Capture c;
    c.urc.scriptLinkStates({true, true, false});
    c.run();
    EXPECT_EQ(c.polls(), 3u);
    EXPECT_TRUE(c.captured.empty());
}

TEST(CaptureWorker, TheTimeWindowEndsAtTheFirstReadingMoreThanEightSecondsOn) {
    struct Case {
        const char* what;
        std::vector<int64_t> readings; // the first is the start reading
        std::size_t polls;
    };
    const int64_t midnight = 86400;
    const Case cases[] = {
        {"across midnight", {midnight - 5, midnight - 1, midnight + 3, midnight + 4}, 2},
        {"into the next minute", {59, 60, 67, 68}, 2},
        {"exactly eight seconds still polls", {10, 18, 19}, 1},
    };
    for (const auto& c : cases) {
        Capture capture;
        capture.run(scriptedClock(c.readings));
        EXPECT_EQ(capture.polls(), c.polls) << c.what;
        EXPECT_TRUE(capture.captured.empty());
    }
}

TEST(CaptureWorker, RunsOnItsOwnThreadAndStopsOnRequest) {
    Capture c;
    TCollectCode worker(c.urc, c.control, c.captured, learning::localClockSeconds);
    worker.start();
    while (c.polls() < 5)
        QThread::msleep(1);
    c.control = learning::kCaptureStopRequested;
    ASSERT_TRUE(worker.wait(2000));
    EXPECT_TRUE(c.captured.empty());
}

// An error inside the worker (a failed allocation, a device call that throws)
// must not end the program: the thread ends as after a capture without code,
// its finished signal (which the window's end-of-capture handler hangs on) is
// emitted once, and the URC is asked nothing after the error.
TEST(CaptureWorker, AnErrorOnItsThreadEndsItWithoutACode) {
    struct Case {
        const char* what;
        bool pollThrows;
        bool clockThrows;
        std::size_t polls;
    };
    for (const Case& e :
         {Case{"a device call throws", true, false, 1}, Case{"the clock throws", false, true, 0}}) {
        Capture c;
        c.urc.queueCapture("8D000700");
        if (e.pollThrows)
            c.urc.throwOnNextPoll();
        int readings = 0;
        TCollectCode worker(c.urc, c.control, c.captured, [&readings, e]() -> int64_t {
            if (e.clockThrows && ++readings == 2)
                throw std::bad_alloc();
            return 100;
        });
        std::atomic<int> finished{0};
        QObject::connect(&worker, &QThread::finished, [&finished] { ++finished; });
        worker.start();
        ASSERT_TRUE(worker.wait(2000)) << e.what;
        // Read first: set on the worker's thread after run() returned, the
        // count orders the worker's calls before the reads below in a way
        // ThreadSanitizer sees (QThread::wait orders them through Qt's own
        // locks, which it cannot see in Debian's Qt).
        EXPECT_EQ(finished, 1) << e.what;
        EXPECT_EQ(c.polls(), e.polls) << e.what;
        EXPECT_EQ(c.linkTests(), 0u) << e.what;
    }
}

} // namespace
