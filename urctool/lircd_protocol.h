#pragma once
// A protocol form as the parameters of a LIRC remote, where LIRC has an
// encoding for it: pulse-distance and pulse-width frames as SPACE_ENC (a
// leader as header, or a lone leader mark with space-first bits as a header
// too, as people write Sony remotes), a trailing mark as ptrail, NEC-style
// ditto frames as repeat, a separator as pre, a frame period as
// CONST_LENGTH, the inverted later frames of Denon as repeat_mask; biphase
// frames as RC5 (one = space then mark) or RC6 (one = mark then space, which
// LIRC reads as complemented bits, double-width bits as rc6_mask). The
// command's bits are the code; the bits before and after them pre_data and
// post_data, so that one remote is one device of one form.
// Forms with two-bit symbols or silences inside biphase frames have no LIRC
// encoding.
#include "irform/signal.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace urctool {

struct LircCodeWord {
    uint64_t pre = 0, code = 0, post = 0;
    uint64_t repeatMask = 0; // bits a later frame inverts (0: none)
    bool operator==(const LircCodeWord&) const = default;
};

struct LircEncoding {
    std::vector<std::string> parameters; // "flags SPACE_ENC|CONST_LENGTH", "header 9000 4500", ...
    int preBits = 0, codeBits = 0, postBits = 0;
    int frames = 1; // frames LIRC sends for one press (1 + min_repeat)
};

// nullopt when LIRC has no encoding for the form. A whole press holds the
// form's frames (min_repeat, NO_HEAD_REP, repeat_mask), as its remotes send
// them; otherwise LIRC sends the first frame alone.
std::optional<LircEncoding> lircEncoding(irform::Protocol protocol, bool wholePress);

// The code's words in that encoding; nullopt when the form cannot carry it.
std::optional<LircCodeWord> lircCodeWord(const irform::Decoded& code);

// The form's own nominal presses of `frames` frames, with its toggle bits
// clear and set: what LIRC must send for the code.
std::vector<irform::Signal> nominalPresses(const irform::Decoded& code, int frames);

} // namespace urctool
