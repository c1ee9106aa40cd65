// Deleting learned keys: one at a time in delete mode, or all at once. A key
// is shown as empty only once the URC has emptied its record.
#include "device/core/hex_text.h"
#include "keypanel/core/key_table.h"
#include "tests/learning/learning_fixture.h"

using winsys::BoxAnswer;
using winsys::BoxButtons;
using winsys::BoxKind;

namespace learningtest {
namespace {

constexpr char kNeverLearned[] = "This button is never done for learning before!";

class Deletion : public LearningWindowTest {
protected:
    // Keys learned as start-up would have found them.
    void learnedKeys(std::initializer_list<const char*> codes) {
        for (const char* code : codes)
            setEntryState(code, '2');
        window_->RefreshKeyPictures();
        window_->delstudykey->setEnabled(true);
        window_->delallstudykey->setEnabled(true);
    }
    void expectEmptied(const QString& code) {
        EXPECT_EQ(window_->LearnedKeys[entryIndex(code)], code.toStdString() + "|0");
        EXPECT_EQ(key(code)->picture(), slotPicture(keypanel::kPlainBank, code));
        EXPECT_TRUE(key(code)->IsEnable());
    }
    void expectStillLearned(const QString& code) {
        EXPECT_EQ(window_->LearnedKeys[entryIndex(code)], code.toStdString() + "|2");
        EXPECT_EQ(key(code)->picture(), slotPicture(keypanel::kLearnedBank, code));
        EXPECT_FALSE(key(code)->IsEnable());
    }
    void expectFlagsWrittenAt(const std::vector<QString>& codes) {
        const auto written = writes();
        ASSERT_EQ(written.size(), codes.size());
        for (std::size_t i = 0; i < codes.size(); ++i) {
            const auto address = device::splitAddress(keyRecordAddress(codes[i]));
            EXPECT_EQ(written[i].args,
                      (std::vector<std::string>{urc_.selector(), address.high, address.low, "00"}));
        }
    }
    void expectNothingToDelete() {
        EXPECT_FALSE(window_->DeleteMode);
        EXPECT_FALSE(window_->delstudykey->isEnabled());
        EXPECT_EQ(window_->delstudykey->picture(), window_->skins.deletehui);
        EXPECT_FALSE(window_->delallstudykey->isEnabled());
        EXPECT_EQ(window_->delallstudykey->picture(), window_->skins.clearhui);
        EXPECT_TRUE(window_->Image8->isVisibleTo(window_.get()));
        EXPECT_FALSE(window_->Image4->isVisibleTo(window_.get()));
        EXPECT_FALSE(window_->Image7->isVisibleTo(window_.get()));
    }
};

TEST_F(Deletion, DeleteModeOnAndOff) {
    learnedKeys({"05"});
    window_->delstudykeyClick();
    EXPECT_TRUE(window_->DeleteMode);
    EXPECT_TRUE(window_->Image7->isVisibleTo(window_.get()));
    EXPECT_FALSE(window_->Image4->isVisibleTo(window_.get()));
    EXPECT_FALSE(window_->Image8->isVisibleTo(window_.get()));
    EXPECT_EQ(window_->runstate_lab->text(),
              "Please click a button needs to delete on the URC panel left");
    EXPECT_EQ(window_->delstudykey->picture(), window_->skins.stopdelete);
    window_->delstudykeyClick();
    EXPECT_FALSE(window_->DeleteMode);
    EXPECT_EQ(window_->runstate_lab->text(), "");
    EXPECT_EQ(window_->delstudykey->picture(), window_->skins.delete_);
    EXPECT_TRUE(window_->Image4->isVisibleTo(window_.get()));
    EXPECT_FALSE(window_->Image7->isVisibleTo(window_.get()));
}

TEST_F(Deletion, RefusalsWhileTheOtherModeIsOn) {
    struct Case {
        const char* name;
        bool learnMode;
        bool deleteMode;
        void (LearningWindow::*click)();
        const char* text;
    };
    const Case cases[] = {
        {"delete mode in learning", true, false, &LearningWindow::delstudykeyClick,
         "It is learning now! Please click on Stop learning for other operations!"},
        {"clear all in learning", true, false, &LearningWindow::delallstudykeyClick,
         "It is learning now! Please click on Stop Learning for other operations!"},
        {"clear all in delete mode", false, true, &LearningWindow::delallstudykeyClick,
         "It is on deleting mode! Please click on Stop Deleting first for other operations!"},
    };
    learnedKeys({"05"});
    for (const Case& c : cases) {
        boxes_.clear();
        window_->LearnMode = c.learnMode;
        window_->DeleteMode = c.deleteMode;
        (window_.get()->*c.click)();
        EXPECT_EQ(boxes_.texts(), std::vector<QString>{c.text}) << c.name;
        EXPECT_EQ(window_->LearnMode, c.learnMode) << c.name;
        EXPECT_EQ(window_->DeleteMode, c.deleteMode) << c.name;
        EXPECT_TRUE(writes().empty()) << c.name;
        expectStillLearned("05");
    }
}

TEST_F(Deletion, KeysWithoutALearnedCodeWriteNothing) {
    learnedKeys({"05"});
    setEntryState("44", '1');
    window_->delstudykeyClick();
    for (const QString code : {"44", "06"}) {
        boxes_.clear();
        window_->KeyClick(key(code));
        EXPECT_EQ(boxes_.texts(), std::vector<QString>{kNeverLearned}) << code.toStdString();
    }
    EXPECT_TRUE(writes().empty());
    EXPECT_TRUE(window_->DeleteMode);
}

TEST_F(Deletion, DeletingTheLastLearnedKeyLeavesDeleteMode) {
    learnedKeys({"05"});
    window_->delstudykeyClick();
    window_->KeyClick(key("05"));
    const auto shown = boxes_.boxes();
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_EQ(shown[0].text, "Sure to delete the learned code of this button?");
    EXPECT_EQ(shown[0].kind, BoxKind::Confirmation);
    EXPECT_EQ(shown[0].buttons, BoxButtons::YesNo);
    EXPECT_EQ(shown[1].text, "Deleting is finished!");
    expectFlagsWrittenAt({"05"});
    EXPECT_EQ(urc_.bytes(keyRecordAddress("05"), 1), std::vector<uint8_t>{0x00});
    expectEmptied("05");
    expectNothingToDelete();
}

TEST_F(Deletion, DeleteModeStaysOnWhileLearnedKeysRemain) {
    learnedKeys({"05", "44"});
    window_->delstudykeyClick();
    window_->KeyClick(key("05"));
    EXPECT_TRUE(window_->DeleteMode);
    EXPECT_TRUE(window_->delstudykey->isEnabled());
    expectEmptied("05");
    expectStillLearned("44");
    window_->KeyClick(key("44"));
    expectFlagsWrittenAt({"05", "44"});
    expectEmptied("44");
    expectNothingToDelete();
}

TEST_F(Deletion, AnsweringNoDeletesNothing) {
    learnedKeys({"05"});
    window_->delstudykeyClick();
    boxes_.answerNext(BoxAnswer::No);
    window_->KeyClick(key("05"));
    EXPECT_TRUE(writes().empty());
    expectStillLearned("05");
    EXPECT_TRUE(window_->DeleteMode);
}

TEST_F(Deletion, FailedDeletionKeepsTheKeyLearned) {
    learnedKeys({"05"});
    urc_.failWritesAt(keyRecordAddress("05"));
    window_->delstudykeyClick();
    window_->KeyClick(key("05"));
    EXPECT_EQ(boxes_.texts(), (std::vector<QString>{"Sure to delete the learned code of this "
                                                    "button?",
                                                    "Deleting is failure!"}));
    expectStillLearned("05");
    EXPECT_TRUE(window_->DeleteMode);
    EXPECT_TRUE(window_->delstudykey->isEnabled());
}

TEST_F(Deletion, ClearAllWithOnlyStateOneKeys) {
    setEntryState("05", '1');
    setEntryState("44", '1');
    window_->delallstudykeyClick();
    EXPECT_EQ(boxes_.texts(), std::vector<QString>{"No code can be deleted！"});
    EXPECT_TRUE(writes().empty());
}

TEST_F(Deletion, ClearAllEmptiesEveryLearnedKey) {
    learnedKeys({"05", "44", "85"});
    setEntryState("06", '1');
    window_->delallstudykeyClick();
    const auto shown = boxes_.boxes();
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_EQ(shown[0].text, "Sure to clear all the learned codes of the buttons?");
    EXPECT_EQ(shown[0].buttons, BoxButtons::YesNo);
    EXPECT_EQ(shown[1].text, "Clearing is finished!");
    EXPECT_EQ(window_->runstate_lab->text(), "Clearing is finished!");
    expectFlagsWrittenAt({"05", "44", "85"});
    for (const QString code : {"05", "44", "85"})
        expectEmptied(code);
    EXPECT_EQ(window_->LearnedKeys[entryIndex("06")], "06|1");
    expectNothingToDelete();
}

TEST_F(Deletion, ClearAllAnsweredNoWritesNothing) {
    learnedKeys({"05"});
    boxes_.answerNext(BoxAnswer::No);
    window_->delallstudykeyClick();
    EXPECT_TRUE(writes().empty());
    expectStillLearned("05");
}

TEST_F(Deletion, ClearAllWithAFailedWriteReportsItAndKeepsThatKey) {
    learnedKeys({"05", "44", "85"});
    urc_.failWritesAt(keyRecordAddress("44"));
    window_->delallstudykeyClick();
    EXPECT_EQ(boxes_.texts(), (std::vector<QString>{"Sure to clear all the learned codes of "
                                                    "the buttons?",
                                                    "Deleting is failure!"}));
    EXPECT_EQ(window_->runstate_lab->text(), "Deleting is failure!");
    // Every learned record was tried.
    EXPECT_EQ(writes().size(), 3u);
    expectEmptied("05");
    expectEmptied("85");
    expectStillLearned("44");
    EXPECT_TRUE(window_->delstudykey->isEnabled());
    EXPECT_EQ(window_->delstudykey->picture(), window_->skins.delete_);
    EXPECT_TRUE(window_->delallstudykey->isEnabled());
    EXPECT_EQ(window_->delallstudykey->picture(), window_->skins.clear);
    EXPECT_TRUE(window_->Image4->isVisibleTo(window_.get()));
    EXPECT_FALSE(window_->Image8->isVisibleTo(window_.get()));
}

TEST_F(Deletion, MarkKeyEmptyChangesTheFirstExactEntry) {
    window_->LearnedKeys = {"05|2", "0a|2", "05|2"};
    EXPECT_TRUE(window_->MarkKeyEmpty("05"));
    EXPECT_TRUE(window_->MarkKeyEmpty("0A"));
    EXPECT_TRUE(window_->MarkKeyEmpty("99"));
    EXPECT_EQ(window_->LearnedKeys, (std::vector<std::string>{"05|0", "0a|2", "05|2"}));
}

} // namespace
} // namespace learningtest
