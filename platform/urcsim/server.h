#pragma once
// `urc-sim serve`: the emulated URC in the foreground on a Unix stream socket.
#include <string>

namespace urcsim {

struct ServeOptions {
    std::string imagePath;  // empty: urc.img beside the socket
    std::string socketPath; // empty: the per-user default
    std::string profile = "good";
    int latencyMs = 1;
    // Also a USB HID gadget through configfs (needs root), on the controller
    // `udc` (empty: the first), with `serial` (empty: one made from the image).
    bool usbGadget = false;
    std::string udc;
    std::string serial;
};

// Runs until SIGTERM or SIGINT; the process exit status.
int serve(const ServeOptions& options);

} // namespace urcsim
