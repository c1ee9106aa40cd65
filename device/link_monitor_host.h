#pragma once
// What the link monitor needs from the main window. Every call arrives on the
// window thread while the monitor waits for it to return.
#include <QString>

namespace device {

class LinkMonitorHost {
public:
    virtual ~LinkMonitorHost() = default;
    // Puts the link state text into the status field (lab_usbstate).
    virtual void showLinkState(const QString& text) = 0;
    // The URC is away: hide the key panel and disable the three command
    // buttons (their enabled state, not their pictures).
    virtual void lockPanel() = 0;
    // The same URC is back: show the key panel and enable the buttons again.
    virtual void unlockPanel() = 0;
    // The monitor has ended, for whatever reason; called once, after its work
    // has returned. Not called once the monitor object has been destroyed.
    virtual void linkMonitorEnded() = 0;
};

} // namespace device
