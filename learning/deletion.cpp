// Deleting learned keys: one key at a time in delete mode, or all at once.
// Deleting a key writes 0x00 into its key record's flags byte; nothing else
// in the URC changes. A key is shown as empty only once the URC has taken the
// write, so the window never disagrees with the URC about a key.
#include "keypanel/core/key_table.h"
#include "learning/learned_key_list.h"
#include "learning/learning_messages.h"
#include "learning/learning_window.h"
#include "platform/winsys/message_boxes.h"

namespace msg = learning::messages;

namespace {

// The flags byte of a key record that holds no code.
const std::string kEmptyRecordFlags = "00";
constexpr int kKeyRecordBytes = 22;

winsys::BoxAnswer ask(winsys::BoxKind kind, const char* text) {
    return winsys::messageBoxes().show(kind, QString(), QString::fromUtf8(text),
                                       winsys::BoxButtons::YesNo);
}

void tell(const char* text) {
    winsys::messageBoxes().information(QString::fromUtf8(text));
}

void setVisible(QWidget* widget, bool visible) {
    if (widget != nullptr)
        widget->setVisible(visible);
}

} // namespace

bool LearningWindow::MarkKeyEmpty(const std::string& code) {
    if (const auto index = learning::findEntry(LearnedKeys, code))
        LearnedKeys[*index] = learning::entryWithState(LearnedKeys[*index], learning::kStateEmpty);
    return true;
}

void LearningWindow::giveKeyPlainPicture(IBtn* key) {
    key->setIsEnable(true);
    key->setPicture(
        KeyPictures.at(keypanel::kPlainBank + keypanel::keyCodeValue(key->Code().toStdString())));
}

void LearningWindow::delstudykeyClick() {
    if (LearnMode) {
        tell(msg::kLearningNowForDelete);
        return;
    }
    DeleteMode = !DeleteMode;
    if (DeleteMode) {
        // One hint panel at a time: the delete panel replaces whichever showed.
        setVisible(Image7, true);
        setVisible(Image4, false);
        setVisible(Image5, false);
        setVisible(Image8, false);
        runstate_lab->setText(QString::fromUtf8(msg::kChooseKeyToDelete));
        delstudykey->setPicture(skins.stopdelete);
        return;
    }
    runstate_lab->setText(QString());
    delstudykey->setPicture(skins.delete_);
    showIdleHintPanels();
}

void LearningWindow::showNothingToDelete() {
    delstudykey->setPicture(skins.deletehui);
    delstudykey->setEnabled(false);
    delallstudykey->setPicture(skins.clearhui);
    delallstudykey->setEnabled(false);
    DeleteMode = false;
    showIdleHintPanels();
}

void LearningWindow::deleteSingleKey(IBtn* key) {
    if (!LearningKeys.empty())
        LearningKeys.erase(LearningKeys.begin());
    const std::string code = key->Code().toStdString();
    const auto entry = learning::findEntry(LearnedKeys, code);
    if (!entry || learning::entryState(LearnedKeys[*entry]) != learning::kStateLearned) {
        tell(msg::kNeverLearned);
        return;
    }
    runstate_lab->setText(QString());
    if (ask(winsys::BoxKind::Confirmation, msg::kSureToDelete) != winsys::BoxAnswer::Yes)
        return;
    const auto index = learning::findEntryIgnoringCase(LearnedKeys, code);
    const int address = KeyTableAddress + kKeyRecordBytes * static_cast<int>(*index);
    if (!writeToUrc(address, kEmptyRecordFlags)) {
        // The URC still holds the code: the key stays learned, and delete
        // mode stays on so the user can try again.
        tell(msg::kDeletingFailure);
        return;
    }
    giveKeyPlainPicture(key);
    tell(msg::kDeletingFinished);
    MarkKeyEmpty(code);
    if (!HasLearnedKeys())
        showNothingToDelete();
}

void LearningWindow::delallstudykeyClick() {
    if (LearnMode) {
        tell(msg::kLearningNowForClear);
        return;
    }
    if (DeleteMode) {
        tell(msg::kDeletingModeOn);
        return;
    }
    const std::vector<std::size_t> learned = learning::learnedEntries(LearnedKeys);
    if (learned.empty()) {
        tell(msg::kNothingToDelete);
        return;
    }
    if (ask(winsys::BoxKind::Information, msg::kSureToClearAll) != winsys::BoxAnswer::Yes)
        return;
    // Every learned record is tried; a failed write does not stop the others.
    std::vector<std::size_t> cleared;
    for (const std::size_t i : learned)
        if (writeToUrc(KeyTableAddress + kKeyRecordBytes * static_cast<int>(i), kEmptyRecordFlags))
            cleared.push_back(i);
    const bool allCleared = cleared.size() == learned.size();
    for (IBtn* button : ownedButtons()) {
        if (button == nullptr)
            continue;
        const std::string code = button->Code().toStdString();
        for (const std::size_t i : cleared)
            if (LearnedKeys[i].substr(0, 2) == code)
                giveKeyPlainPicture(button);
    }
    const char* outcome = allCleared ? msg::kClearingFinished : msg::kDeletingFailure;
    runstate_lab->setText(QString::fromUtf8(outcome));
    tell(outcome);
    runstate_lab->repaint();
    for (const std::size_t i : cleared)
        LearnedKeys[i] = learning::entryWithState(LearnedKeys[i], learning::kStateEmpty);
    updateDeleteButtons();
    showIdleHintPanels();
}
