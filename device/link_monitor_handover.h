#pragma once
// Hands work from the link monitor's thread to the window thread and lets the
// monitor wait for it -- without ever making the window thread wait for the
// monitor in return. Closing the hand-over (from the window thread, at any
// moment) drops work that has not started and releases a monitor that is
// waiting, even while a modal box of its own is open further up the window
// thread's stack; that box's answer is then simply discarded.
//
// The posted work holds only this object (shared), never the monitor, so it is
// harmless if it runs after the monitor and the window are gone.
#include "device/link_monitor_host.h"
#include "device/window_thread_queue.h"

#include <QPointer>
#include <QThread>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>

namespace device {

class LinkHandOver : public std::enable_shared_from_this<LinkHandOver> {
public:
    // worker: the monitor's thread object, asked about interruption requests.
    // Made on the window thread.
    LinkHandOver(LinkMonitorHost& host, QThread& worker);
    ~LinkHandOver();
    LinkHandOver(const LinkHandOver&) = delete;
    LinkHandOver& operator=(const LinkHandOver&) = delete;

    // --- monitor thread ---
    // Runs work on the window thread and waits for it. False when the
    // hand-over was closed (or the worker asked to stop) before the work
    // finished; the work then either never ran or its outcome is to be
    // ignored.
    bool call(std::function<void(LinkMonitorHost&)> work);
    // Sleeps; false as soon as the hand-over is closed.
    bool pause(std::chrono::milliseconds duration);
    bool closed() const;
    // Queues the host's termination handler on the window thread; it is
    // skipped if the hand-over has been detached by then.
    void postEnded();

    // --- window thread ---
    // No further work runs; a waiting monitor is released at once.
    void close();
    // close(), and the host and worker are forgotten: nothing of the host is
    // called any more, not even the termination handler.
    void detach();

private:
    struct Call;
    bool stopAskedLocked() const;
    void execute(const std::shared_ptr<Call>& call,
                 const std::function<void(LinkMonitorHost&)>& work);

    mutable std::mutex mutex_;
    std::condition_variable changed_;
    bool closed_ = false;
    LinkMonitorHost* host_;
    QThread* worker_;
    // The way to the window thread; null only once the application is gone.
    QPointer<WindowThreadQueue> windowThread_;
};

} // namespace device
