// The creation handler: the device handshake and the one reading of the URC's
// memory that gives the window its copies of the URC's tables.
#include "app/maintarnvik.h"
#include "app/messages.h"
#include "device/core/urc_reading.h"
#include "platform/winsys/message_boxes.h"

#include <QApplication>

namespace {

constexpr auto kUrcType = "QZT-617";

} // namespace

// Asks until the URC answers; false when the user gave up.
bool Tmaintarnvik::waitForUrc() {
    while (!urc.link_state()) {
        const auto answer =
            winsys::messageBoxes().show(winsys::BoxKind::Confirmation, QString(), app::kNoUrcFound,
                                        winsys::BoxButtons::RetryCancel);
        if (answer != winsys::BoxAnswer::Retry)
            return false;
    }
    return true;
}

void Tmaintarnvik::FormCreate() {
    QApplication::setApplicationDisplayName(QString::fromLatin1(kUrcType));
    static_cast<device::UrcTables&>(*this) = device::UrcTables{};
    StartFailed = false;
    Closing = false;

    if (!waitForUrc()) {
        StartFailed = true;
        return;
    }
    QApplication::processEvents();

    device::StartupResult result = device::readAndCheckIdentity(urc, *this);
    if (result.identityRead)
        lab_gjbb->setText(QStringLiteral(" 2.0"));
    if (result.failure == device::StartupFailure::None) {
        // The type is shown once the checks have passed, whatever the
        // reading of the memory map brings.
        lab_ykqtype->setText(QString::fromLatin1(kUrcType));
        if (!device::readMemoryMap(urc, *this))
            result.failure = device::StartupFailure::NoDevice;
    }
    switch (result.failure) {
    case device::StartupFailure::None:
        return;
    case device::StartupFailure::VersionMessage:
        winsys::messageBoxes().information(app::versionMessage());
        break;
    case device::StartupFailure::FirmwareMessage:
        winsys::messageBoxes().information(app::firmwareMessage());
        break;
    case device::StartupFailure::NoDevice:
        winsys::messageBoxes().information(app::kNoUrcFound);
        break;
    }
    StartFailed = true;
}
