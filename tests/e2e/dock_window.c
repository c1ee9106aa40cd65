// A dock, as a desktop's panel is: a window across the top of the screen,
// HEIGHT pixels high, of the dock type, that reserves that strip (a strut),
// so a window manager takes it out of the work area. It stays until killed.
// usage: e2e-dock-window HEIGHT
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <stdio.h>
#include <stdlib.h>

int main(int argc, char** argv) {
    const int height = argc == 2 ? atoi(argv[1]) : 0;
    if (height <= 0) {
        fprintf(stderr, "usage: e2e-dock-window HEIGHT\n");
        return 2;
    }
    Display* display = XOpenDisplay(NULL);
    if (!display) {
        fprintf(stderr, "e2e-dock-window: no X display\n");
        return 1;
    }
    const int screen = DefaultScreen(display);
    const int width = DisplayWidth(display, screen);
    const Window dock = XCreateSimpleWindow(display, RootWindow(display, screen), 0, 0,
                                            (unsigned)width, (unsigned)height, 0, 0, 0x203040);
    XStoreName(display, dock, "e2e dock");

    // Both properties are set before the window is mapped, as panels do.
    const Atom dockType = XInternAtom(display, "_NET_WM_WINDOW_TYPE_DOCK", False);
    XChangeProperty(display, dock, XInternAtom(display, "_NET_WM_WINDOW_TYPE", False), XA_ATOM, 32,
                    PropModeReplace, (const unsigned char*)&dockType, 1);
    // left, right, top, bottom, then the start and end of each edge's strip.
    const long strut[12] = {0, 0, height, 0, 0, 0, 0, 0, 0, width - 1, 0, 0};
    XChangeProperty(display, dock, XInternAtom(display, "_NET_WM_STRUT_PARTIAL", False),
                    XA_CARDINAL, 32, PropModeReplace, (const unsigned char*)strut, 12);
    XChangeProperty(display, dock, XInternAtom(display, "_NET_WM_STRUT", False), XA_CARDINAL, 32,
                    PropModeReplace, (const unsigned char*)strut, 4);

    XMapWindow(display, dock);
    XFlush(display);
    for (XEvent event;;)
        XNextEvent(display, &event);
}
