#pragma once
// Runs work posted from any thread on the thread this queue lives on (the
// window thread), in the order it was posted.
//
// The work itself is handed over through a std::mutex, and the window thread
// is woken through an eventfd it watches: no object of ours and none of Qt's
// crosses the threads inside Qt's event queue. A functor posted with
// QMetaObject::invokeMethod would be built on the posting thread and
// destroyed on this one, ordered only by Qt's own locks, which tools such as
// ThreadSanitizer do not see when Qt itself is not built for them; here every
// step of the hand-over is ordered by something they do see.
#include <QObject>
#include <deque>
#include <functional>
#include <mutex>

class QSocketNotifier;

namespace device {

class WindowThreadQueue : public QObject {
    Q_OBJECT
public:
    explicit WindowThreadQueue(QObject* parent = nullptr);
    // Work not run by then is dropped (destroyed on this queue's thread).
    ~WindowThreadQueue() override;

    // Any thread: queues work to run on this queue's thread.
    void post(std::function<void()> work);

private:
    Q_INVOKABLE void runPosted();
    void wake();

    std::mutex mutex_;
    std::deque<std::function<void()>> posted_;
    bool wakeQueued_ = false;
    int wakeFd_ = -1; // -1: woken through Qt's event queue instead
    QSocketNotifier* wakeNotifier_ = nullptr;
};

} // namespace device
