// The capture loop on its own: why a wait ended, and that the URC is said to
// listen only once capture mode is on and before the first poll.
#include "learning/core/capture_polling.h"
#include "tests/support/scripted_urc.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using learning::CaptureEnd;
using testsupport::ScriptedUrc;

TEST(CapturePolling, EachEndIsNamed) {
    struct Case {
        const char* what;
        bool captureMode;
        std::vector<bool> links; // link_state answers after empty polls
        int stopAfterPolls;      // -1: never
        int64_t window;          // the clock steps by one each reading
        bool queued;
        CaptureEnd end;
        std::size_t polls;
    };
    const Case cases[] = {
        {"captured after empty polls", true, {}, -1, 100, true, CaptureEnd::Captured, 3},
        {"capture mode refused", false, {}, -1, 100, true, CaptureEnd::CaptureModeRefused, 0},
        {"stopped", true, {}, 2, 100, false, CaptureEnd::Stopped, 2},
        {"window over: a reading of exactly 4 still polls",
         true,
         {},
         -1,
         4,
         false,
         CaptureEnd::WindowOver,
         4},
        {"link lost", true, {true, false}, -1, 100, false, CaptureEnd::LinkLost, 2},
    };
    for (const Case& c : cases) {
        ScriptedUrc urc;
        urc.setCaptureModeResult(c.captureMode);
        urc.scriptLinkStates(c.links);
        if (c.queued) {
            urc.setEmptyPollsBeforeCapture(2);
            urc.queueCapture("8D000700");
        }
        int64_t now = 0;
        std::vector<std::string> order;
        const auto outcome = learning::waitForCapture(
            urc,
            [&] {
                return c.stopAfterPolls >= 0 && urc.callsOf("RCollectCodeInfo").size() >=
                                                    static_cast<std::size_t>(c.stopAfterPolls);
            },
            [&] { return now++; }, c.window,
            [&] { order.push_back(std::to_string(urc.callsOf("RCollectCodeInfo").size())); });
        EXPECT_EQ(outcome.end, c.end) << c.what;
        EXPECT_EQ(urc.callsOf("RCollectCodeInfo").size(), c.polls) << c.what;
        // Said once, before any poll, and only when the URC listens.
        EXPECT_EQ(order, c.captureMode ? std::vector<std::string>{"0"} : std::vector<std::string>{})
            << c.what;
        if (c.end == CaptureEnd::Captured) {
            ASSERT_EQ(outcome.text.size(), std::size_t(learning::kCaptureTextLength));
            EXPECT_EQ(outcome.text.substr(0, 9), std::string("8D000700\0", 9));
        } else {
            EXPECT_TRUE(outcome.text.empty()) << c.what;
        }
    }
}

} // namespace
