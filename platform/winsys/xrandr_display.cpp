// The real display: the primary screen's size from Qt, and on X11 a mode
// switch through XRandR that lasts for the session only (XRandR changes are
// never written to any persistent configuration).
#include "display.h"

#include <QGuiApplication>
#include <QScreen>

#include <X11/Xlib.h>
#include <X11/extensions/Xrandr.h>

namespace winsys {
namespace {

::Display* x11Display() {
    auto* x11 = qApp ? qApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    return x11 ? x11->display() : nullptr;
}

// Finds the size index of width x height in the screen's size list, or -1.
int sizeIndex(XRRScreenSize* sizes, int count, int width, int height) {
    for (int i = 0; i < count; ++i)
        if (sizes[i].width == width && sizes[i].height == height)
            return i;
    return -1;
}

class ScreenDisplay final : public Display {
public:
    QSize screenSize() override {
        const QScreen* screen = QGuiApplication::primaryScreen();
        return screen ? screen->size() : QSize();
    }

    bool switchSessionMode(int width, int height) override {
        ::Display* dpy = x11Display();
        if (!dpy)
            return false;
        const Window root = DefaultRootWindow(dpy);
        XRRScreenConfiguration* config = XRRGetScreenInfo(dpy, root);
        if (!config)
            return false;
        int count = 0;
        XRRScreenSize* sizes = XRRConfigSizes(config, &count);
        const int index = sizeIndex(sizes, count, width, height);
        bool switched = false;
        if (index >= 0) {
            Rotation rotation = 0;
            XRRConfigCurrentConfiguration(config, &rotation);
            switched = XRRSetScreenConfig(dpy, config, root, index, rotation, CurrentTime) == 0;
        }
        XRRFreeScreenConfigInfo(config);
        XFlush(dpy);
        return switched;
    }
};

} // namespace

Display& realDisplay() {
    static ScreenDisplay real;
    return real;
}

} // namespace winsys
