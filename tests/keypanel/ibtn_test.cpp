#include "keypanel/ibtn1.h"
#include "platform/winsys/cursors.h"
#include "recording_shell.h"
#include "tests/support/scripted_message_boxes.h"

#include <QMouseEvent>
#include <QTest>
#include <gtest/gtest.h>
#include <memory>

namespace {

QImage filled(QColor colour) {
    QImage image(4, 4, QImage::Format_ARGB32);
    image.fill(colour);
    return image;
}

class IBtnTest : public ::testing::Test {
protected:
    void SetUp() override {
        window = std::make_unique<QWidget>();
        window->resize(300, 300);
        button = new IBtn(window.get());
        button->move(50, 60);
        window->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    }

    void press(QPoint at = {5, 5}) { QTest::mousePress(button, Qt::LeftButton, {}, at); }
    void release(QPoint at = {5, 5}) { QTest::mouseRelease(button, Qt::LeftButton, {}, at); }

    RecordingShell shell;
    std::unique_ptr<QWidget> window;
    IBtn* button = nullptr;
};

TEST_F(IBtnTest, ConstructionDefaults) {
    EXPECT_EQ(button->size(), QSize(80, 25));
    EXPECT_EQ(button->MoveDown(), 1);
    EXPECT_EQ(button->MoveRight(), 1);
    EXPECT_TRUE(button->IsEnable());
    EXPECT_TRUE(button->picture().isNull());
    EXPECT_TRUE(button->DisablePic().isNull());
    EXPECT_TRUE(button->Path().isEmpty());
    EXPECT_TRUE(button->Code().isEmpty());
}

TEST_F(IBtnTest, ConstructionLeavesCursor31TheArrow) {
    winsys::registerCursor(IBtn::kButtonCursor, QCursor(Qt::CrossCursor));
    IBtn fresh(window.get());
    EXPECT_FALSE(winsys::hasNumberedCursor(IBtn::kButtonCursor));
    EXPECT_EQ(fresh.cursorNumber(), IBtn::kButtonCursor);
    EXPECT_EQ(fresh.cursor().shape(), Qt::ArrowCursor);
}

struct OffsetCase {
    uint8_t down;
    uint8_t right;
};

void PrintTo(const OffsetCase& c, std::ostream* os) {
    *os << int(c.down) << "/" << int(c.right);
}

class IBtnOffsetTest : public IBtnTest, public ::testing::WithParamInterface<OffsetCase> {};

TEST_P(IBtnOffsetTest, PressShiftsAndReleaseShiftsBack) {
    button->setMoveDown(GetParam().down);
    button->setMoveRight(GetParam().right);
    press();
    EXPECT_EQ(button->pos(), QPoint(50 + GetParam().right, 60 + GetParam().down));
    release();
    EXPECT_EQ(button->pos(), QPoint(50, 60));
}

INSTANTIATE_TEST_SUITE_P(Offsets, IBtnOffsetTest,
                         ::testing::Values(OffsetCase{1, 1}, OffsetCase{0, 0}, OffsetCase{3, 7}));

TEST_F(IBtnTest, AnyMouseButtonShifts) {
    QTest::mousePress(button, Qt::RightButton, {}, {5, 5});
    EXPECT_EQ(button->pos(), QPoint(51, 61));
    QTest::mouseRelease(button, Qt::RightButton, {}, {5, 5});
    EXPECT_EQ(button->pos(), QPoint(50, 60));
}

TEST_F(IBtnTest, ClickRunsWhileTheButtonIsStillDown) {
    std::vector<QPoint> seen;
    QObject::connect(button, &IBtn::Click, [&](IBtn* sender) {
        EXPECT_EQ(sender, button);
        seen.push_back(sender->pos());
    });
    press();
    release();
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0], QPoint(51, 61));
    EXPECT_EQ(button->pos(), QPoint(50, 60));
}

TEST_F(IBtnTest, ReleaseElsewhereGivesNoClickButShiftsBack) {
    int clicks = 0;
    QObject::connect(button, &IBtn::Click, [&] { ++clicks; });
    press();
    release({200, 200});
    EXPECT_EQ(clicks, 0);
    EXPECT_EQ(button->pos(), QPoint(50, 60));
}

TEST_F(IBtnTest, ShiftChangedWhileHeldIsUndoneAsApplied) {
    press();
    button->setMoveDown(5);
    release();
    EXPECT_EQ(button->pos(), QPoint(50, 60));
}

TEST_F(IBtnTest, HidingAHeldButtonShiftsItBack) {
    press();
    button->hide();
    EXPECT_EQ(button->pos(), QPoint(50, 60));
    button->show();
    release();
    EXPECT_EQ(button->pos(), QPoint(50, 60));
}

TEST_F(IBtnTest, MouseMoveSignalsTheButton) {
    IBtn* seen = nullptr;
    QObject::connect(button, &IBtn::MouseMove, [&](IBtn* sender) { seen = sender; });
    QMouseEvent move(QEvent::MouseMove, QPointF(3, 3), button->mapToGlobal(QPointF(3, 3)),
                     Qt::NoButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(button, &move);
    EXPECT_EQ(seen, button);
}

TEST_F(IBtnTest, EmptyPathMakesNoShellRequest) {
    press();
    release();
    EXPECT_TRUE(shell.log.isEmpty());
}

struct PathCase {
    const char* path;
    QStringList expectedLog;
};

void PrintTo(const PathCase& c, std::ostream* os) {
    *os << '"' << c.path << '"';
}

class IBtnPathTest : public IBtnTest, public ::testing::WithParamInterface<PathCase> {};

TEST_P(IBtnPathTest, PressAsksTheShell) {
    button->setPath(QString::fromUtf8(GetParam().path));
    press();
    EXPECT_EQ(shell.log, GetParam().expectedLog);
    release();
    EXPECT_EQ(shell.log, GetParam().expectedLog);
}

INSTANTIATE_TEST_SUITE_P(Paths, IBtnPathTest,
                         ::testing::Values(PathCase{"POWER/TV", {"open POWER/TV"}},
                                           PathCase{"C:\\TOOLS\\A.EXE", {"open C:\\TOOLS\\A.EXE"}},
                                           PathCase{"C:\\tools\\a.exe",
                                                    {"cd C:\\tools\\", "open C:\\tools\\a.exe"}},
                                           PathCase{"tools/a.exe", {"cd ", "open tools/a.exe"}}));

TEST_F(IBtnTest, FailedDirectoryChangeIsReportedAndNothingOpens) {
    testsupport::ScriptedMessageBoxes boxes;
    shell.directoryChangeSucceeds = false;
    button->setPath(QStringLiteral("C:\\missing\\a.exe"));
    press();
    EXPECT_EQ(shell.log, QStringList{QStringLiteral("cd C:\\missing\\")});
    const auto shown = boxes.boxes();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].kind, winsys::BoxKind::Error);
    EXPECT_EQ(shown[0].text, QStringLiteral("I/O error 3"));
    release();
    EXPECT_EQ(button->pos(), QPoint(50, 60));
}

TEST_F(IBtnTest, DisableThenEnableRestoresThePicture) {
    button->setPicture(filled(Qt::red));
    button->setDisablePic(filled(Qt::gray));
    button->setIsEnable(false);
    EXPECT_FALSE(button->IsEnable());
    EXPECT_EQ(button->picture(), filled(Qt::gray));
    button->setIsEnable(true);
    EXPECT_TRUE(button->IsEnable());
    EXPECT_EQ(button->picture(), filled(Qt::red));
}

TEST_F(IBtnTest, DisablingTwiceSavesTheDisabledPicture) {
    button->setPicture(filled(Qt::red));
    button->setDisablePic(filled(Qt::gray));
    button->setIsEnable(false);
    button->setIsEnable(false);
    button->setIsEnable(true);
    EXPECT_EQ(button->picture(), filled(Qt::gray));
}

TEST_F(IBtnTest, EnablingANeverDisabledButtonShowsTheEmptySavedPicture) {
    button->setPicture(filled(Qt::red));
    button->setIsEnable(true);
    EXPECT_TRUE(button->picture().isNull());
}

TEST_F(IBtnTest, DisablePicIsTheButtonsOwnCopy) {
    QImage source = filled(Qt::gray);
    button->setDisablePic(source);
    source.fill(Qt::blue);
    EXPECT_EQ(button->DisablePic(), filled(Qt::gray));
    button->setIsEnable(false);
    EXPECT_EQ(button->picture(), filled(Qt::gray));
}

TEST_F(IBtnTest, ClicksArriveWhileDisabledPictureShows) {
    int clicks = 0;
    QObject::connect(button, &IBtn::Click, [&] { ++clicks; });
    button->setIsEnable(false);
    QTest::mouseClick(button, Qt::LeftButton, {}, {5, 5});
    EXPECT_EQ(clicks, 1);
}

} // namespace
