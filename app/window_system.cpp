#include "app/window_system.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace app {
namespace {

bool isSet(const char* name) {
    const char* value = std::getenv(name);
    return value && *value;
}

// Qt reads "-platform NAME" and "--platform NAME" (and the "=" forms).
bool platformChosenOnCommandLine(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        const char* word = argv[i];
        if (std::strncmp(word, "--", 2) == 0)
            ++word;
        if (std::strcmp(word, "-platform") == 0 || std::strncmp(word, "-platform=", 10) == 0)
            return true;
    }
    return false;
}

} // namespace

void chooseWindowSystem(int argc, char** argv) {
    if (!isSet("WAYLAND_DISPLAY") || isSet("QT_QPA_PLATFORM") ||
        platformChosenOnCommandLine(argc, argv))
        return;
    if (isSet("DISPLAY")) {
        setenv("QT_QPA_PLATFORM", "xcb", 1);
        return;
    }
    std::fputs("qzt617: a Wayland session without XWayland (DISPLAY is not set): the windows "
               "cannot be placed where they belong, and on a screen narrower than 1024 pixels "
               "the display mode cannot be changed. Install xwayland for both.\n",
               stderr);
}

} // namespace app
