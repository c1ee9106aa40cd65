#include "cursors.h"
#include "display.h"
#include "shell.h"

#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QMap>
#include <QScreen>
#include <QUrl>

namespace winsys {
namespace {

class DesktopShell final : public Shell {
public:
    void open(const QString& target) override {
        // Only targets that exist as files, or are URLs with a scheme, are
        // handed to the desktop; anything else names nothing and is ignored.
        const QUrl url(target, QUrl::StrictMode);
        if (QFileInfo::exists(target))
            QDesktopServices::openUrl(QUrl::fromLocalFile(QFileInfo(target).absoluteFilePath()));
        else if (url.isValid() && url.scheme().size() > 1)
            QDesktopServices::openUrl(url);
    }
    bool changeDirectory(const QString& directory) override { return QDir::setCurrent(directory); }
};

Shell* installedShell = nullptr;
Display* installedDisplay = nullptr;

QMap<int, QCursor>& cursorTable() {
    static QMap<int, QCursor> table;
    return table;
}

} // namespace

// Implemented in xrandr_display.cpp.
Display& realDisplay();

Shell& shell() {
    static DesktopShell real;
    return installedShell ? *installedShell : real;
}
void setShell(Shell* s) {
    installedShell = s;
}

Display& display() {
    return installedDisplay ? *installedDisplay : realDisplay();
}
void setDisplay(Display* d) {
    installedDisplay = d;
}

void registerCursor(int n, std::optional<QCursor> cursor) {
    if (cursor)
        cursorTable().insert(n, *cursor);
    else
        cursorTable().remove(n);
}

QCursor numberedCursor(int n) {
    return cursorTable().value(n, QCursor(Qt::ArrowCursor));
}
bool hasNumberedCursor(int n) {
    return cursorTable().contains(n);
}

} // namespace winsys
