#pragma once
// The screen's size and the session's display mode, behind one seam so that
// window tests can pretend a small screen and see the mode change requested.
#include <QSize>

namespace winsys {

class Display {
public:
    virtual ~Display() = default;
    // Size of the primary screen in pixels.
    virtual QSize screenSize() = 0;
    // Switches the display to width x height for this session only; nothing is
    // stored in the user's persistent settings. Returns whether it switched.
    virtual bool switchSessionMode(int width, int height) = 0;
};

Display& display();
void setDisplay(Display* display);

} // namespace winsys
