#pragma once
// The texts the window shows at start-up and in its lifecycle.
#include <QString>

namespace app {

// The maker's web address named by the two update messages.
inline const QString kMakerAddress = QStringLiteral("http://www.example.com");

inline const QString kNoUrcFound = QStringLiteral("No URC is found, please check USB Connection!");

inline QString versionMessage() {
    return QStringLiteral("This version of learning software does not support learning operation "
                          "of this kind of RC. Please download the latest version of learning "
                          "software from ") +
           kMakerAddress + QStringLiteral("!");
}

inline QString firmwareMessage() {
    return QStringLiteral("Low version of RC firmware program! Please download the latest "
                          "version from ") +
           kMakerAddress + QStringLiteral("!");
}

} // namespace app
