// Learning mode and the choice of a key: every transition of the states Idle,
// Waiting for a key, Capturing and Stopping, with the boxes, pictures, panels
// and status line the user sees.
#include "keypanel/core/key_table.h"
#include "platform/flash/flash_player.h"
#include "tests/learning/learning_fixture.h"

#include <QTest>

using winsys::BoxAnswer;
using winsys::BoxButtons;
using winsys::BoxKind;

namespace learningtest {
namespace {

constexpr char kChooseAgain[] = "choose one button needs to learn again!";

class LearningMode : public LearningWindowTest {
protected:
    void expectWaitingForKey() {
        EXPECT_TRUE(window_->LearnMode);
        EXPECT_TRUE(window_->LearningKeys.empty());
        EXPECT_FALSE(window_->beginstudyibtn->IsEnable());
        EXPECT_TRUE(window_->Image5->isVisibleTo(window_.get()));
        EXPECT_FALSE(window_->Image4->isVisibleTo(window_.get()));
        EXPECT_FALSE(window_->Image7->isVisibleTo(window_.get()));
        EXPECT_FALSE(window_->Image8->isVisibleTo(window_.get()));
    }
    void expectIdle() {
        EXPECT_FALSE(window_->LearnMode);
        EXPECT_TRUE(window_->LearningKeys.empty());
        EXPECT_TRUE(window_->beginstudyibtn->IsEnable());
        EXPECT_EQ(window_->runstate_lab->text(), "");
        EXPECT_EQ(window_->Imagehint->picture(), window_->skins.gifkolvar);
        EXPECT_FALSE(window_->Image5->isVisibleTo(window_.get()));
    }
    void expectCapturing(const QString& code) {
        ASSERT_EQ(window_->LearningKeys.size(), 1u);
        EXPECT_EQ(window_->LearningKeys.front(), key(code));
        EXPECT_NE(window_->CaptureThread, nullptr);
        EXPECT_EQ(window_->CaptureControl.load(), learning::kCaptureMayRun);
        EXPECT_EQ(key(code)->picture(), slotPicture(keypanel::kChosenBank, code));
        EXPECT_EQ(window_->runstate_lab->text(), "press a button to be learnt on original RC");
        EXPECT_FALSE(window_->Imagehint->isVisibleTo(window_.get()));
        EXPECT_TRUE(window_->donghuaflash2->isVisibleTo(window_.get()));
    }
};

TEST_F(LearningMode, IdleKeyClickAsksToStartFirst) {
    const QImage before = key("44")->picture();
    window_->KeyClick(key("44"));
    EXPECT_EQ(boxes_.texts(), std::vector<QString>{"Please click on Start to learn first!"});
    EXPECT_EQ(boxes_.boxes().front().kind, BoxKind::Information);
    EXPECT_EQ(key("44")->picture(), before);
    EXPECT_EQ(window_->CaptureThread, nullptr);
    EXPECT_FALSE(window_->LearnMode);
}

TEST_F(LearningMode, SwitchingOnWaitsForAKey) {
    switchLearningOn();
    expectWaitingForKey();
    EXPECT_EQ(window_->Imagehint->picture(), window_->skins.jpgjingtai);
    EXPECT_EQ(window_->runstate_lab->text(), "click one button needs to learn left.");
    EXPECT_TRUE(boxes_.boxes().empty());
}

TEST_F(LearningMode, SwitchingOffFromWaitingIsIdleAgain) {
    switchLearningOn();
    window_->beginstudyibtnClick();
    expectIdle();
    // No learned key: the panel for learning only.
    EXPECT_TRUE(window_->Image8->isVisibleTo(window_.get()));
    EXPECT_FALSE(window_->Image4->isVisibleTo(window_.get()));
}

TEST_F(LearningMode, IdlePanelShowsDeletingHelpWhenKeysAreLearned) {
    setEntryState("05", '2');
    switchLearningOn();
    window_->beginstudyibtnClick();
    EXPECT_TRUE(window_->Image4->isVisibleTo(window_.get()));
    EXPECT_FALSE(window_->Image8->isVisibleTo(window_.get()));
}

TEST_F(LearningMode, KeysNotLearnedAreChosenWithoutAQuestion) {
    for (const char state : {'0', '1'}) {
        setEntryState("44", state);
        startCapturing("44");
        expectCapturing("44");
        EXPECT_TRUE(boxes_.boxes().empty()) << state;
        endCaptureByTime();
        window_->beginstudyibtnClick();
        boxes_.clear();
    }
}

TEST_F(LearningMode, LearnedKeyAsksBeforeLearningAgain) {
    setEntryState("05", '2');
    window_->RefreshKeyPictures();
    switchLearningOn();
    boxes_.answerNext(BoxAnswer::Yes);
    window_->KeyClick(key("05"));
    const auto shown = boxes_.boxes();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].text, "TV/MUTEbutton has learnt, do you need to learn again?");
    EXPECT_EQ(shown[0].buttons, BoxButtons::YesNo);
    expectCapturing("05");
    EXPECT_TRUE(key("05")->IsEnable());
    // Chosen for re-learning, the key keeps its state until a new code is stored.
    EXPECT_EQ(window_->LearnedKeys[entryIndex("05")], "05|2");
}

TEST_F(LearningMode, AnswerNoLeavesTheLearnedKeyAsItWas) {
    setEntryState("05", '2');
    window_->RefreshKeyPictures();
    switchLearningOn();
    const QImage picture = key("05")->picture();
    boxes_.answerNext(BoxAnswer::No);
    window_->KeyClick(key("05"));
    EXPECT_EQ(key("05")->picture(), picture);
    EXPECT_FALSE(key("05")->IsEnable());
    EXPECT_EQ(window_->CaptureThread, nullptr);
    expectWaitingForKey();
}

TEST_F(LearningMode, ClickDuringCaptureNamesTheCapturingKey) {
    startCapturing("44");
    for (const QString other : {"05", "44"}) {
        boxes_.clear();
        window_->KeyClick(key(other));
        EXPECT_EQ(boxes_.texts(),
                  std::vector<QString>{"CBL/OKbuttonis learning now! Click on Stop learning to "
                                       "stop learning operation!"});
        expectCapturing("44");
    }
    endCaptureByTime();
    EXPECT_EQ(captureWorkersStarted(), 1);
}

TEST_F(LearningMode, CaptureEndingWithoutCodeWaitsForTheNextKey) {
    enum class Ending { TimeWindow, LinkLost };
    struct Case {
        const char* name;
        Ending ending;
    };
    const Case cases[] = {{"time window", Ending::TimeWindow}, {"link lost", Ending::LinkLost}};
    for (const Case& c : cases) {
        startCapturing("44");
        if (c.ending == Ending::TimeWindow) {
            endCaptureByTime();
        } else {
            urc_.scriptLinkStates({false});
            ASSERT_TRUE(waitForCaptureEnd()) << c.name;
        }
        expectWaitingForKey();
        EXPECT_EQ(window_->runstate_lab->text(), kChooseAgain) << c.name;
        EXPECT_EQ(window_->Imagehint->picture(), window_->skins.jpgjingtai);
        EXPECT_TRUE(window_->Imagehint->isVisibleTo(window_.get()));
        EXPECT_FALSE(window_->donghuaflash2->isVisibleTo(window_.get()));
        EXPECT_EQ(key("44")->picture(), slotPicture(keypanel::kPlainBank, "44"));
        EXPECT_TRUE(boxes_.boxes().empty()) << c.name;
        EXPECT_TRUE(writes().empty());
        window_->beginstudyibtnClick();
    }
}

TEST_F(LearningMode, RefusedCaptureModeEndsWithoutPolling) {
    urc_.setCaptureModeResult(false);
    startCapturing("44");
    ASSERT_TRUE(waitForCaptureEnd());
    EXPECT_TRUE(urc_.callsOf("RCollectCodeInfo").empty());
    expectWaitingForKey();
    EXPECT_EQ(window_->runstate_lab->text(), kChooseAgain);
}

TEST_F(LearningMode, StoppingRestoresTheKeyAtOnce) {
    setEntryState("05", '2');
    window_->RefreshKeyPictures();
    switchLearningOn();
    window_->KeyClick(key("05")); // default answer Yes: learn again
    window_->beginstudyibtnClick();
    // Stopping: the worker is told to stop but not yet gone.
    EXPECT_EQ(window_->CaptureControl.load(), learning::kCaptureStopRequested);
    EXPECT_NE(window_->CaptureThread, nullptr);
    expectIdle();
    EXPECT_FALSE(window_->donghuaflash2->isVisibleTo(window_.get()));
    // The re-learnt key shows its learned picture again, disabled.
    EXPECT_EQ(key("05")->picture(), slotPicture(keypanel::kLearnedBank, "05"));
    EXPECT_FALSE(key("05")->IsEnable());
    // The worker's end changes nothing on the screen.
    ASSERT_TRUE(waitForCaptureEnd());
    expectIdle();
    EXPECT_EQ(key("05")->picture(), slotPicture(keypanel::kLearnedBank, "05"));
    EXPECT_EQ(window_->LearnedKeys[entryIndex("05")], "05|2");
}

TEST_F(LearningMode, StoppingThenChoosingAgainReusesTheOldWorker) {
    startCapturing("44");
    window_->beginstudyibtnClick(); // Stopping
    window_->beginstudyibtnClick(); // Waiting, the old worker still running
    expectWaitingForKey();
    window_->KeyClick(key("05"));
    ASSERT_EQ(window_->LearningKeys.size(), 1u);
    EXPECT_EQ(window_->LearningKeys.front(), key("05"));
    // The old worker was told to stop and is never told otherwise.
    EXPECT_EQ(window_->CaptureControl.load(), learning::kCaptureStopRequested);
    ASSERT_TRUE(waitForCaptureEnd());
    // Its end drops the key chosen meanwhile.
    EXPECT_EQ(window_->runstate_lab->text(), kChooseAgain);
    EXPECT_EQ(key("05")->picture(), slotPicture(keypanel::kPlainBank, "05"));
    expectWaitingForKey();
    EXPECT_EQ(captureWorkersStarted(), 1);
    // The next key gets a worker of its own.
    window_->KeyClick(key("06"));
    expectCapturing("06");
    endCaptureByTime();
    EXPECT_EQ(captureWorkersStarted(), 2);
}

TEST_F(LearningMode, WorkerEndingWhileTheRelearnBoxIsOpen) {
    setEntryState("05", '2');
    startCapturing("44");
    window_->beginstudyibtnClick(); // Stopping
    window_->beginstudyibtnClick(); // Waiting with the old worker
    // While the question is open the old worker ends and its end is handled.
    boxes_.answerNext(BoxAnswer::Yes, [this] { ASSERT_TRUE(waitForCaptureEnd()); });
    window_->KeyClick(key("05"));
    // The worker reference is looked at after the box: a new worker starts.
    expectCapturing("05");
    endCaptureByTime();
    EXPECT_EQ(captureWorkersStarted(), 2);
}

TEST_F(LearningMode, CodeStoredWhileTheLearningNowBoxIsOpen) {
    startCapturing("44");
    boxes_.answerNext(BoxAnswer::Ok, [this] {
        urc_.queueCapture(necCapture(0x04, 0x08));
        ASSERT_TRUE(waitForCaptureEnd());
    });
    window_->KeyClick(key("05"));
    EXPECT_EQ(boxes_.texts(),
              (std::vector<QString>{"CBL/OKbuttonis learning now! Click on Stop learning to stop "
                                    "learning operation!",
                                    "RC code is received!"}));
    EXPECT_EQ(window_->LearnedKeys[entryIndex("44")], "44|2");
    EXPECT_EQ(window_->LearnedKeys[entryIndex("05")], "05|0");
    expectWaitingForKey();
}

TEST_F(LearningMode, SwitchingLearningInDeleteModeIsRefused) {
    setEntryState("05", '2');
    window_->delstudykeyClick();
    ASSERT_TRUE(window_->DeleteMode);
    window_->beginstudyibtnClick();
    EXPECT_EQ(boxes_.texts(),
              std::vector<QString>{"It is deleting now! Please stop deleting first if you want "
                                   "to stop to learn！"});
    EXPECT_FALSE(window_->LearnMode);
}

TEST_F(LearningMode, HasLearnedKeysNeedsStateTwo) {
    window_->LearnedKeys.clear();
    EXPECT_FALSE(window_->HasLearnedKeys());
    window_->LearnedKeys = {"00|0", "01|1"};
    EXPECT_FALSE(window_->HasLearnedKeys());
    window_->LearnedKeys.push_back("02|2");
    EXPECT_TRUE(window_->HasLearnedKeys());
}

TEST_F(LearningMode, ClosingDuringACaptureStopsAndWaitsForTheWorker) {
    startCapturing("44");
    window_->stopCaptureWorkerForClose();
    EXPECT_EQ(window_->CaptureThread, nullptr);
    EXPECT_EQ(window_->CaptureControl.load(), learning::kCaptureStopRequested);
    // The end handler never runs afterwards: the key stays as it was.
    QTest::qWait(50);
    EXPECT_EQ(window_->runstate_lab->text(), "press a button to be learnt on original RC");
    window_.reset();
}

TEST_F(LearningMode, DestroyingTheWindowWithAPendingEndNoticeIsSafe) {
    urc_.setCaptureModeResult(false);
    startCapturing("44");
    // The worker has ended and its end notice is queued, not yet handled.
    window_->CaptureThread->wait();
    window_.reset();
    QTest::qWait(20);
    SUCCEED();
}

TEST_F(LearningMode, DestroyingTheWindowWhileAWorkerPolls) {
    startCapturing("44");
    window_.reset();
    QTest::qWait(20);
    SUCCEED();
}

} // namespace
} // namespace learningtest
