// The window's lifecycle: its first showing, the close query and the close,
// the end of the link monitor, and the update and exit buttons.
#include "app/maintarnvik.h"

#include "platform/flash/flash_player.h"
#include "platform/winsys/display.h"
#include "platform/winsys/message_boxes.h"

#include <QCloseEvent>
#include <QFile>
#include <QMetaObject>

namespace {

const QString kLearningCloseRefused =
    QStringLiteral("It is learning now! Please stop learning first if you want to quit "
                   "operational system！");

} // namespace

void Tmaintarnvik::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (shown_)
        return;
    shown_ = true;
    try {
        FormShow();
    } catch (const MissingResource& error) {
        // What the window does not handle itself is reported, and the rest of
        // the show handling does not run.
        winsys::messageBoxes().show(winsys::BoxKind::Error, QString(), error.text(),
                                    winsys::BoxButtons::Ok);
    }
}

void Tmaintarnvik::closeEvent(QCloseEvent* event) {
    if (!FormCloseQuery()) {
        event->ignore();
        return;
    }
    FormClose();
    event->accept();
}

void Tmaintarnvik::FormShow() {
    if (StartFailed) {
        // Queued, so that the close happens inside the running message loop.
        QMetaObject::invokeMethod(this, &QWidget::close, Qt::QueuedConnection);
        return;
    }
    if (!LinkThread) {
        LinkThread = new device::linkstate(urc, DeviceIdentity, *this, this);
        LinkThread->start();
    }
    if (!LoadSkins()) {
        winsys::messageBoxes().information(QStringLiteral("load picture failly"));
        StartFailed = true;
        QMetaObject::invokeMethod(this, &QWidget::close, Qt::QueuedConnection);
        return;
    }
    checkDisplay();
    RefreshKeyPictures();
    Imagehint->setPicture(skins.gifkolvar);
    delstudykey->setPicture(skins.delete_);
    delallstudykey->setPicture(skins.clear);
    showIdlePanels();
    lab_softver->setText(QStringLiteral("V " QZT617_VERSION));
}

void Tmaintarnvik::showIdlePanels() {
    if (HasLearnedKeys()) {
        delstudykey->setEnabled(true);
        delallstudykey->setEnabled(true);
        Image8->hide();
        Image4->show();
    } else {
        delstudykey->setPicture(skins.deletehui);
        delstudykey->setEnabled(false);
        delallstudykey->setPicture(skins.clearhui);
        delallstudykey->setEnabled(false);
        DeleteMode = false;
        Image8->show();
        Image4->hide();
    }
    Image5->hide();
    Image7->hide();
}

// On a screen narrower than 1024 pixels the user is told, and the display is
// switched to 1024 x 768 for this session only (nothing is stored in the
// user's display settings, and the refresh rate is left alone).
void Tmaintarnvik::checkDisplay() {
    winsys::Display& display = winsys::display();
    const QSize screen = display.screenSize();
    if (screen.width() >= 1024)
        return;
    winsys::messageBoxes().information(
        QStringLiteral("Current differentiate rate of your display is%1*%2\r\nTo run this "
                       "software, please change it to  1024*768")
            .arg(screen.width())
            .arg(screen.height()));
    if (display.screenSize().width() < 1024)
        display.switchSessionMode(1024, 768);
}

bool Tmaintarnvik::FormCloseQuery() {
    // The link is tested at every close request, learning or not.
    const bool connected = urc.link_state();
    if (connected && LearnMode) {
        winsys::messageBoxes().information(kLearningCloseRefused);
        return false;
    }
    Closing = true;
    // Asked to stop, not waited for: the window's destructor joins it.
    if (LinkThread)
        LinkThread->requestStop();
    return true;
}

void Tmaintarnvik::FormClose() {
    donghuaflash2->StopPlay();
    if (StartFailed)
        return;
    stopCaptureWorkerForClose();
    KeyPictures.clear();
    skins = learning::Skins{};
    LearnedKeys.clear();
    StoredCodeIds.clear();
    BuiltinCodeIds.clear();
    LearningKeys.clear();
    const QString animation = animationFile();
    if (!animation.isEmpty() && QFile::exists(animation))
        QFile::remove(animation);
}

void Tmaintarnvik::LinkMonitorEnded() {
    if (LinkThread)
        LinkThread->deleteLater();
    LinkThread = nullptr;
    if (!Closing)
        close();
}

void Tmaintarnvik::showLinkState(const QString& text) {
    lab_usbstate->setText(text);
}

void Tmaintarnvik::lockPanel() {
    ykqbox->hide();
    for (QWidget* command :
         {static_cast<QWidget*>(beginstudyibtn), static_cast<QWidget*>(delstudykey),
          static_cast<QWidget*>(delallstudykey)})
        command->setEnabled(false);
}

void Tmaintarnvik::unlockPanel() {
    ykqbox->show();
    for (QWidget* command :
         {static_cast<QWidget*>(beginstudyibtn), static_cast<QWidget*>(delstudykey),
          static_cast<QWidget*>(delallstudykey)})
        command->setEnabled(true);
}

void Tmaintarnvik::updateibtnClick() {
    if (LearnMode)
        winsys::messageBoxes().information(
            QStringLiteral("It is learning now! Please quit learning mode before updating！"));
    else if (DeleteMode)
        winsys::messageBoxes().information(
            QStringLiteral("It is deleting now! Please quit deleting mode before updating"));
    else
        winsys::messageBoxes().information(QStringLiteral("Your software do not need to update"));
}

void Tmaintarnvik::IBtn79Click() {
    close();
}
