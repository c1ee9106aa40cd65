#pragma once
// The part of the main window that learning and deleting own: the state of
// learning mode and delete mode, the key-click operation, the capture
// worker's end handler, and the deletion of learned keys. The main window
// derives from it, creates the elements named here in its layout, and routes
// its buttons' clicks to these handlers.
#include "device/core/urc_tables.h"
#include "device/urc_library.h"
#include "keypanel/ibtn1.h"
#include "keypanel/image_control.h"
#include "keypanel/key_pictures.h"
#include "learning/collect_code.h"
#include "learning/core/capture_text.h"
#include "learning/skins.h"

#include <QLabel>
#include <QMetaObject>
#include <QPlainTextEdit>
#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

class FlashPlayer;

class LearningWindow : public device::UrcTables {
public:
    // --- state of learning (all on the window thread, but for the two shared
    // with the capture worker) ---
    bool LearnMode = false;
    bool DeleteMode = false;
    // The key whose learning is under way; never more than one.
    std::vector<IBtn*> LearningKeys;
    // The worker started and whose end has not been handled yet.
    learning::TCollectCode* CaptureThread = nullptr;
    // Written here, read by the worker before each poll.
    std::atomic<int32_t> CaptureControl{learning::kCaptureMayRun};
    // Written by the worker, read by CaptureFinished after the worker ended.
    std::string CapturedCode;

    // Pictures: slots 1..672 of the four key banks, and the skins.
    KeyPictureTable KeyPictures;
    learning::Skins skins;

    // --- elements of the window that learning and deleting change; the
    // window's layout creates them ---
    IBtn* beginstudyibtn = nullptr;
    IBtn* delstudykey = nullptr;
    IBtn* delallstudykey = nullptr;
    QLabel* runstate_lab = nullptr;
    ImageControl* Imagehint = nullptr;
    FlashPlayer* donghuaflash2 = nullptr;
    ImageControl* Image4 = nullptr; // idle, learned keys exist
    ImageControl* Image5 = nullptr; // learning mode on
    ImageControl* Image7 = nullptr; // delete mode on
    ImageControl* Image8 = nullptr; // idle, no learned key
    QPlainTextEdit* Memo2 = nullptr;

    // --- handlers and operations ---
    void beginstudyibtnClick();
    void KeyClick(IBtn* key);
    void CaptureFinished();
    bool HasLearnedKeys() const;
    void delstudykeyClick();
    void delallstudykeyClick();
    bool MarkKeyEmpty(const std::string& code);
    void RefreshKeyPictures();
    // The hidden test button: re-encodes the first line of the failed-encoding
    // file and discards the result.
    void Button1Click();

    // For closing: asks a running capture worker to stop, waits for it, and
    // makes sure its end handler never runs on a window that is going away.
    void stopCaptureWorkerForClose();

    // The clock the next capture workers read (tests step it by hand).
    void setCaptureClock(learning::SecondsClock clock) { captureClock = std::move(clock); }

protected:
    explicit LearningWindow(device::UrcLibrary& device);
    virtual ~LearningWindow();

    // Every IBtn the window owns, in creation order (command buttons first,
    // then the 70 keys); RefreshKeyPictures walks them.
    virtual std::vector<IBtn*> ownedButtons() const = 0;
    // The window as a QObject: the context in which the worker's end handler
    // runs (on the window thread).
    virtual QObject* windowObject() = 0;

    device::UrcLibrary& urc;
    // The clock capture workers read; tests replace it.
    learning::SecondsClock captureClock = learning::localClockSeconds;

private:
    // Learning mode and the capture worker.
    void startCaptureWorker();
    void captureWorkerEnded(uint64_t workerNumber);
    void chooseKeyForLearning(IBtn* key);
    void showIdleHintPanels();
    void showLearningHintPanels();
    // The end of a capture.
    void abandonCapture(IBtn* key);
    void storeCapturedCode(IBtn* key);
    // Empty and failed when the capture cannot be encoded (it is then kept).
    learning::EncodeResult timingTextOf(const std::string& capture);
    bool writeToUrc(int address, const std::string& hex);
    void showCodeStored(IBtn* key);
    void updateDeleteButtons();
    // Deleting.
    void deleteSingleKey(IBtn* key);
    void showNothingToDelete();
    void giveKeyPlainPicture(IBtn* key);

    // The connection that runs the worker's end handler, and the number of the
    // worker it belongs to: a worker stopped for closing is cut off from the
    // window, and a stale end notice is recognised by its number.
    QMetaObject::Connection captureEnded_;
    uint64_t captureWorkerNumber_ = 0;
};
