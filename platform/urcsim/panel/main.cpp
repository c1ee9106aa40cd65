// urc-sim-panel: the emulated URC's front panel (started by `urc-sim panel`).
#include "platform/urcsim/panel/panel_window.h"

#include <QApplication>
#include <cstdio>
#include <string>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    std::string socketPath;
    const QStringList args = app.arguments();
    for (int i = 1; i < args.size(); ++i) {
        if (args[i] == "--socket" && i + 1 < args.size()) {
            socketPath = args[++i].toStdString();
            continue;
        }
        std::fprintf(stderr, "usage: urc-sim-panel [--socket PATH]\n");
        return 2;
    }
    urcsim::PanelWindow window(socketPath);
    window.show();
    return app.exec();
}
