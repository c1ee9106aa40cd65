#pragma once
// linkstate: the worker that watches the USB link to the URC for as long as
// the main window is open. It shows the link state, locks the key panel while
// the URC is away and asks the user what to do, and ends when the user gives
// up or a different URC comes back. Every control change and box happens on
// the window thread while the monitor waits for it.
//
// Ownership: the window creates it (as a child, or holding it otherwise),
// starts it, and deletes it -- either from its termination handler
// (deleteLater) or in its own destructor. Deleting it at any moment is safe:
// the destructor stops the monitor, releases it from any wait on the window
// thread, joins it, and guarantees the host is never called afterwards.
// It must be deleted on the window thread, before the host goes away.
#include "device/link_monitor_handover.h"
#include "device/link_monitor_host.h"
#include "device/urc_library.h"
#include "platform/winsys/message_boxes.h"

#include <QThread>
#include <chrono>
#include <memory>
#include <optional>
#include <string>

namespace device {

inline const QString kLinkConnectedText = QStringLiteral(" Connected");
inline const QString kLinkDisconnectedText = QStringLiteral(" Disconnected");
inline const QString kLinkBoxTitle = QStringLiteral("HINT");
inline const QString kNoUrcText = QStringLiteral("No URC is found, please check USB Connection!");
inline const QString kCloseSoftwareText = QStringLiteral("Do you close software?");
inline constexpr std::chrono::milliseconds kLinkPollInterval{200};
// The identity read back after a reconnection is compared on this many
// characters, the length of the identity kept at start-up.
inline constexpr std::size_t kIdentityLength = 30;

class linkstate : public QThread {
    Q_OBJECT
public:
    // deviceIdentity: the identity read at start-up (never changes).
    linkstate(UrcLibrary& urc, std::string deviceIdentity, LinkMonitorHost& host,
              QObject* parent = nullptr);
    // Stops and joins the monitor; the host's termination handler is not
    // called once this has begun.
    ~linkstate() override;

    // Asks the monitor to end: it changes no control and shows no box from
    // now on, and ends at its next step (at once when it is waiting for the
    // window thread). Returns immediately; the termination handler still
    // follows. Hides QThread::requestInterruption, which works as well.
    void requestInterruption();
    void requestStop() { requestInterruption(); }

protected:
    void run() override;

private:
    enum class Step { Continue, End };
    Step watchOnce(bool& disconnected, bool& lost);
    Step askUser();
    std::optional<winsys::BoxAnswer> askOnWindow(winsys::BoxKind kind, const QString& text,
                                                 winsys::BoxButtons buttons);
    // The first characters of the URC's identity text; empty when unreadable.
    std::string readIdentity();

    UrcLibrary& urc_;
    const std::string deviceIdentity_;
    std::shared_ptr<LinkHandOver> handOver_;
};

} // namespace device
