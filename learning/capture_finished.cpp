// The end of a capture: the captured text is cut, encoded, converted and
// stored in the URC, or the capture is abandoned and the key restored.
#include "device/core/hex_text.h"
#include "keypanel/core/key_table.h"
#include "learning/code_converter.h"
#include "learning/core/capture_text.h"
#include "learning/core/code_storage.h"
#include "learning/learned_key_list.h"
#include "learning/learning_animation.h"
#include "learning/learning_messages.h"
#include "learning/learning_window.h"
#include "platform/winsys/fixed_files.h"
#include "platform/winsys/message_boxes.h"

#include <QFile>
#include <algorithm>

namespace msg = learning::messages;

namespace {

const QString kFailedEncodingFile = QStringLiteral("123.txt");
constexpr qint64 kMaxCaptureLine = learning::kCaptureTextLength + 2;

int pictureSlot(int bank, const IBtn* key) {
    return bank + keypanel::keyCodeValue(key->Code().toStdString());
}

void appendTrace(QPlainTextEdit* memo, const std::string& text) {
    if (memo != nullptr)
        memo->appendPlainText(QString::fromStdString(text));
}

void forgetLearningKey(std::vector<IBtn*>& learningKeys, IBtn* key) {
    const auto found = std::find(learningKeys.begin(), learningKeys.end(), key);
    if (found != learningKeys.end())
        learningKeys.erase(found);
}

void showFailedLearning() {
    winsys::messageBoxes().information(QString::fromUtf8(msg::kLearnedFailly));
}

} // namespace

void LearningWindow::CaptureFinished() {
    CaptureThread = nullptr;
    // Learning was switched off meanwhile: whatever came in is dropped.
    if (LearningKeys.empty())
        return;
    IBtn* key = LearningKeys.front();
    if (CapturedCode.empty()) {
        abandonCapture(key);
        return;
    }
    storeCapturedCode(key);
}

void LearningWindow::abandonCapture(IBtn* key) {
    learning::hideLearningAnimation(donghuaflash2);
    Imagehint->show();
    Imagehint->setPicture(skins.jpgjingtai);
    runstate_lab->setText(QString::fromUtf8(msg::kChooseAgain));
    runstate_lab->repaint();
    key->setPicture(KeyPictures.at(pictureSlot(keypanel::kPlainBank, key)));
    forgetLearningKey(LearningKeys, key);
    RefreshKeyPictures();
}

learning::EncodeResult LearningWindow::timingTextOf(const std::string& cut) {
    learning::EncodeResult encoded = learning::EncodeTimings(cut);
    if (!encoded.failed)
        return encoded;
    // The capture that could not be encoded is kept for the test button.
    if (const auto path = winsys::fixedFilePath(kFailedEncodingFile))
        winsys::writeFileAtomically(*path, QByteArray::fromStdString(cut + "\n"));
    return {};
}

bool LearningWindow::writeToUrc(int address, const std::string& hex) {
    const device::AddressHalves halves = device::splitAddress(address);
    return urc.writedatav20(WriteSelector.c_str(), halves.high.c_str(), halves.low.c_str(),
                            hex.c_str());
}

void LearningWindow::storeCapturedCode(IBtn* key) {
    runstate_lab->setText(key->Path() + QString::fromUtf8(msg::kKeyIsLearningSuffix));
    runstate_lab->repaint();
    CapturedCode = learning::CutAtEndMarker(CapturedCode);
    const learning::EncodeResult timing = timingTextOf(CapturedCode);
    appendTrace(Memo2, timing.text);
    // The carrier the URC measured goes beside the body, which lacks it.
    const std::string converted =
        learning::ConvertCodeAtCarrier(learning::converterInput(timing), timing.carrierKhz);
    appendTrace(Memo2, converted);

    const auto index = learning::findEntryIgnoringCase(LearnedKeys, key->Code().toStdString());
    // Everything is decided before the first write: a code that cannot be
    // stored leaves the URC untouched.
    auto planned = index && !converted.empty()
                       ? learning::planLearnedCode(*this, *index, converted)
                       : std::variant<learning::StoragePlan, learning::PlanFailure>(
                             learning::PlanFailure::BadConvertedText);
    const auto* plan = std::get_if<learning::StoragePlan>(&planned);
    if (plan == nullptr) {
        showFailedLearning();
        abandonCapture(key);
        return;
    }
    // The code data and the allocation area come first, the key record that
    // refers to them last, so the URC never holds a record pointing at data
    // it lacks. A failed write stops there.
    const std::size_t recordWrite = plan->writes.size() - 1;
    for (std::size_t w = 0; w < recordWrite; ++w) {
        if (!writeToUrc(plan->writes[w].address, plan->writes[w].hex)) {
            showFailedLearning();
            abandonCapture(key);
            return;
        }
    }
    if (recordWrite > 0) {
        // The URC now holds the data and its allocation: the window's copies
        // follow, whatever becomes of the key record.
        BlockMap = plan->after.BlockMap;
        AllocRecords = plan->after.AllocRecords;
        AllocRecordSlots = plan->after.AllocRecordSlots;
        StoredCodeIds = plan->after.StoredCodeIds;
    }
    if (!writeToUrc(plan->writes[recordWrite].address, plan->writes[recordWrite].hex)) {
        showFailedLearning();
        abandonCapture(key);
        return;
    }
    LearnedKeys[*index] = plan->after.LearnedKeys[*index];
    showCodeStored(key);
}

void LearningWindow::showCodeStored(IBtn* key) {
    key->setPicture(KeyPictures.at(pictureSlot(keypanel::kLearnedBank, key)));
    winsys::messageBoxes().information(QString::fromUtf8(msg::kCodeReceived));
    learning::hideLearningAnimation(donghuaflash2);
    Imagehint->show();
    Imagehint->setPicture(skins.gifkolvar);
    runstate_lab->setText(QString::fromUtf8(msg::kStoredInButton) + key->Path());
    runstate_lab->repaint();
    forgetLearningKey(LearningKeys, key);
    updateDeleteButtons();
}

void LearningWindow::updateDeleteButtons() {
    const bool learned = HasLearnedKeys();
    delstudykey->setPicture(learned ? skins.delete_ : skins.deletehui);
    delstudykey->setEnabled(learned);
    delallstudykey->setPicture(learned ? skins.clear : skins.clearhui);
    delallstudykey->setEnabled(learned);
    if (!learned)
        DeleteMode = false;
}

void LearningWindow::Button1Click() {
    const auto path = winsys::fixedFilePath(kFailedEncodingFile);
    if (!path)
        return;
    QFile file(*path);
    if (!file.open(QIODevice::ReadOnly))
        return;
    // A capture is 10240 characters at most; a longer line is cut there.
    const QByteArray line = file.readLine(kMaxCaptureLine).trimmed();
    file.close();
    // The result is only looked at in a debugger; a failure rewrites the file.
    timingTextOf(learning::CutAtEndMarker(line.toStdString()));
}
