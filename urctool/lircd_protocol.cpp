#include "urctool/lircd_protocol.h"

#include "irform/form_definition.h"

#include <algorithm>
#include <bit>
#include <cstdio>

namespace urctool {
namespace {

using irform::detail::FormDefinition;
using irform::detail::Shape;

std::string hex(uint64_t value) {
    char text[24];
    std::snprintf(text, sizeof text, "0x%llX", static_cast<unsigned long long>(value));
    return text;
}

uint64_t reversedBits(uint64_t value, int bits) {
    uint64_t result = 0;
    for (int i = 0; i < bits; ++i)
        result |= ((value >> i) & 1) << (bits - 1 - i);
    return result;
}

uint64_t maskOf(int bits) {
    return bits >= 64 ? ~uint64_t{0} : (uint64_t{1} << bits) - 1;
}

// LIRC's RC6 reads a bit that starts with a mark as 0.
bool complemented(const FormDefinition& form) {
    return form.shape == Shape::Biphase && form.biphaseFrame.oneIsMarkFirst;
}

// A payload's bits as LIRC holds them: the first bit sent is the highest.
uint64_t sentOrder(const FormDefinition& form, uint64_t payload) {
    return form.msbFirst ? payload : reversedBits(payload, form.bits);
}

// The bits a field moves (with its checks), in the order they are sent.
uint64_t movedBits(const FormDefinition& form, bool command) {
    const uint64_t none = form.pack({0, 0});
    const uint32_t most = command ? form.maxCommand : form.maxDevice;
    uint64_t moved = 0;
    for (int i = 0; i < 32 && (uint64_t{1} << i) <= most; ++i) {
        const uint32_t bit = uint32_t{1} << i;
        moved |= form.pack({command ? 0 : bit, command ? bit : 0}) ^ none;
    }
    return sentOrder(form, moved);
}

// An RC5 frame's first bit is always 1, a lone mark after the silence: LIRC
// sends it as plead, as RC5 remotes are written for it, and the rest as bits.
bool leadingMark(const FormDefinition& form) {
    if (form.shape != Shape::Biphase || form.biphaseFrame.oneIsMarkFirst ||
        form.biphaseFrame.pattern.empty() || form.biphaseFrame.pattern[0] != 'b')
        return false;
    const uint64_t first = uint64_t{1} << (form.bits - 1);
    return (sentOrder(form, form.pack({0, 0})) & first) != 0 &&
           ((movedBits(form, true) | movedBits(form, false)) & first) == 0;
}

// The bits of a code as LIRC counts them.
int lircBits(const FormDefinition& form) {
    return form.bits - (leadingMark(form) ? 1 : 0);
}

uint64_t lircWord(const FormDefinition& form, uint64_t payload) {
    const uint64_t word = sentOrder(form, payload) & maskOf(lircBits(form));
    return complemented(form) ? ~word & maskOf(lircBits(form)) : word;
}

struct Split {
    int pre = 0, code = 0, post = 0;
};

// pre_data, code and post_data: the command's bits are the code when they
// lie together, and a separator ends the pre_data.
std::optional<Split> splitOf(const FormDefinition& form) {
    const int bits = lircBits(form);
    uint64_t moved = movedBits(form, true);
    if (form.laterFrame != nullptr) // LIRC's repeat_mask inverts bits of the code only
        moved |= sentOrder(form, form.laterFrame(form.pack({0, 0}), 1) ^ form.pack({0, 0}));
    moved &= maskOf(bits);
    Split split{0, bits, 0};
    if (moved != 0) {
        const int high = 63 - std::countl_zero(moved), low = std::countr_zero(moved);
        if (std::popcount(moved) == high - low + 1)
            split = {bits - 1 - high, high - low + 1, low};
    }
    const int separator = form.symbolFrame.separatorAfter;
    if (separator != 0) {
        if (split.pre < separator)
            return std::nullopt;
        split = {separator, form.bits - separator, 0};
    }
    return split;
}

std::string pair(const char* name, uint32_t first, uint32_t second) {
    return std::string(name) + " " + std::to_string(first) + " " + std::to_string(second);
}

// The gap and its flag: a frame period is a constant length.
void addGap(const FormDefinition& form, std::vector<std::string>& p, std::string& flags) {
    if (form.periodUs != 0) {
        flags += "|CONST_LENGTH";
        p.push_back("gap " + std::to_string(form.periodUs));
    } else {
        p.push_back("gap " + std::to_string(form.gapUs));
    }
}

bool addSymbolTimings(const FormDefinition& form, bool wholePress, std::vector<std::string>& p,
                      std::string& flags) {
    const auto& frame = form.symbolFrame;
    if (frame.symbols.size() != 2 || frame.trailer.size() > 1)
        return false;
    const auto zero = frame.symbols[0], one = frame.symbols[1];
    if (frame.leader.size() == 1) {
        // A lone mark, then space-first bits: the same durations as a header
        // of mark and the bits' common space, and mark-first bits.
        if (zero.first != one.first || !frame.trailer.empty())
            return false;
        p.push_back(pair("header", frame.leader[0], zero.first));
        p.push_back(pair("one", one.second, one.first));
        p.push_back(pair("zero", zero.second, zero.first));
    } else if (frame.leader.size() == 2 || frame.leader.empty()) {
        if (!frame.leader.empty())
            p.push_back(pair("header", frame.leader[0], frame.leader[1]));
        p.push_back(pair("one", one.first, one.second));
        p.push_back(pair("zero", zero.first, zero.second));
    } else {
        return false;
    }
    // Later frames without the leader; LIRC's CONST_LENGTH then times the
    // first frame as if it had none, so a one-frame press leaves them out.
    const bool sameLeader = std::ranges::equal(frame.repeatLeader, frame.leader);
    if (wholePress && !sameLeader && !(frame.repeatLeader.empty() && !frame.leader.empty()))
        return false;
    if (wholePress && !sameLeader)
        flags += "|NO_HEAD_REP";
    if (!frame.trailer.empty())
        p.push_back("ptrail " + std::to_string(frame.trailer[0]));
    if (frame.separatorAfter != 0)
        p.push_back(pair("pre", frame.separator.first, frame.separator.second));
    if (form.repeat == irform::detail::Repeat::Ditto) {
        const auto& d = form.ditto;
        const bool trailed = d.size() == 3 && frame.trailer.size() == 1 && d[2] == frame.trailer[0];
        if (!trailed && !(d.size() == 2 && frame.trailer.empty()))
            return false;
        p.push_back(pair("repeat", d[0], d[1]));
    }
    return true;
}

bool addBiphaseTimings(const FormDefinition& form, std::vector<std::string>& p,
                       std::string& flags) {
    const auto& frame = form.biphaseFrame;
    const std::string_view pattern = frame.pattern;
    const std::size_t marks = pattern.find_first_not_of('+');
    const std::size_t spaces = pattern.find_first_not_of('-', marks) - marks;
    if (pattern.find_first_of("+-", marks + spaces) != std::string_view::npos)
        return false; // a fixed slot inside the bits
    if (marks > 0 && spaces > 0)
        p.push_back(pair("header", static_cast<uint32_t>(marks) * frame.unit,
                         static_cast<uint32_t>(spaces) * frame.unit));
    else if (marks > 0 || spaces > 0)
        return false;
    flags = frame.oneIsMarkFirst ? "RC6" : "RC5";
    if (leadingMark(form))
        p.push_back("plead " + std::to_string(frame.unit));
    p.push_back(pair("one", frame.unit, frame.unit));
    p.push_back(pair("zero", frame.unit, frame.unit));
    uint64_t wide = 0;
    int bit = 0;
    for (char c : pattern.substr(marks + spaces + (leadingMark(form) ? 1 : 0)))
        wide |= (c == 'B' ? uint64_t{1} : 0) << (lircBits(form) - 1 - bit++);
    if (wide != 0)
        p.push_back("rc6_mask " + hex(wide));
    return true;
}

} // namespace

std::optional<LircEncoding> lircEncoding(irform::Protocol protocol, bool wholePress) {
    const FormDefinition& form = irform::detail::formDefinition(protocol);
    const auto split = splitOf(form);
    if (!split)
        return std::nullopt;
    LircEncoding encoding;
    encoding.preBits = split->pre;
    encoding.codeBits = split->code;
    encoding.postBits = split->post;
    std::vector<std::string> timings;
    std::string flags = "SPACE_ENC";
    const bool fits = form.shape == Shape::Biphase
                          ? addBiphaseTimings(form, timings, flags)
                          : addSymbolTimings(form, wholePress, timings, flags);
    if (!fits)
        return std::nullopt;
    addGap(form, timings, flags);
    auto& p = encoding.parameters;
    p.push_back("bits " + std::to_string(split->code));
    p.push_back("flags " + flags);
    p.push_back("eps 30");
    p.push_back("aeps 100");
    p.insert(p.end(), timings.begin(), timings.end());
    if (form.toggleMask != 0)
        p.push_back("toggle_bit_mask " +
                    hex(sentOrder(form, form.toggleMask) & maskOf(lircBits(form))));
    // A press as the form's remotes send it: its frames with their repeats
    // (which tell NEC from its whole-frame variants, and Denon its inverted
    // frame).
    encoding.frames = wholePress ? form.framesPerPress : 1;
    if (encoding.frames > 1)
        p.push_back("min_repeat " + std::to_string(encoding.frames - 1));
    p.push_back("frequency " + std::to_string(form.carrierHz));
    return encoding;
}

std::optional<LircCodeWord> lircCodeWord(const irform::Decoded& code) {
    const FormDefinition& form = irform::detail::formDefinition(code.protocol);
    const auto split = splitOf(form);
    if (!split || code.device > form.maxDevice || code.command > form.maxCommand)
        return std::nullopt;
    const uint64_t payload = form.pack({code.device, code.command});
    const uint64_t word = lircWord(form, payload);
    LircCodeWord w;
    w.post = word & maskOf(split->post);
    w.code = (word >> split->post) & maskOf(split->code);
    w.pre = (word >> (split->post + split->code)) & maskOf(split->pre);
    if (form.laterFrame != nullptr) {
        // LIRC inverts bits of the code only, not of pre_data or post_data.
        const uint64_t inverted = word ^ lircWord(form, form.laterFrame(payload, 1));
        if ((inverted & ~(maskOf(split->code) << split->post)) != 0)
            return std::nullopt;
        w.repeatMask = inverted >> split->post;
    }
    return w;
}

} // namespace urctool

namespace urctool {

std::vector<irform::Signal> nominalPresses(const irform::Decoded& code, int frames) {
    const FormDefinition& form = irform::detail::formDefinition(code.protocol);
    const uint64_t payload = form.pack({code.device, code.command});
    std::vector<irform::Signal> presses{irform::detail::renderPress(form, payload, frames)};
    if (form.toggleMask != 0)
        presses.push_back(irform::detail::renderPress(form, payload ^ form.toggleMask, frames));
    return presses;
}

} // namespace urctool
