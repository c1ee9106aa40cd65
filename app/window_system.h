#pragma once
// The window system the program runs on. Its window positions are fixed
// pixels and its display-mode change goes through XRandR: both need X11, so
// in a Wayland session the program runs through XWayland when there is one.

namespace app {

// Before QApplication: picks the X11 platform (xcb) in a Wayland session
// with XWayland, unless the user chose a platform (QT_QPA_PLATFORM or
// -platform). Without XWayland, says on standard error what will not work.
void chooseWindowSystem(int argc, char** argv);

} // namespace app
