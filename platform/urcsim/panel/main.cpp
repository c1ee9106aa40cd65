// urc-sim-panel: the emulated URC's front panel (started by `urc-sim panel`).
#include "platform/urcsim/panel/panel_window.h"

#include <QApplication>
#include <cstdio>
#include <cstring>
#include <string>

namespace {

constexpr const char* kUsage =
    "Usage: urc-sim-panel [--socket PATH]\n"
    "The emulated URC's front panel: its USB cable switch and an original remote\n"
    "whose keys send their codes in front of the URC. Without --socket it talks to\n"
    "the emulator that `urc-sim` would (QZT617_URC_SOCKET, then the default).\n"
    "\n"
    "Options:\n"
    "  --socket PATH  the emulator's socket\n"
    "  -h, --help     show this help and exit\n"
    "  -v, --version  show the version and exit\n";

// --help, --version and unknown "--" options are answered before
// QApplication, so they need no display (single-dash words are Qt's, such as
// -platform, and checked once QApplication has taken its own). Returns the
// exit status when the program must end.
int answerInformationOptions(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        if (!std::strcmp(argv[i], "--socket")) {
            ++i;
            continue;
        }
        if (!std::strcmp(argv[i], "--help") || !std::strcmp(argv[i], "-h")) {
            std::fputs(kUsage, stdout);
            return 0;
        }
        if (!std::strcmp(argv[i], "--version") || !std::strcmp(argv[i], "-v")) {
            std::printf("urc-sim-panel %s\n", QZT617_VERSION);
            return 0;
        }
        if (!std::strncmp(argv[i], "--", 2)) {
            std::fprintf(stderr, "urc-sim-panel: unknown option %s\n%s", argv[i], kUsage);
            return 2;
        }
    }
    return -1;
}

} // namespace

int main(int argc, char** argv) {
    if (int status = answerInformationOptions(argc, argv); status >= 0)
        return status;
    QApplication app(argc, argv);
    std::string socketPath;
    const QStringList args = app.arguments();
    for (int i = 1; i < args.size(); ++i) {
        if (args[i] == "--socket" && i + 1 < args.size()) {
            socketPath = args[++i].toStdString();
            continue;
        }
        std::fprintf(stderr, "urc-sim-panel: unknown argument %s\n%s", qPrintable(args[i]), kUsage);
        return 2;
    }
    urcsim::PanelWindow window(socketPath);
    window.show();
    return app.exec();
}
