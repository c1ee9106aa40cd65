#include "urctool/export_formats.h"

#include "irform/protocols.h"
#include "urctool/signal_input.h"

#include <map>
#include <set>
#include <sstream>

namespace urctool {
namespace {

constexpr int kDurationsPerLine = 8;
// lircd's tolerances: relative (percent) and absolute (us).
constexpr int kEps = 30;
constexpr int kAeps = 100;

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

} // namespace

std::vector<std::string> uniqueNames(const std::vector<KeyInfo>& keys) {
    std::vector<std::string> names;
    std::set<std::string> taken;
    for (const auto& key : keys) {
        std::string name = lircName(key);
        if (taken.count(name))
            name += "_" + key.code;
        taken.insert(name);
        names.push_back(name);
    }
    return names;
}

std::string lircdConf(const std::vector<ExportedKey>& keys) {
    std::ostringstream out;
    out << "# The learned keys of a QZT-617, exported by urc-tool.\n"
        << "# Each raw code is what the URC emits for the key, without its closing\n"
        << "# silence.\n\n"
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

std::string prontoLines(const std::vector<ExportedKey>& keys) {
    std::string out;
    for (const auto& k : keys)
        out += k.name + " " + prontoText(k.code.signal) + "\n";
    return out;
}

} // namespace urctool
