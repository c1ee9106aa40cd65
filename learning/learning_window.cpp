#include "learning/learning_window.h"

LearningWindow::LearningWindow(device::UrcLibrary& device) : urc(device) {}

// The worker refers to CaptureControl and CapturedCode, members of this
// object: it must have ended before they go.
LearningWindow::~LearningWindow() {
    stopCaptureWorkerForClose();
}

void LearningWindow::startCaptureWorker() {
    CaptureControl.store(learning::kCaptureMayRun);
    auto* worker = new learning::TCollectCode(urc, CaptureControl, CapturedCode, captureClock);
    const uint64_t number = ++captureWorkerNumber_;
    // Fully set up before it runs: the end handler is connected and the
    // reference kept before start(). The handler is queued to the window, so
    // it runs on the window thread once run() has returned.
    captureEnded_ = QObject::connect(
        worker, &QThread::finished, windowObject(), [this, number] { captureWorkerEnded(number); },
        Qt::QueuedConnection);
    CaptureThread = worker;
    worker->start();
}

void LearningWindow::captureWorkerEnded(uint64_t workerNumber) {
    // A notice posted before the worker was stopped for closing is stale.
    if (CaptureThread == nullptr || workerNumber != captureWorkerNumber_)
        return;
    learning::TCollectCode* worker = CaptureThread;
    QObject::disconnect(captureEnded_);
    // finished() is emitted just before the thread winds down; waiting here
    // costs nothing and makes deleting the object safe.
    worker->wait();
    CaptureFinished();
    worker->deleteLater();
}

void LearningWindow::stopCaptureWorkerForClose() {
    if (CaptureThread == nullptr)
        return;
    CaptureControl.store(learning::kCaptureStopRequested);
    QObject::disconnect(captureEnded_);
    ++captureWorkerNumber_;
    // The worker stops before its next poll; the poll under way is bounded by
    // the device library's own time-out.
    CaptureThread->wait();
    delete CaptureThread;
    CaptureThread = nullptr;
}
