// The end of a capture: a captured code is converted and written into the URC
// (code data, allocation area, key record last) and shown as learned; any
// failure says so, leaves the key as it was and the URC holding no half-made
// code.
#include "device/core/hex_text.h"
#include "keypanel/core/key_table.h"
#include "platform/flash/flash_player.h"
#include "irform/capture_render.h"
#include "irform/code_form.h"
#include "irform/compact_raw.h"
#include "irform/raw_example.h"
#include "irform/stored_signal.h"
#include "platform/winsys/fixed_files.h"
#include "tests/learning/learning_fixture.h"

#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <algorithm>

using winsys::BoxAnswer;

namespace learningtest {
namespace {

constexpr char kFailly[] = "RC code is learned failly!";
constexpr char kChooseAgain[] = "choose one button needs to learn again!";

class CaptureEnd : public LearningWindowTest {
protected:
    // Learning on, the key chosen, the capture delivered and handled.
    void learn(const QString& code, const std::string& capture) {
        if (!window_->LearnMode)
            switchLearningOn();
        urc_.queueCapture(capture);
        window_->KeyClick(key(code));
        ASSERT_TRUE(waitForCaptureEnd());
    }
    std::string memoryHex(int address, int bytes) const {
        std::string hex;
        for (const uint8_t byte : urc_.bytes(address, bytes))
            hex += device::byteText(byte);
        return hex;
    }
    std::string recordOf(const QString& code) const {
        return memoryHex(keyRecordAddress(code), 22);
    }
    int writeAddress(const testsupport::DeviceCall& call) const {
        return static_cast<int>(*device::parseHex(call.args[1] + call.args[2]));
    }
    void expectFailedStorageWrite(int failingAddress, std::size_t attemptedWrites) {
        urc_.failWritesAt(failingAddress);
        const std::string recordBefore = recordOf("05");
        const device::UrcTables before = *window_;
        learn("05", rawCapture(5));
        EXPECT_EQ(boxes_.texts(), std::vector<QString>{kFailly});
        EXPECT_EQ(writes().size(), attemptedWrites);
        EXPECT_EQ(recordOf("05"), recordBefore);
        EXPECT_EQ(window_->LearnedKeys, before.LearnedKeys);
        EXPECT_EQ(window_->StoredCodeIds, before.StoredCodeIds);
        EXPECT_EQ(window_->BlockMap, before.BlockMap);
        EXPECT_EQ(window_->AllocRecords, before.AllocRecords);
        expectAbandoned("05");
    }
    void expectAbandoned(const QString& code) {
        EXPECT_EQ(window_->runstate_lab->text(), kChooseAgain);
        EXPECT_TRUE(window_->LearningKeys.empty());
        EXPECT_TRUE(window_->LearnMode);
        EXPECT_FALSE(window_->donghuaflash2->isVisibleTo(window_.get()));
        EXPECT_EQ(window_->Imagehint->picture(), window_->skins.jpgjingtai);
        EXPECT_EQ(key(code)->picture(), slotPicture(keypanel::kPlainBank, code));
    }
};

TEST_F(CaptureEnd, NecCodeIsStoredInTheKeyRecordAlone) {
    learn("44", necCapture(0x04, 0x08));
    EXPECT_EQ(boxes_.texts(), std::vector<QString>{"RC code is received!"});
    const auto written = writes();
    ASSERT_EQ(written.size(), 1u);
    EXPECT_EQ(written[0].args[0], urc_.selector());
    EXPECT_EQ(writeAddress(written[0]), keyRecordAddress("44"));
    // A built-in form: flag 00, nothing in the code storage.
    EXPECT_EQ(recordOf("44").substr(0, 12), "C00000010000");
    EXPECT_EQ(irform::describeStoredCode(recordOf("44"), ""), "nec 0x04 0x08");
    EXPECT_EQ(window_->LearnedKeys[entryIndex("44")], "44|2");
    EXPECT_TRUE(window_->StoredCodeIds.empty());
    // What the user sees: the learned key, learning still on for the next.
    EXPECT_EQ(key("44")->picture(), slotPicture(keypanel::kLearnedBank, "44"));
    EXPECT_EQ(window_->runstate_lab->text(), "RC code has been stored in ButtonCBL/OK");
    EXPECT_EQ(window_->Imagehint->picture(), window_->skins.gifkolvar);
    EXPECT_TRUE(window_->Imagehint->isVisibleTo(window_.get()));
    EXPECT_FALSE(window_->donghuaflash2->isVisibleTo(window_.get()));
    EXPECT_TRUE(window_->LearnMode);
    EXPECT_TRUE(window_->LearningKeys.empty());
    EXPECT_TRUE(window_->delstudykey->isEnabled());
    EXPECT_EQ(window_->delstudykey->picture(), window_->skins.delete_);
    EXPECT_TRUE(window_->delallstudykey->isEnabled());
    EXPECT_EQ(window_->delallstudykey->picture(), window_->skins.clear);
    // Both trace lines: the timing text and the converted text.
    EXPECT_TRUE(window_->Memo2->toPlainText().contains("010000::"));
}

TEST_F(CaptureEnd, RawCodeWritesDataThenAllocationThenRecord) {
    learn("05", rawCapture(7));
    EXPECT_EQ(boxes_.texts(), std::vector<QString>{"RC code is received!"});
    const auto written = writes();
    ASSERT_EQ(written.size(), 3u);
    EXPECT_EQ(writeAddress(written[0]), layout_.storage);
    EXPECT_EQ(writeAddress(written[1]), layout_.allocArea);
    EXPECT_EQ(writeAddress(written[2]), keyRecordAddress("05"));
    const std::string record = recordOf("05");
    EXPECT_EQ(record.substr(0, 6), "C00080");
    const std::string id = record.substr(6, 6);
    ASSERT_EQ(window_->StoredCodeIds, std::vector<std::string>{id});
    // The allocation record names the blocks the data went to.
    const std::size_t blocks = written[0].args[3].size() / 16;
    EXPECT_EQ(window_->AllocRecords, id + "0080" + device::byteText(static_cast<int>(blocks)));
    EXPECT_EQ(window_->BlockMap.substr(0, blocks + 1), std::string(blocks, '1') + "0");
    // The URC sends back the signal that was pressed, every duration within
    // the compact raw form's clustering tolerance; all but the final silence,
    // which the URC captures as its end marker.
    const std::string data = memoryHex(layout_.storage, static_cast<int>(8 * blocks));
    const auto sent = irform::parseRawDescription(irform::describeStoredCode(record, data));
    ASSERT_TRUE(sent);
    const irform::Signal pressed = irform::rawExampleSignal(7);
    ASSERT_EQ(sent->durations.size(), pressed.durations.size());
    for (std::size_t i = 0; i + 1 < pressed.durations.size(); ++i) {
        const uint32_t us = pressed.durations[i];
        EXPECT_NEAR(
            sent->durations[i], us,
            std::max(us * irform::kCompactTolerancePercent / 100, irform::kCompactToleranceUs) +
                (i % 2 == 1 && us > 10980 ? 510 : 0))
            << i;
    }
}

// The window hands the conversion library the carrier the URC measured: a
// raw code replays at it (the shape alone would say 38 kHz). What the carrier
// does to each form: carrier_round_trip_test.cpp.
TEST_F(CaptureEnd, LearnedCodesKeepTheMeasuredCarrier) {
    irform::Signal raw56 = irform::rawExampleSignal(5);
    raw56.carrierHz = 56000;
    learn("05", irform::renderCapture(raw56));
    EXPECT_EQ(boxes_.texts(), std::vector<QString>{"RC code is received!"});
    const auto written = writes();
    ASSERT_EQ(written.size(), 3u); // data, allocation area and key record
    const auto sent = irform::storedSignal(recordOf("05"), written[0].args[3]);
    ASSERT_TRUE(sent);
    EXPECT_EQ(sent->carrierHz, 56000);
}

// A raw code's identifier is never one the URC already holds, even for the
// same code: a digest cannot tell the same code from another one that shares
// its identifier, so each key keeps its own copy.
TEST_F(CaptureEnd, SameRawCodeForTwoKeysIsStoredForEach) {
    learn("05", rawCapture(11));
    urc_.clearCalls();
    learn("06", rawCapture(11));
    const auto written = writes();
    ASSERT_EQ(written.size(), 3u);
    EXPECT_EQ(writeAddress(written[2]), keyRecordAddress("06"));
    const std::string first = recordOf("05").substr(6, 6);
    const std::string second = recordOf("06").substr(6, 6);
    EXPECT_NE(first, second);
    EXPECT_EQ(window_->StoredCodeIds, (std::vector<std::string>{first, second}));
    EXPECT_EQ(window_->AllocRecords.substr(12, 6), second);
    // Apart from the identifier, the two records are the same code.
    EXPECT_EQ(recordOf("06").substr(12), recordOf("05").substr(12));
}

TEST_F(CaptureEnd, CaptureWithoutEndMarkerKeepsItForTheTestButton) {
    learn("44", std::string("8D000700830003008300"));
    EXPECT_EQ(boxes_.texts(), std::vector<QString>{kFailly});
    expectAbandoned("44");
    EXPECT_TRUE(writes().empty());
    QFile file(*winsys::fixedFilePath("123.txt"));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readLine().trimmed(), "0000");
}

TEST_F(CaptureEnd, TheKeptCaptureReplacesALinkInsteadOfWritingThroughIt) {
    QTemporaryDir elsewhere;
    const QString usersFile = elsewhere.path() + "/notes.txt";
    QFile notes(usersFile);
    ASSERT_TRUE(notes.open(QIODevice::WriteOnly));
    notes.write("mine\n");
    notes.close();
    const QString kept = *winsys::fixedFilePath("123.txt");
    QFile::remove(kept);
    ASSERT_TRUE(QFile::link(usersFile, kept));
    learn("44", std::string("8D000700830003008300"));
    EXPECT_FALSE(QFileInfo(kept).isSymLink());
    ASSERT_TRUE(notes.open(QIODevice::ReadOnly));
    EXPECT_EQ(notes.readAll(), "mine\n");
    QFile file(kept);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readLine().trimmed(), "0000");
}

TEST_F(CaptureEnd, TestButtonReencodesTheKeptCapture) {
    const QString path = *winsys::fixedFilePath("123.txt");
    const auto contentAfterButton = [&](const QByteArray& content) {
        EXPECT_TRUE(winsys::writeFileAtomically(path, content));
        window_->Button1Click();
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::ReadOnly));
        return file.readAll();
    };
    // A capture that encodes leaves the file alone; one that does not is kept
    // again, cut as the encoder saw it.
    const QByteArray good = QByteArray::fromStdString(necCapture(0x04, 0x08)) + "\n";
    EXPECT_EQ(contentAfterButton(good), good);
    EXPECT_EQ(contentAfterButton("8D0007008300\n"), "0000\n");
    EXPECT_TRUE(boxes_.boxes().empty());
    EXPECT_TRUE(writes().empty());
}

TEST_F(CaptureEnd, NoRoomForTheCodeWritesNothing) {
    struct Case {
        const char* name;
        std::function<void(Tmaintarnvik&)> fill;
    };
    const Case cases[] = {
        {"no free blocks", [](Tmaintarnvik& w) { w.BlockMap.assign(w.BlockMap.size(), '1'); }},
        {"no free allocation record",
         [](Tmaintarnvik& w) {
             w.AllocRecordCapacity = static_cast<int>(w.AllocRecords.size() / 12);
         }},
    };
    const device::UrcTables original = *window_;
    for (const Case& c : cases) {
        static_cast<device::UrcTables&>(*window_) = original;
        c.fill(*window_);
        const device::UrcTables before = *window_;
        learn("05", rawCapture(3));
        EXPECT_EQ(boxes_.texts(), std::vector<QString>{kFailly}) << c.name;
        EXPECT_TRUE(writes().empty()) << c.name;
        EXPECT_EQ(window_->LearnedKeys, before.LearnedKeys);
        EXPECT_EQ(window_->BlockMap, before.BlockMap);
        EXPECT_EQ(window_->AllocRecords, before.AllocRecords);
        EXPECT_EQ(window_->StoredCodeIds, before.StoredCodeIds);
        expectAbandoned("05");
        boxes_.clear();
        window_->beginstudyibtnClick();
    }
}

TEST_F(CaptureEnd, FailedDataWriteLeavesTheKeyRecordUntouched) {
    expectFailedStorageWrite(layout_.storage, 1);
}

TEST_F(CaptureEnd, FailedAllocationWriteLeavesTheKeyRecordUntouched) {
    expectFailedStorageWrite(layout_.allocArea, 2);
}

TEST_F(CaptureEnd, FailedKeyRecordWriteKeepsTheKeysFormerState) {
    setEntryState("44", '1');
    urc_.failWritesAt(keyRecordAddress("44"));
    learn("44", necCapture(0x04, 0x08));
    EXPECT_EQ(boxes_.texts(), std::vector<QString>{kFailly});
    EXPECT_EQ(window_->LearnedKeys[entryIndex("44")], "44|1");
    EXPECT_EQ(window_->runstate_lab->text(), kChooseAgain);
    // Restored, then shown as the state-1 key it still is.
    EXPECT_EQ(key("44")->picture(), slotPicture(keypanel::kPresetBank, "44"));
}

TEST_F(CaptureEnd, FailedRecordWriteAfterStoredDataKeepsTheDataAccounted) {
    urc_.failWritesAt(keyRecordAddress("05"));
    learn("05", rawCapture(9));
    EXPECT_EQ(boxes_.texts(), std::vector<QString>{kFailly});
    ASSERT_EQ(writes().size(), 3u);
    EXPECT_EQ(window_->LearnedKeys[entryIndex("05")], "05|0");
    // The URC holds the data and its allocation: the window's copies agree,
    // so a later key with the same code keeps those blocks and takes others
    // under an identifier of its own.
    ASSERT_EQ(window_->StoredCodeIds.size(), 1u);
    const std::string held = window_->StoredCodeIds[0];
    const auto blocks = std::count(window_->BlockMap.begin(), window_->BlockMap.end(), '1');
    urc_.clearCalls();
    boxes_.clear();
    learn("06", rawCapture(9));
    EXPECT_EQ(boxes_.texts(), std::vector<QString>{"RC code is received!"});
    EXPECT_EQ(writes().size(), 3u);
    EXPECT_NE(recordOf("06").substr(6, 6), held);
    EXPECT_EQ(std::count(window_->BlockMap.begin(), window_->BlockMap.end(), '1'), 2 * blocks);
}

TEST_F(CaptureEnd, RelearningALearnedKeyReplacesItsRecord) {
    learn("44", necCapture(0x04, 0x08));
    boxes_.clear();
    boxes_.answerNext(BoxAnswer::Yes);
    learn("44", necCapture(0x10, 0x20));
    EXPECT_EQ(boxes_.texts(),
              (std::vector<QString>{"CBL/OKbutton has learnt, do you need to learn again?",
                                    "RC code is received!"}));
    EXPECT_EQ(irform::describeStoredCode(recordOf("44"), ""), "nec 0x10 0x20");
    EXPECT_EQ(window_->LearnedKeys[entryIndex("44")], "44|2");
}

TEST_F(CaptureEnd, CodeComingAfterLearningStoppedIsDropped) {
    startCapturing("44");
    window_->beginstudyibtnClick();
    ASSERT_TRUE(waitForCaptureEnd());
    // A code that came in the worker's last poll finds no key to go to.
    window_->CapturedCode = necCapture(0x04, 0x08);
    window_->CaptureFinished();
    EXPECT_TRUE(writes().empty());
    EXPECT_TRUE(boxes_.boxes().empty());
    EXPECT_EQ(window_->LearnedKeys[entryIndex("44")], "44|0");
    EXPECT_EQ(window_->runstate_lab->text(), "");
}

} // namespace
} // namespace learningtest
