#pragma once
// A shell that records requests instead of acting on them. Installs itself
// for its lifetime.
#include "platform/winsys/shell.h"

#include <QString>
#include <QStringList>

class RecordingShell final : public winsys::Shell {
public:
    RecordingShell() { winsys::setShell(this); }
    ~RecordingShell() override { winsys::setShell(nullptr); }

    void open(const QString& target) override { log << QStringLiteral("open ") + target; }
    bool changeDirectory(const QString& directory) override {
        log << QStringLiteral("cd ") + directory;
        return directoryChangeSucceeds;
    }

    QStringList log;
    bool directoryChangeSucceeds = true;
};
