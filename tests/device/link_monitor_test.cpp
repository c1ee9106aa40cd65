#include "tests/device/test_window.h"
#include "tests/support/scripted_message_boxes.h"
#include "tests/support/scripted_urc.h"

#include <QTest>
#include <memory>

namespace {

using winsys::BoxAnswer;
using winsys::BoxButtons;

const std::string kIdentity(30, 'A');
const std::string kOtherIdentity(30, 'B');

class LinkMonitorTest : public ::testing::Test {
protected:
    void SetUp() override {
        urc.setIdentityText(kIdentity + "trailing text beyond the identity");
        window = std::make_unique<TestWindow>(ended);
    }
    void TearDown() override { window.reset(); }

    void start(const std::string& identity = kIdentity) { window->startMonitor(urc, identity); }
    bool waitFor(const std::function<bool()>& condition) {
        return QTest::qWaitFor(condition, 5000);
    }
    bool waitForEnd() {
        return waitFor([&] { return ended == 1; });
    }

    testsupport::ScriptedUrc urc;
    testsupport::ScriptedMessageBoxes boxes;
    int ended = 0;
    std::unique_ptr<TestWindow> window;
};

TEST_F(LinkMonitorTest, ConnectedUrcShowsConnected) {
    start();
    ASSERT_TRUE(waitFor([&] { return window->usbState->text() == device::kLinkConnectedText; }));
    QTest::qWait(500);
    EXPECT_TRUE(boxes.boxes().empty());
    EXPECT_TRUE(window->panelOpen());
    EXPECT_TRUE(urc.callsOf("RBasicInfo").empty()); // identity only after a loss
    EXPECT_EQ(ended, 0);
}

TEST_F(LinkMonitorTest, UnplugLocksThePanelAndAsksWithinOnePoll) {
    bool lockedWhileAsked = false;
    QString labelWhileAsked;
    boxes.answerNext(BoxAnswer::Retry, [&] {
        lockedWhileAsked = window->panelLocked();
        labelWhileAsked = window->usbState->text();
    });
    urc.scriptLinkStates({false}); // the very first poll finds no URC
    start();
    ASSERT_TRUE(waitFor([&] { return window->panelOpen() && !boxes.boxes().empty(); }));
    const auto shown = boxes.boxes();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].title, QStringLiteral("HINT"));
    EXPECT_EQ(shown[0].text, QStringLiteral("No URC is found, please check USB Connection!"));
    EXPECT_EQ(shown[0].buttons, BoxButtons::RetryCancel);
    EXPECT_TRUE(lockedWhileAsked);
    EXPECT_EQ(labelWhileAsked, QStringLiteral(" Disconnected"));
    // Retry with the same URC back: restored, " Connected", identity checked.
    EXPECT_EQ(window->usbState->text(), QStringLiteral(" Connected"));
    EXPECT_EQ(urc.callsOf("RBasicInfo").size(), 1u);
    EXPECT_EQ(window->log.mid(0, 4),
              (QStringList{"label Disconnected", "lock", "label Connected", "unlock"}));
    QTest::qWait(500);
    EXPECT_EQ(boxes.boxes().size(), 1u);
    EXPECT_EQ(ended, 0);
}

TEST_F(LinkMonitorTest, BoxRepeatsWhileTheUrcStaysAway) {
    urc.setConnected(false);
    start();
    ASSERT_TRUE(waitFor([&] { return boxes.boxes().size() >= 4; }));
    for (const auto& box : boxes.boxes())
        EXPECT_EQ(box.text, device::kNoUrcText);
    EXPECT_TRUE(window->panelLocked());
    EXPECT_EQ(window->log.count(QStringLiteral("unlock")), 0);
    EXPECT_EQ(ended, 0);
}

TEST_F(LinkMonitorTest, CancelThenCancelAsksAgain) {
    urc.setConnected(false);
    boxes.answerNext(BoxAnswer::Cancel);
    boxes.answerNext(BoxAnswer::Cancel);
    start();
    ASSERT_TRUE(waitFor([&] { return boxes.boxes().size() >= 3; }));
    const auto shown = boxes.boxes();
    EXPECT_EQ(shown[1].text, QStringLiteral("Do you close software?"));
    EXPECT_EQ(shown[1].title, QStringLiteral("HINT"));
    EXPECT_EQ(shown[1].buttons, BoxButtons::OkCancel);
    EXPECT_EQ(shown[1].kind, winsys::BoxKind::Information);
    EXPECT_EQ(shown[2].text, device::kNoUrcText);
    EXPECT_EQ(ended, 0);
}

TEST_F(LinkMonitorTest, CancelThenOkEndsTheMonitor) {
    urc.setConnected(false);
    boxes.answerNext(BoxAnswer::Cancel);
    boxes.answerNext(BoxAnswer::Ok);
    start();
    ASSERT_TRUE(waitForEnd());
    EXPECT_TRUE(window->runHadReturned);
    EXPECT_EQ(boxes.boxes().size(), 2u);
    QTest::qWait(300);
    EXPECT_EQ(ended, 1);
    EXPECT_TRUE(window->monitor->isFinished());
}

struct ReturnCase {
    const char* name;
    std::string identityText; // what RBasicInfo answers; empty: the read fails
};

void PrintTo(const ReturnCase& c, std::ostream* os) {
    *os << c.name;
}

class LinkMonitorReturnTest : public LinkMonitorTest,
                              public ::testing::WithParamInterface<ReturnCase> {};

TEST_P(LinkMonitorReturnTest, AnotherUrcEndsTheMonitor) {
    urc.setIdentityText(GetParam().identityText);
    urc.scriptLinkStates({false});
    start();
    ASSERT_TRUE(waitForEnd());
    EXPECT_EQ(boxes.boxes().size(), 1u);
    EXPECT_TRUE(window->panelLocked()); // never restored for a stranger
    EXPECT_EQ(window->log.count(QStringLiteral("unlock")), 0);
    EXPECT_EQ(window->log.last(), QStringLiteral("ended"));
}

INSTANTIATE_TEST_SUITE_P(Identities, LinkMonitorReturnTest,
                         ::testing::Values(ReturnCase{"Other", kOtherIdentity},
                                           ReturnCase{"Unreadable", ""},
                                           ReturnCase{"Shorter", kIdentity.substr(0, 29)},
                                           ReturnCase{"LowerCase", std::string(30, 'a')}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(LinkMonitorTest, WithoutAStartIdentityTheMonitorEndsAfterTheBox) {
    urc.scriptLinkStates({false});
    start("");
    ASSERT_TRUE(waitForEnd());
    EXPECT_EQ(boxes.boxes().size(), 1u);
}

TEST_F(LinkMonitorTest, EndHandlerMayDeleteTheMonitor) {
    window->onEnded = [&] { window->monitor->deleteLater(); };
    urc.setConnected(false);
    boxes.answerNext(BoxAnswer::Cancel);
    boxes.answerNext(BoxAnswer::Ok);
    start();
    ASSERT_TRUE(waitForEnd());
    ASSERT_TRUE(waitFor([&] { return window->monitor.isNull(); }));
    window.reset(); // no second deletion
    EXPECT_EQ(ended, 1);
}

} // namespace
