#pragma once
// LIRC's own parser and encoder (liblirc), behind a plain C++ interface: a
// lircd.conf in, each remote's codes out as LIRC sends one press of them.
//
// The library is awkward to call directly: it reads from a FILE*, keeps the
// transmit buffer, the repeating remote and each remote's toggle state in
// globals, and reports problems only to its log (syslog unless told
// otherwise). lirc_library.cpp is the one place that deals with that; the
// rest of urc-tool sees values and messages.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace urctool {

struct LibraryCode {
    std::string name;
    // One press as lircd sends it (SEND_ONCE right after it started): the
    // code's frame (each code of a sequence in turn), the min_repeat repeats
    // the remote asks for, each frame followed by LIRC's gap after it. The
    // last gap is left off when the remote has none.
    std::vector<uint32_t> press;
    std::string problem; // LIRC's reason when it cannot send the code; press empty then
};

struct LibraryRemote {
    std::string name;
    unsigned frequencyHz = 0;
    std::vector<LibraryCode> codes; // in the file's order
};

struct LibraryRead {
    // In LIRC's order (it sorts remotes by how fast they decode).
    std::vector<LibraryRemote> remotes;
    // LIRC's messages when it refused the file (remotes empty then).
    std::vector<std::string> errors;
    // LIRC's warnings that it changed a value of the file to make it fit (a
    // code wider than the remote's bits, an invalid min_code_repeat, ...).
    std::vector<std::string> changedValues;
};

// Reads `conf` with read_config and renders every code with send_buffer_put.
// `conf` must not include other files (the caller refuses "include").
LibraryRead readWithLirc(std::string_view conf);

} // namespace urctool
