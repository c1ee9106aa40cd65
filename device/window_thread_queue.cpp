#include "device/window_thread_queue.h"

#include <QMetaObject>
#include <QSocketNotifier>
#include <cerrno>
#include <cstdint>
#include <sys/eventfd.h>
#include <unistd.h>

namespace device {

WindowThreadQueue::WindowThreadQueue(QObject* parent) : QObject(parent) {
    wakeFd_ = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    if (wakeFd_ < 0)
        return; // out of descriptors: Qt's queue still wakes us, just unseen
    wakeNotifier_ = new QSocketNotifier(wakeFd_, QSocketNotifier::Read, this);
    connect(wakeNotifier_, &QSocketNotifier::activated, this, &WindowThreadQueue::runPosted);
}

WindowThreadQueue::~WindowThreadQueue() {
    std::deque<std::function<void()>> dropped;
    {
        std::lock_guard lock(mutex_);
        dropped.swap(posted_);
    }
    delete wakeNotifier_;
    if (wakeFd_ >= 0)
        ::close(wakeFd_);
}

void WindowThreadQueue::post(std::function<void()> work) {
    std::lock_guard lock(mutex_);
    posted_.push_back(std::move(work));
    if (wakeQueued_)
        return;
    wakeQueued_ = true;
    // Still under the lock, so that the destructor, which takes it, is
    // ordered after this last use of the descriptor.
    wake();
}

void WindowThreadQueue::wake() {
    if (wakeFd_ < 0) {
        QMetaObject::invokeMethod(this, "runPosted", Qt::QueuedConnection);
        return;
    }
    const std::uint64_t one = 1;
    // An eventfd counter only fails to take 1 when it is about to overflow,
    // which means a wake-up is pending anyway.
    while (::write(wakeFd_, &one, sizeof one) < 0 && errno == EINTR) {
    }
}

void WindowThreadQueue::runPosted() {
    if (wakeFd_ >= 0) {
        std::uint64_t count = 0;
        while (::read(wakeFd_, &count, sizeof count) < 0 && errno == EINTR) {
        }
    }
    std::deque<std::function<void()>> batch;
    {
        std::lock_guard lock(mutex_);
        batch.swap(posted_);
        wakeQueued_ = false;
    }
    // Work may open a modal box, whose event loop can run this again for
    // work posted meanwhile; each call runs only what it took.
    for (auto& work : batch)
        work();
}

} // namespace device
