#pragma once
// qzt617's command line: it takes no arguments of its own beyond --help and
// --version; Qt's own options (-platform, -display, -style, ...) are taken by
// QApplication before the rest is checked.
#include <QStringList>

#include <optional>

namespace app {

// Answers --help and --version before any window system is opened, so both
// work without a display. Returns the exit status when the program must end.
std::optional<int> answerInformationOptions(int argc, char** argv);

// After QApplication has removed the options it took: whatever is left is
// refused with the usage on standard error and status 2, except Qt's options
// that the platform in use does not take (the X11 ones elsewhere), which the
// first look accepted as well.
std::optional<int> refuseLeftoverArguments(const QStringList& arguments);

} // namespace app
