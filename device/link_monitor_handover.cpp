#include "device/link_monitor_handover.h"

#include <QCoreApplication>

namespace device {

struct LinkHandOver::Call {
    enum class State { Pending, Running, Done, Dropped };
    State state = State::Pending;
};

LinkHandOver::LinkHandOver(LinkMonitorHost& host, QThread& worker)
    : host_(&host), worker_(&worker),
      // Owned by the application object, which lives as long as the window
      // thread's event loop: posted work may still run (and find the
      // hand-over detached) after the monitor and the window are gone.
      windowThread_(new WindowThreadQueue(QCoreApplication::instance())) {}

LinkHandOver::~LinkHandOver() {
    // Never deleted at once: the queue may be running the very work that
    // dropped the last reference to this hand-over.
    if (windowThread_)
        windowThread_->deleteLater();
}

bool LinkHandOver::stopAskedLocked() const {
    return closed_ || worker_ == nullptr || worker_->isInterruptionRequested();
}

bool LinkHandOver::closed() const {
    std::lock_guard lock(mutex_);
    return stopAskedLocked();
}

bool LinkHandOver::call(std::function<void(LinkMonitorHost&)> work) {
    auto pending = std::make_shared<Call>();
    {
        std::lock_guard lock(mutex_);
        if (stopAskedLocked())
            return false;
    }
    WindowThreadQueue* const windowThread = windowThread_.data();
    if (windowThread == nullptr)
        return false;
    // The work checks this hand-over's state before it touches anything.
    windowThread->post([self = shared_from_this(), pending, work = std::move(work)] {
        self->execute(pending, work);
    });

    std::unique_lock lock(mutex_);
    for (;;) {
        if (pending->state == Call::State::Done)
            return true;
        if (stopAskedLocked()) {
            // Work that has not started never will; work that is running
            // (a box still open) finishes unseen.
            pending->state = Call::State::Dropped;
            return false;
        }
        // A plain QThread::requestInterruption() does not notify; look again
        // every few milliseconds.
        changed_.wait_for(lock, std::chrono::milliseconds(20));
    }
}

void LinkHandOver::execute(const std::shared_ptr<Call>& pending,
                           const std::function<void(LinkMonitorHost&)>& work) {
    LinkMonitorHost* host = nullptr;
    {
        std::lock_guard lock(mutex_);
        if (pending->state != Call::State::Pending || stopAskedLocked()) {
            pending->state = Call::State::Dropped;
            changed_.notify_all();
            return;
        }
        pending->state = Call::State::Running;
        host = host_;
    }
    work(*host);
    std::lock_guard lock(mutex_);
    if (pending->state == Call::State::Running)
        pending->state = Call::State::Done;
    changed_.notify_all();
}

bool LinkHandOver::pause(std::chrono::milliseconds duration) {
    std::unique_lock lock(mutex_);
    const auto until = std::chrono::steady_clock::now() + duration;
    while (!stopAskedLocked()) {
        const auto now = std::chrono::steady_clock::now();
        if (now >= until)
            return true;
        changed_.wait_for(lock, std::min<std::chrono::steady_clock::duration>(
                                    until - now, std::chrono::milliseconds(20)));
    }
    return false;
}

void LinkHandOver::postEnded() {
    WindowThreadQueue* const windowThread = windowThread_.data();
    if (windowThread == nullptr)
        return;
    windowThread->post([self = shared_from_this()] {
        LinkMonitorHost* host = nullptr;
        {
            std::lock_guard lock(self->mutex_);
            host = self->host_;
        }
        if (host != nullptr)
            host->linkMonitorEnded();
    });
}

void LinkHandOver::close() {
    std::lock_guard lock(mutex_);
    closed_ = true;
    changed_.notify_all();
}

void LinkHandOver::detach() {
    std::lock_guard lock(mutex_);
    closed_ = true;
    host_ = nullptr;
    worker_ = nullptr;
    changed_.notify_all();
}

} // namespace device
