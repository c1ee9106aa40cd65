// The learned keys as a lircd.conf (lircdConf, declared in export_formats.h):
// each recognised form for which LIRC has an encoding as a remote of that
// encoding, one remote per form and pre/post data (one device, as people
// write them), every code checked by sending it with LIRC's own encoder;
// what is left (raw keys, forms LIRC cannot send alike) as one remote of raw
// codes, each what the URC emits for the key without its closing silence.
#include "urctool/export_formats.h"

#include "irform/protocols.h"
#include "urctool/lirc_library.h"
#include "urctool/lircd_protocol.h"
#include "urctool/signal_input.h"

#include <algorithm>
#include <cstdio>
#include <map>
#include <optional>
#include <sstream>

namespace urctool {
namespace {

constexpr int kDurationsPerLine = 8;
// lircd's tolerances: relative (percent) and absolute (us).
constexpr int kEps = 30;
constexpr int kAeps = 100;

std::string hexDigits(uint64_t value, int bits) {
    char text[24];
    std::snprintf(text, sizeof text, "0x%0*llX", std::max(1, (bits + 3) / 4),
                  static_cast<unsigned long long>(value));
    return text;
}

// The keys of one remote: one form, with the same pre/post data.
struct Group {
    irform::Protocol protocol;
    LircEncoding encoding;
    LircCodeWord shared; // pre, post and repeat mask; code unused
    std::vector<std::pair<const ExportedKey*, uint64_t>> codes;
};

std::string remoteText(const Group& g, const std::string& name) {
    std::ostringstream out;
    out << "begin remote\n  name  " << name << "\n";
    for (const auto& line : g.encoding.parameters)
        out << "  " << line << "\n";
    const auto& e = g.encoding;
    if (e.preBits > 0)
        out << "  pre_data_bits " << e.preBits << "\n  pre_data "
            << hexDigits(g.shared.pre, e.preBits) << "\n";
    if (e.postBits > 0)
        out << "  post_data_bits " << e.postBits << "\n  post_data "
            << hexDigits(g.shared.post, e.postBits) << "\n";
    if (g.shared.repeatMask != 0)
        out << "  repeat_mask " << hexDigits(g.shared.repeatMask, e.codeBits) << "\n";
    out << "\n  begin codes\n";
    for (const auto& [key, code] : g.codes)
        out << "    " << key->name << " " << hexDigits(code, e.codeBits) << "\n";
    out << "  end codes\nend remote\n";
    return out.str();
}

bool sameDurations(const std::vector<uint32_t>& sent, const std::vector<irform::Signal>& wanted) {
    for (const auto& w : wanted)
        if (w.durations == sent)
            return true;
    return false;
}

// The group's keys that LIRC sends exactly as their form does (the toggle
// bit either way); LIRC's name of each key in the text is its export name.
std::vector<std::pair<const ExportedKey*, uint64_t>> sentAlike(const Group& g,
                                                               const std::string& text) {
    const LibraryRead read = readWithLirc(text);
    std::vector<std::pair<const ExportedKey*, uint64_t>> alike;
    if (read.remotes.size() != 1 || !read.changedValues.empty())
        return alike;
    const auto& codes = read.remotes[0].codes;
    for (std::size_t i = 0; i < g.codes.size() && i < codes.size(); ++i) {
        const auto& key = *g.codes[i].first;
        if (codes[i].problem.empty() &&
            sameDurations(codes[i].press, nominalPresses(*key.code.decoded, g.encoding.frames)))
            alike.push_back(g.codes[i]);
    }
    return alike;
}

std::vector<Group> groupsOf(const std::vector<ExportedKey>& keys, std::vector<ExportedKey>& left) {
    std::vector<Group> groups;
    for (const auto& k : keys) {
        auto encoding = k.code.raw || !k.code.decoded
                            ? std::nullopt
                            : lircEncoding(k.code.decoded->protocol, true);
        if (!encoding && !k.code.raw && k.code.decoded)
            encoding = lircEncoding(k.code.decoded->protocol, false);
        const auto word = encoding ? lircCodeWord(*k.code.decoded) : std::nullopt;
        if (!word) {
            left.push_back(k);
            continue;
        }
        auto shared = *word;
        shared.code = 0;
        auto found = std::find_if(groups.begin(), groups.end(), [&](const Group& g) {
            return g.protocol == k.code.decoded->protocol && g.shared == shared;
        });
        if (found == groups.end())
            found =
                groups.insert(groups.end(), Group{k.code.decoded->protocol, *encoding, shared, {}});
        found->codes.emplace_back(&k, word->code);
    }
    return groups;
}

// The remotes of the recognised forms alone, and the keys they do not hold.
struct LircdProtocolRemotes {
    std::string text;
    std::vector<ExportedKey> left;
};

LircdProtocolRemotes lircdProtocolRemotes(const std::vector<ExportedKey>& keys) {
    LircdProtocolRemotes result;
    std::map<irform::Protocol, int> remotesOfForm;
    for (Group& g : groupsOf(keys, result.left)) {
        const std::string form(irform::protocolName(g.protocol));
        const int n = ++remotesOfForm[g.protocol];
        const std::string name = "QZT-617_" + form + (n > 1 ? "_" + std::to_string(n) : "");
        auto alike = sentAlike(g, remoteText(g, name));
        if (alike.size() < g.codes.size()) {
            // LIRC cannot send the form's whole press alike: its first frame.
            Group firstFrame = g;
            firstFrame.encoding = *lircEncoding(g.protocol, false);
            auto frameAlike = sentAlike(firstFrame, remoteText(firstFrame, name));
            if (frameAlike.size() > alike.size())
                g = std::move(firstFrame), alike = std::move(frameAlike);
        }
        for (const auto& [key, code] : g.codes)
            if (std::find(alike.begin(), alike.end(), std::make_pair(key, code)) == alike.end())
                result.left.push_back(*key);
        g.codes = alike;
        if (!g.codes.empty())
            result.text += "\n# " + form + " keys\n" + remoteText(g, name);
    }
    return result;
}

// The carrier most keys use: one remote has one frequency.
int commonCarrier(const std::vector<ExportedKey>& keys) {
    std::map<int, int> counts;
    for (const auto& k : keys)
        ++counts[k.code.signal.carrierHz];
    int best = 38000, most = 0;
    for (const auto& [hz, n] : counts)
        if (n > most)
            best = hz, most = n;
    return best;
}

// The shortest closing silence: lircd's gap, the least silence it expects
// after a code (a longer gap makes it drop codes followed by less).
uint32_t shortestGap(const std::vector<ExportedKey>& keys) {
    uint32_t gap = 0;
    for (const auto& k : keys)
        if (!k.code.signal.durations.empty() && (gap == 0 || k.code.signal.durations.back() < gap))
            gap = k.code.signal.durations.back();
    return gap == 0 ? kTrailingSilenceUs : gap;
}

std::string rawRemote(const std::vector<ExportedKey>& keys) {
    std::ostringstream out;
    out << "\n# Keys without a form LIRC sends alike: what the URC emits for each,\n"
        << "# without its closing silence.\n"
        << "begin remote\n"
        << "  name  QZT-617\n"
        << "  flags RAW_CODES\n"
        << "  eps   " << kEps << "\n"
        << "  aeps  " << kAeps << "\n"
        << "  frequency " << commonCarrier(keys) << "\n"
        << "  gap   " << shortestGap(keys) << "\n\n"
        << "  begin raw_codes\n";
    for (const auto& k : keys) {
        out << "    name " << k.name << "\n";
        const auto& d = k.code.signal.durations;
        // lircd's raw codes end with a pulse.
        const std::size_t count = d.size() % 2 == 0 && !d.empty() ? d.size() - 1 : d.size();
        for (std::size_t i = 0; i < count; ++i)
            out << (i % kDurationsPerLine == 0 ? "      " : " ") << d[i]
                << (i % kDurationsPerLine == kDurationsPerLine - 1 || i + 1 == count ? "\n" : "");
    }
    out << "  end raw_codes\n"
        << "end remote\n";
    return out.str();
}

} // namespace

std::string lircdConf(const std::vector<ExportedKey>& keys) {
    const LircdProtocolRemotes protocols = lircdProtocolRemotes(keys);
    std::string text = "# The learned keys of a QZT-617, exported by urc-tool.\n";
    text += protocols.text;
    if (!protocols.left.empty() || protocols.text.empty())
        text += rawRemote(protocols.left);
    return text;
}

} // namespace urctool
