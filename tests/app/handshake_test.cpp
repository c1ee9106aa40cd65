// The real main window created against a scripted URC: the handshake's boxes,
// labels and failure mark.
#include "app/maintarnvik.h"
#include "app/messages.h"
#include "tests/support/scripted_message_boxes.h"
#include "tests/support/scripted_urc.h"

#include <QApplication>
#include <QTest>
#include <gtest/gtest.h>

using testsupport::ScriptedMessageBoxes;
using testsupport::ScriptedUrc;
using winsys::BoxAnswer;
using winsys::BoxButtons;
using winsys::BoxKind;

namespace {

TEST(Handshake, GoodUrcStartsWithItsLabels) {
    ScriptedUrc urc;
    testsupport::buildTestImage(urc);
    ScriptedMessageBoxes boxes;
    Tmaintarnvik window(urc);
    EXPECT_FALSE(window.StartFailed);
    EXPECT_TRUE(boxes.boxes().empty());
    EXPECT_EQ(window.lab_gjbb->text(), " 2.0");
    EXPECT_EQ(window.lab_ykqtype->text(), "QZT-617");
    EXPECT_EQ(QApplication::applicationDisplayName(), "QZT-617");
    EXPECT_EQ(window.LearnedKeys.size(), 70u);
}

TEST(Handshake, RetryUntilTheUrcIsFound) {
    ScriptedUrc urc;
    testsupport::buildTestImage(urc);
    urc.scriptLinkStates({false, false, true});
    ScriptedMessageBoxes boxes;
    boxes.answerNext(BoxAnswer::Retry);
    boxes.answerNext(BoxAnswer::Retry);
    Tmaintarnvik window(urc);
    EXPECT_FALSE(window.StartFailed);
    const auto shown = boxes.boxes();
    ASSERT_EQ(shown.size(), 2u);
    for (const auto& box : shown) {
        EXPECT_EQ(box.text, app::kNoUrcFound);
        EXPECT_EQ(box.buttons, BoxButtons::RetryCancel);
        EXPECT_EQ(box.kind, BoxKind::Confirmation);
    }
    // Nothing is read before the URC answered.
    const auto calls = urc.calls();
    ASSERT_GE(calls.size(), 4u);
    EXPECT_EQ(calls[0].function, "link_state");
    EXPECT_EQ(calls[1].function, "link_state");
    EXPECT_EQ(calls[2].function, "link_state");
    EXPECT_EQ(calls[3].function, "ReadVersion");
}

TEST(Handshake, CancelMarksTheStartFailedAndReadsNothing) {
    ScriptedUrc urc;
    testsupport::buildTestImage(urc);
    urc.setConnected(false);
    ScriptedMessageBoxes boxes;
    boxes.answerNext(BoxAnswer::Cancel);
    Tmaintarnvik window(urc);
    EXPECT_TRUE(window.StartFailed);
    EXPECT_EQ(boxes.boxes().size(), 1u);
    EXPECT_TRUE(urc.callsOf("ReadVersion").empty());
    EXPECT_EQ(window.lab_gjbb->text(), "");
}

TEST(Handshake, EachRefusedUrcGetsItsMessage) {
    struct Case {
        int major;
        int minor;
        uint8_t type0;
        uint8_t type1;
        QString message;
    };
    const Case cases[] = {
        {1, 0, 0x10, 0x04, app::firmwareMessage()}, {0, 7, 0x10, 0x04, app::firmwareMessage()},
        {1, 5, 0x10, 0x04, app::versionMessage()},  {2, 3, 0x10, 0x04, app::versionMessage()},
        {1, 4, 0x88, 0x88, app::firmwareMessage()}, {3, 0, 0x88, 0x88, app::firmwareMessage()},
        {1, 4, 0x10, 0x05, app::versionMessage()},
    };
    for (const auto& c : cases) {
        ScriptedUrc urc;
        testsupport::buildTestImage(urc, c.major, c.minor, c.type0, c.type1);
        ScriptedMessageBoxes boxes;
        Tmaintarnvik window(urc);
        EXPECT_TRUE(window.StartFailed);
        ASSERT_EQ(boxes.boxes().size(), 1u);
        EXPECT_EQ(boxes.lastText(), c.message) << c.major << "." << c.minor;
        EXPECT_EQ(boxes.boxes()[0].kind, BoxKind::Information);
        EXPECT_EQ(boxes.boxes()[0].buttons, BoxButtons::Ok);
        EXPECT_EQ(window.lab_gjbb->text(), " 2.0");
        EXPECT_EQ(window.lab_ykqtype->text(), " ");
        // Nothing past the identity block is read.
        EXPECT_EQ(urc.callsOf("readdatav20").size(), 1u);
    }
}

TEST(Handshake, MessagesNameTheMakersAddress) {
    EXPECT_EQ(app::versionMessage(),
              "This version of learning software does not support learning operation of this "
              "kind of RC. Please download the latest version of learning software from "
              "http://www.example.com!");
    EXPECT_EQ(app::firmwareMessage(), "Low version of RC firmware program! Please download the "
                                      "latest version from http://www.example.com!");
}

// The URC's type is shown once the checks have passed, before the memory map
// is read, so a read failing after the checks leaves it shown.
TEST(Handshake, FailedReadAfterTheChecksShowsNoUrcFound) {
    for (int failing : {0xB03C, 0x2000}) { // the layout block, the allocation area
        ScriptedUrc urc;
        testsupport::buildTestImage(urc);
        urc.failReadsAt(failing);
        ScriptedMessageBoxes boxes;
        Tmaintarnvik window(urc);
        EXPECT_TRUE(window.StartFailed) << failing;
        EXPECT_EQ(boxes.lastText(), app::kNoUrcFound) << failing;
        EXPECT_EQ(window.lab_ykqtype->text(), "QZT-617") << failing;
    }
}

TEST(Handshake, AFailedStartClosesTheWindowWhenFirstShown) {
    ScriptedUrc urc;
    urc.setVersionText("");
    ScriptedMessageBoxes boxes;
    Tmaintarnvik window(urc);
    ASSERT_TRUE(window.StartFailed);
    EXPECT_EQ(boxes.lastText(), app::versionMessage());
    window.show();
    for (int i = 0; i < 50 && window.isVisible(); ++i)
        QTest::qWait(10);
    EXPECT_FALSE(window.isVisible());
}

} // namespace
