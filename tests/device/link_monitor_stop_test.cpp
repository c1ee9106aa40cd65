#include "tests/device/blocking_urc.h"
#include "tests/device/test_window.h"
#include "tests/support/scripted_message_boxes.h"

#include <QTest>
#include <memory>
#include <thread>

namespace {

using winsys::BoxAnswer;

const std::string kIdentity(30, 'C');

class LinkMonitorStopTest : public ::testing::Test {
protected:
    void SetUp() override {
        urc.setIdentityText(kIdentity);
        window = std::make_unique<TestWindow>(ended);
    }
    bool waitFor(const std::function<bool()>& condition) {
        return QTest::qWaitFor(condition, 5000);
    }

    testsupport::ScriptedUrc urc;
    BlockingUrc blocking{urc};
    testsupport::ScriptedMessageBoxes boxes;
    int ended = 0;
    std::unique_ptr<TestWindow> window;
};

enum class StopWay { RequestStop, ThreadInterruption };

void PrintTo(StopWay way, std::ostream* os) {
    *os << (way == StopWay::RequestStop ? "RequestStop" : "ThreadInterruption");
}

void stop(device::linkstate* monitor, StopWay way) {
    if (way == StopWay::RequestStop)
        monitor->requestStop();
    else
        static_cast<QThread*>(monitor)->requestInterruption();
}

class StopWayTest : public LinkMonitorStopTest, public ::testing::WithParamInterface<StopWay> {};

TEST_P(StopWayTest, StopMidPollChangesNoControl) {
    window->startMonitor(blocking, kIdentity);
    ASSERT_TRUE(waitFor([&] { return window->usbState->text() == device::kLinkConnectedText; }));
    blocking.holdNextPoll();
    ASSERT_TRUE(waitFor([&] { return blocking.pollEntered(); }));
    urc.setConnected(false); // the held poll will answer "no URC"
    window->log.clear();
    stop(window->monitor, GetParam());
    blocking.releasePoll();
    ASSERT_TRUE(waitFor([&] { return ended == 1; }));
    EXPECT_EQ(window->log, QStringList{QStringLiteral("ended")});
    EXPECT_TRUE(boxes.boxes().empty());
    EXPECT_TRUE(window->panelOpen());
}

TEST_P(StopWayTest, StopMidBoxChangesNoControl) {
    urc.setConnected(false);
    boxes.answerNext(BoxAnswer::Retry, [&] {
        window->log.clear();
        stop(window->monitor, GetParam());
        urc.setConnected(true);
        // Let the monitor notice the stop while its box is still open.
        QTest::qWait(100);
    });
    window->startMonitor(urc, kIdentity);
    ASSERT_TRUE(waitFor([&] { return ended == 1; }));
    QTest::qWait(300);
    EXPECT_EQ(window->log, QStringList{QStringLiteral("ended")});
    EXPECT_EQ(boxes.boxes().size(), 1u);
    EXPECT_TRUE(window->panelLocked());
}

INSTANTIATE_TEST_SUITE_P(Ways, StopWayTest,
                         ::testing::Values(StopWay::RequestStop, StopWay::ThreadInterruption),
                         [](const auto& info) { return ::testing::PrintToString(info.param); });

TEST_F(LinkMonitorStopTest, StopBeforeTheFirstCycleEndsAtOnce) {
    device::linkstate* monitor = new device::linkstate(urc, kIdentity, *window, window.get());
    window->monitor = monitor;
    monitor->requestStop();
    monitor->start();
    ASSERT_TRUE(monitor->wait(2000));
    ASSERT_TRUE(waitFor([&] { return ended == 1; }));
    EXPECT_EQ(window->log, QStringList{QStringLiteral("ended")});
    EXPECT_TRUE(urc.callsOf("link_state").empty());
}

TEST_F(LinkMonitorStopTest, NeverStartedMonitorIsDeletedQuietly) {
    auto* monitor = new device::linkstate(urc, kIdentity, *window);
    delete monitor;
    QTest::qWait(50);
    EXPECT_EQ(ended, 0);
}

// The window goes away while the monitor runs; its destructor either deletes
// the monitor itself or leaves that to Qt's deletion of its children.
class WindowGoneTest : public LinkMonitorStopTest, public ::testing::WithParamInterface<bool> {};

TEST_P(WindowGoneTest, WhilePolling) {
    window->deleteMonitorFirst = GetParam();
    window->startMonitor(urc, kIdentity);
    ASSERT_TRUE(waitFor([&] { return window->usbState->text() == device::kLinkConnectedText; }));
    window.reset();
    QTest::qWait(400);
    EXPECT_EQ(ended, 0);
}

TEST_P(WindowGoneTest, WhileHeldInALibraryCall) {
    window->deleteMonitorFirst = GetParam();
    window->startMonitor(blocking, kIdentity);
    ASSERT_TRUE(waitFor([&] { return window->usbState->text() == device::kLinkConnectedText; }));
    blocking.holdNextPoll();
    ASSERT_TRUE(waitFor([&] { return blocking.pollEntered(); }));
    // The destructor waits for the call in progress; let it come back soon.
    std::thread releaser([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        blocking.releasePoll();
    });
    window.reset();
    releaser.join();
    QTest::qWait(300);
    EXPECT_EQ(ended, 0);
}

TEST_P(WindowGoneTest, WhileItsBoxIsOpen) {
    window->deleteMonitorFirst = GetParam();
    urc.setConnected(false);
    boxes.answerNext(BoxAnswer::Cancel, [&] { window.reset(); });
    window->startMonitor(urc, kIdentity);
    ASSERT_TRUE(waitFor([&] { return window == nullptr; }));
    QTest::qWait(400);
    EXPECT_EQ(ended, 0);
    EXPECT_EQ(boxes.boxes().size(), 1u); // the Cancel answer reached nobody
}

INSTANTIATE_TEST_SUITE_P(Ownership, WindowGoneTest, ::testing::Bool(), [](const auto& info) {
    return std::string(info.param ? "DeletesMonitor" : "ChildDeletion");
});

} // namespace
