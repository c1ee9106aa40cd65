#pragma once
// The main window: the front of the URC with its keys, the status line, hint
// panels and command buttons. Its state is the program's picture of the URC
// (the tables read at start-up, in device::UrcTables) and the state of
// learning and deleting (LearningWindow, which owns those operations).
#include "device/link_monitor_host.h"
#include "device/linkstathread.h"
#include "device/urc_library.h"
#include "keypanel/ibtn1.h"
#include "keypanel/image_control.h"
#include "learning/learning_window.h"

#include <QLabel>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QScrollArea>
#include <QWidget>
#include <memory>
#include <stdexcept>

class KeyPanel;
namespace reslib {
class ResourceLibrary;
}

// A skin picture that is missing from its library: reported like any error the
// window does not handle itself, and the rest of the show handling is skipped.
class MissingResource : public std::runtime_error {
public:
    explicit MissingResource(const QString& text)
        : std::runtime_error(text.toStdString()), text_(text) {}
    const QString& text() const { return text_; }

private:
    QString text_;
};

class Tmaintarnvik : public QWidget, public LearningWindow, public device::LinkMonitorHost {
    Q_OBJECT
public:
    // Creating the window lays it out and runs FormCreate: the handshake and
    // the start-up reading.
    explicit Tmaintarnvik(device::UrcLibrary& device, QWidget* parent = nullptr);
    ~Tmaintarnvik() override;

    // Creation handler: waits for the URC, checks it and reads its tables.
    void FormCreate();
    // Show handler: starts the link monitor, loads the pictures, checks the
    // screen, shows the keys' states and the first skins.
    void FormShow();
    // Close-query handler: false refuses the close.
    bool FormCloseQuery();
    // Close handler: stops the animation and releases what the window owns.
    void FormClose();
    // The link monitor has ended (on the window thread).
    void LinkMonitorEnded();
    void updateibtnClick();
    void IBtn79Click();

    // Loads the key pictures, skins and the animation file; false when a
    // library or key picture is missing; throws MissingResource for a skin.
    bool LoadSkins();
    // The animation file's path (empty when the per-user folder is unusable).
    static QString animationFile();

    // Where LoadSkins looks for the resource libraries: empty for the
    // program's folder and then the system's library search; tests give a
    // folder of their own, which is then the only place looked at.
    QString resourceFolder;

    // Set on any start-up failure; the window closes when first shown.
    bool StartFailed = false;
    // Set once closing has been allowed.
    bool Closing = false;
    // The running link monitor, or none. The window owns it.
    QPointer<device::linkstate> LinkThread;

    // Layout elements not owned by learning (see LearningWindow for those).
    ImageControl* Image1 = nullptr;
    IBtn* helpibtn = nullptr;
    IBtn* updateibtn = nullptr;
    IBtn* IBtn79 = nullptr;
    QLabel* lab_usbstate = nullptr;
    QLabel* lab_ykqtype = nullptr;
    QLabel* lab_gjbb = nullptr;
    QLabel* lab_softver = nullptr;
    QScrollArea* ykqbox = nullptr;
    QPlainTextEdit* Memo1 = nullptr;
    QPushButton* Button1 = nullptr;

    // The 70 key buttons in table order.
    const std::vector<IBtn*>& keyButtons() const;

    // Hover handlers: the hand cursor, for good.
    void beginstudyibtnMouseMove();
    void helpibtnMouseMove();
    void updateibtnMouseMove();
    void IBtn79MouseMove();
    void delallstudykeyMouseMove();
    void delstudykey1MouseMove();

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    std::vector<IBtn*> ownedButtons() const override;
    QObject* windowObject() override { return this; }

    // What the link monitor changes, always on the window thread.
    void showLinkState(const QString& text) override;
    void lockPanel() override;
    void unlockPanel() override;
    void linkMonitorEnded() override { LinkMonitorEnded(); }

private:
    void createLayout();
    void placeAtTopOfWorkArea();
    void createPictures();
    void createCommandButtons();
    void createLabels();
    void createChildWindows();
    void connectHandlers();
    bool waitForUrc();
    void checkDisplay();
    void showIdlePanels();
    std::unique_ptr<reslib::ResourceLibrary> openResourceLibrary(const char* name) const;
    void writeAnimationFile(const reslib::ResourceLibrary& skinLibrary);

    bool shown_ = false;

    std::unique_ptr<KeyPanel> keyPanel_;
    std::vector<IBtn*> commandButtons_;
};
