// Learning mode, the key-click operation and the choice of a key to learn.
#include "keypanel/core/key_table.h"
#include "keypanel/refresh_key_pictures.h"
#include "learning/learned_key_list.h"
#include "learning/learning_animation.h"
#include "learning/learning_messages.h"
#include "learning/learning_window.h"
#include "platform/winsys/message_boxes.h"

namespace msg = learning::messages;

namespace {

int pictureSlot(int bank, const IBtn* key) {
    return bank + keypanel::keyCodeValue(key->Code().toStdString());
}

void setVisible(QWidget* widget, bool visible) {
    if (widget != nullptr)
        widget->setVisible(visible);
}

} // namespace

bool LearningWindow::HasLearnedKeys() const {
    return learning::anyLearnedKey(LearnedKeys);
}

void LearningWindow::RefreshKeyPictures() {
    ::RefreshKeyPictures(ownedButtons(), LearnedKeys, KeyPictures);
}

void LearningWindow::showIdleHintPanels() {
    const bool learned = HasLearnedKeys();
    setVisible(Image4, learned);
    setVisible(Image8, !learned);
    setVisible(Image5, false);
    setVisible(Image7, false);
}

void LearningWindow::showLearningHintPanels() {
    setVisible(Image5, true);
    setVisible(Image4, false);
    setVisible(Image7, false);
    setVisible(Image8, false);
}

void LearningWindow::beginstudyibtnClick() {
    if (DeleteMode) {
        winsys::messageBoxes().information(QString::fromUtf8(msg::kDeletingNowStopFirst));
        return;
    }
    LearnMode = !LearnMode;
    if (LearnMode) {
        beginstudyibtn->setIsEnable(false);
        Imagehint->setPicture(skins.jpgjingtai);
        runstate_lab->setText(QString::fromUtf8(msg::kChooseKeyLeft));
        showLearningHintPanels();
        return;
    }
    // Switching off neither waits for a running worker nor forgets it: the
    // worker stops before its next poll and its end handler clears it.
    learning::hideLearningAnimation(donghuaflash2);
    CaptureControl.store(learning::kCaptureStopRequested);
    Imagehint->show();
    runstate_lab->setText(QString());
    Imagehint->setPicture(skins.gifkolvar);
    showIdleHintPanels();
    if (!LearningKeys.empty()) {
        IBtn* key = LearningKeys.front();
        key->setPicture(KeyPictures.at(pictureSlot(keypanel::kPlainBank, key)));
        if (learning::isLearnedKey(LearnedKeys, key->Code().toStdString()))
            key->setIsEnable(false);
        LearningKeys.erase(LearningKeys.begin());
    }
    // A key chosen for re-learning shows its learned picture again.
    RefreshKeyPictures();
    beginstudyibtn->setIsEnable(true);
}

void LearningWindow::KeyClick(IBtn* key) {
    if (key == nullptr)
        return;
    if (DeleteMode) {
        deleteSingleKey(key);
        return;
    }
    if (!LearningKeys.empty()) {
        winsys::messageBoxes().information(LearningKeys.front()->Path() +
                                           QString::fromUtf8(msg::kButtonWord) +
                                           QString::fromUtf8(msg::kIsLearningNowSuffix));
        return;
    }
    if (!LearnMode) {
        winsys::messageBoxes().information(QString::fromUtf8(msg::kStartToLearnFirst));
        return;
    }
    if (learning::isLearnedKey(LearnedKeys, key->Code().toStdString())) {
        const auto answer = winsys::messageBoxes().show(
            winsys::BoxKind::Information, QString(),
            key->Path() + QString::fromUtf8(msg::kLearnAgainSuffix), winsys::BoxButtons::YesNo);
        if (answer != winsys::BoxAnswer::Yes)
            return;
        key->setIsEnable(true);
        key->repaintNow();
    }
    chooseKeyForLearning(key);
}

void LearningWindow::chooseKeyForLearning(IBtn* key) {
    key->setPicture(KeyPictures.at(pictureSlot(keypanel::kChosenBank, key)));
    runstate_lab->setText(QString::fromUtf8(msg::kPressOriginalKey));
    Imagehint->hide();
    learning::showLearningAnimation(donghuaflash2);
    LearningKeys.push_back(key);
    // A box above may have let the end of an earlier worker run, so the worker
    // reference is looked at only now. A worker told to stop that has not yet
    // ended takes this key over: its end handler deals with it.
    if (CaptureThread == nullptr)
        startCaptureWorker();
}
