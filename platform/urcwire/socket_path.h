#pragma once
// Where the emulated URC's socket lives: QZT617_URC_SOCKET when set, else
// $XDG_RUNTIME_DIR/qzt617/urc.sock, else /tmp/qzt617-<uid>/urc.sock. The
// per-user folder of the last two must be a real folder (not a link) owned by
// the user and closed to others; the server creates it (mode 0700).
#include <string>

namespace urcwire {

struct SocketPath {
    std::string path;  // empty on failure
    std::string error; // a sentence for a person on failure
    // The failure is a fault to tell the user about (an unusable folder or an
    // overlong path), not merely a folder no server has made yet.
    bool refused = false;
};

// The per-user folder alone ($XDG_RUNTIME_DIR/qzt617, else /tmp/qzt617-<uid>),
// checked as above.
struct RuntimeFolder {
    std::string path;     // empty on failure
    std::string error;    // a sentence for a person on failure
    bool missing = false; // not there and not to be created: nothing to refuse
};
RuntimeFolder resolveRuntimeFolder(bool createFolder);

// createFolder: make the per-user folder when it is missing (the server does;
// clients don't, since a missing folder simply means no server).
SocketPath resolveSocketPath(bool createFolder);

// The same rules for a given folder: it must be a folder, not a link, owned by
// the user and not open to group or others. nullopt-like empty text when fine.
std::string checkPrivateFolder(const std::string& folder);

// A Unix socket address holds at most this many bytes of path.
bool fitsSocketAddress(const std::string& path);

} // namespace urcwire
