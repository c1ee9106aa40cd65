#include "urctool/lircd_conf.h"

#include "common/hex_text.h"
#include "urctool/errors.h"
#include "urctool/signal_input.h"

#include <algorithm>
#include <charconv>
#include <map>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

namespace urctool {
namespace {

using Words = std::vector<std::string>;
constexpr int kLircdDefaultCarrierHz = 38000;
constexpr int kMaxBits = 64;

Words wordsOf(const std::string& line) {
    std::istringstream in(line.substr(0, line.find('#')));
    Words words;
    for (std::string w; in >> w;)
        words.push_back(w);
    return words;
}

// One remote as read: its parameters (name -> values), and its keys.
struct Remote {
    std::map<std::string, Words> parameters;
    std::map<std::string, uint64_t> codes;                 // codes section
    std::map<std::string, std::vector<uint32_t>> rawCodes; // raw_codes section
};

uint64_t value(const Remote& r, const std::string& name, std::size_t index = 0) {
    const auto found = r.parameters.find(name);
    if (found == r.parameters.end() || found->second.size() <= index)
        return 0;
    const auto v = hextext::parseNumber(found->second[index]);
    if (!v)
        throw UsageError("the lircd.conf's " + name + " is not a number: " + found->second[index]);
    return *v;
}

// A duration parameter (header, one, gap, ...), refused past what any input may
// give rather than cut to 32 bits.
uint64_t duration(const Remote& r, const std::string& name, std::size_t index = 0) {
    const uint64_t us = value(r, name, index);
    if (us > kMaxDurationUs)
        throw UsageError("the lircd.conf's " + name + " " + std::to_string(us) +
                         " us: durations go up to " + std::to_string(kMaxDurationUs) + " us");
    return us;
}

int carrierOf(const Remote& r) {
    if (!r.parameters.count("frequency"))
        return kLircdDefaultCarrierHz;
    const uint64_t hz = value(r, "frequency");
    if (hz < static_cast<uint64_t>(kMinCarrierHz) || hz > static_cast<uint64_t>(kMaxCarrierHz))
        throw UsageError("the lircd.conf's frequency " + std::to_string(hz) +
                         " Hz: the carrier must be " + std::to_string(kMinCarrierHz) + " to " +
                         std::to_string(kMaxCarrierHz) + " Hz");
    return static_cast<int>(hz);
}

// Text only: a NUL would also end every message quoting the file early.
void requireText(std::string_view conf) {
    const std::size_t nul = conf.find('\0');
    if (nul == std::string_view::npos)
        return;
    const auto line = 1 + std::count(conf.begin(), conf.begin() + static_cast<long>(nul), '\n');
    throw UsageError("the lircd.conf holds a NUL character (byte " + std::to_string(nul + 1) +
                     ", line " + std::to_string(line) + "); a lircd.conf is text");
}

std::vector<Remote> readRemotes(std::string_view conf) {
    std::vector<Remote> remotes;
    enum class Section { None, Remote, Codes, Raw } section = Section::None;
    std::string rawName;
    std::istringstream lines{std::string(conf)};
    for (std::string line; std::getline(lines, line);) {
        const Words w = wordsOf(line);
        if (w.empty())
            continue;
        if (w[0] == "begin" && w.size() > 1) {
            if (w[1] == "remote")
                remotes.emplace_back(), section = Section::Remote;
            else if (section != Section::None && w[1] == "codes")
                section = Section::Codes;
            else if (section != Section::None && w[1] == "raw_codes")
                section = Section::Raw;
        } else if (w[0] == "end" && w.size() > 1) {
            section = w[1] == "remote" ? Section::None : Section::Remote;
        } else if (section == Section::Remote) {
            remotes.back().parameters[w[0]] = Words(w.begin() + 1, w.end());
        } else if (section == Section::Codes && w.size() >= 2) {
            const auto code = hextext::parseNumber(w[1]);
            if (!code)
                throw UsageError("the lircd.conf's code " + w[0] + " is not a number: " + w[1]);
            remotes.back().codes.emplace(w[0], *code);
        } else if (section == Section::Raw) {
            if (w[0] == "name") {
                rawName = w.size() > 1 ? w[1] : "";
                remotes.back().rawCodes[rawName];
                continue;
            }
            for (const auto& word : w) {
                const auto us = hextext::parseNumber(word);
                if (!us)
                    throw UsageError("the raw code " + rawName + " holds " + word +
                                     ", which is not a duration");
                if (*us > kMaxDurationUs)
                    throw UsageError("the raw code " + rawName + " holds " + word +
                                     " us: durations go up to " + std::to_string(kMaxDurationUs) +
                                     " us");
                remotes.back().rawCodes[rawName].push_back(static_cast<uint32_t>(*us));
            }
        }
    }
    return remotes;
}

// Appends a pulse or a space, joining it to the last one of its kind (a sum
// past 32 bits stays at the largest value, which the duration check refuses).
void add(std::vector<uint32_t>& d, bool pulse, uint64_t us) {
    if (us == 0)
        return;
    if (!d.empty() && (d.size() % 2 == 1) == pulse)
        d.back() = static_cast<uint32_t>(std::min<uint64_t>(d.back() + us, UINT32_MAX));
    else if (d.empty() && !pulse)
        return; // a signal begins with a pulse
    else
        d.push_back(static_cast<uint32_t>(us));
}

void addPair(std::vector<uint32_t>& d, const Remote& r, const std::string& name) {
    add(d, true, duration(r, name, 0));
    add(d, false, duration(r, name, 1));
}

void addBits(std::vector<uint32_t>& d, const Remote& r, uint64_t bits, uint64_t count) {
    for (uint64_t i = count; i-- > 0;)
        addPair(d, r, (bits >> i) & 1 ? "one" : "zero");
}

std::vector<uint32_t> spaceEncoded(const Remote& r, uint64_t code) {
    const uint64_t bits = value(r, "bits"), pre = value(r, "pre_data_bits"),
                   post = value(r, "post_data_bits");
    if (bits + pre + post == 0 || bits > kMaxBits || pre > kMaxBits || post > kMaxBits)
        throw UsageError("the lircd.conf's bit counts are missing or too large");
    std::vector<uint32_t> d;
    addPair(d, r, "header");
    add(d, true, duration(r, "plead"));
    addBits(d, r, value(r, "pre_data"), pre);
    addPair(d, r, "pre");
    addBits(d, r, code, bits);
    addPair(d, r, "post");
    addBits(d, r, value(r, "post_data"), post);
    add(d, true, duration(r, "ptrail"));
    uint64_t gap = duration(r, "gap");
    const auto& flags = r.parameters.count("flags") ? r.parameters.at("flags") : Words{};
    const std::string flagText = flags.empty() ? "" : flags[0];
    if (flagText.find("CONST_LENGTH") != std::string::npos) {
        uint64_t sent = 0;
        for (uint32_t us : d)
            sent += us;
        gap = gap > sent ? gap - sent : 0;
    }
    add(d, false, gap);
    return d;
}

void requireSpaceEncoding(const Remote& r) {
    const auto found = r.parameters.find("flags");
    const std::string flags =
        found == r.parameters.end() || found->second.empty() ? std::string() : found->second[0];
    std::istringstream parts(flags);
    for (std::string flag; std::getline(parts, flag, '|');)
        if (flag != "SPACE_ENC" && flag != "CONST_LENGTH" && !flag.empty())
            throw UsageError("the lircd.conf's remote uses " + flag +
                             "; only SPACE_ENC codes and raw codes are read");
}

} // namespace

irform::Signal signalFromLircd(std::string_view conf, std::string_view name) {
    requireText(conf);
    const std::string key(name);
    for (const Remote& r : readRemotes(conf)) {
        const auto raw = r.rawCodes.find(key);
        const auto code = r.codes.find(key);
        if (raw == r.rawCodes.end() && code == r.codes.end())
            continue;
        irform::Signal signal;
        signal.carrierHz = carrierOf(r);
        if (raw != r.rawCodes.end()) {
            signal.durations = raw->second;
            if (signal.durations.size() % 2 == 1 && duration(r, "gap") > 0)
                add(signal.durations, false, duration(r, "gap"));
        } else {
            requireSpaceEncoding(r);
            signal.durations = spaceEncoded(r, code->second);
        }
        return finishedSignal(signal, "the lircd.conf's key " + key);
    }
    throw UsageError("the lircd.conf has no key named " + key);
}

LircdRemote remoteFromLircd(std::string_view conf, std::string_view remote) {
    requireText(conf);
    const auto remotes = readRemotes(conf);
    for (const Remote& r : remotes) {
        const auto name = r.parameters.find("name");
        const std::string remoteName =
            name == r.parameters.end() || name->second.empty() ? "" : name->second[0];
        if (!remote.empty() && remoteName != remote)
            continue;
        LircdRemote found{remoteName, {}};
        for (const auto& [key, durations] : r.rawCodes)
            found.codes.push_back({key, signalFromLircd(conf, key)});
        for (const auto& [key, code] : r.codes)
            found.codes.push_back({key, signalFromLircd(conf, key)});
        return found;
    }
    throw UsageError(remote.empty() ? std::string("the lircd.conf holds no remote")
                                    : "the lircd.conf has no remote named " + std::string(remote));
}

} // namespace urctool
