#include "device/linkstathread.h"

#include <cstring>
#include <vector>

namespace device {

linkstate::linkstate(UrcLibrary& urc, std::string deviceIdentity, LinkMonitorHost& host,
                     QObject* parent)
    : QThread(parent), urc_(urc), deviceIdentity_(std::move(deviceIdentity)),
      handOver_(std::make_shared<LinkHandOver>(host, *this)) {
    // finished is emitted on the monitor's thread once run() has returned;
    // the hand-over then queues the host's handler on the window thread.
    connect(this, &QThread::finished, [handOver = handOver_] { handOver->postEnded(); });
}

linkstate::~linkstate() {
    handOver_->detach();
    QThread::requestInterruption();
    wait();
}

void linkstate::requestInterruption() {
    handOver_->close();
    QThread::requestInterruption();
}

void linkstate::run() {
    bool disconnected = false;
    bool lost = false;
    while (!handOver_->closed()) {
        if (watchOnce(disconnected, lost) == Step::End)
            return;
    }
}

linkstate::Step linkstate::watchOnce(bool& disconnected, bool& lost) {
    if (urc_.link_state()) {
        disconnected = false;
        if (!handOver_->call([](LinkMonitorHost& h) { h.showLinkState(kLinkConnectedText); }))
            return Step::End;
        if (lost && readIdentity() != deviceIdentity_)
            return Step::End; // another URC (or one that cannot say who it is)
    } else {
        disconnected = true;
        if (!handOver_->call([](LinkMonitorHost& h) { h.showLinkState(kLinkDisconnectedText); }))
            return Step::End;
    }
    if (!handOver_->pause(kLinkPollInterval))
        return Step::End;

    if (disconnected) {
        if (!handOver_->call([](LinkMonitorHost& h) { h.lockPanel(); }))
            return Step::End;
        lost = true;
        if (askUser() == Step::End)
            return Step::End;
        if (deviceIdentity_.empty())
            return Step::End;
    }
    if (lost && !disconnected) {
        lost = false;
        if (!handOver_->call([](LinkMonitorHost& h) { h.unlockPanel(); }))
            return Step::End;
    }
    return Step::Continue;
}

linkstate::Step linkstate::askUser() {
    const auto retry =
        askOnWindow(winsys::BoxKind::Warning, kNoUrcText, winsys::BoxButtons::RetryCancel);
    if (!retry)
        return Step::End;
    if (*retry != winsys::BoxAnswer::Cancel)
        return Step::Continue;
    const auto close =
        askOnWindow(winsys::BoxKind::Information, kCloseSoftwareText, winsys::BoxButtons::OkCancel);
    if (!close || *close == winsys::BoxAnswer::Ok)
        return Step::End;
    return Step::Continue;
}

std::optional<winsys::BoxAnswer> linkstate::askOnWindow(winsys::BoxKind kind, const QString& text,
                                                        winsys::BoxButtons buttons) {
    // The answer lives in shared storage: if the monitor stops waiting while
    // the box is open, the box still has somewhere to put it.
    auto answer = std::make_shared<winsys::BoxAnswer>(winsys::BoxAnswer::Cancel);
    const bool answered = handOver_->call([answer, kind, text, buttons](LinkMonitorHost&) {
        *answer = winsys::messageBoxes().show(kind, kLinkBoxTitle, text, buttons);
    });
    if (!answered)
        return std::nullopt;
    return *answer;
}

std::string linkstate::readIdentity() {
    std::vector<char> buffer(kIdentityBufferSize, '\0');
    if (!urc_.RBasicInfo(buffer.data()))
        return {};
    // The library may fill the whole buffer; never read past it.
    const std::size_t length = strnlen(buffer.data(), buffer.size());
    return std::string(buffer.data(), std::min(length, kIdentityLength));
}

} // namespace device
