#include "urctool/lircd_conf.h"

#include "urctool/errors.h"
#include "urctool/lirc_library.h"
#include "urctool/lircd_conf_check.h"
#include "urctool/signal_input.h"

#include <algorithm>

namespace urctool {
namespace {

// Text only: a NUL would also end every message quoting the file early.
void requireText(std::string_view conf) {
    const std::size_t nul = conf.find('\0');
    if (nul == std::string_view::npos)
        return;
    const auto line = 1 + std::count(conf.begin(), conf.begin() + static_cast<long>(nul), '\n');
    throw UsageError("the lircd.conf holds a NUL character (byte " + std::to_string(nul + 1) +
                     ", line " + std::to_string(line) + "); a lircd.conf is text");
}

std::string joined(const std::vector<std::string>& texts, const char* separator) {
    std::string text;
    for (const auto& t : texts)
        text += (text.empty() ? "" : separator) + t;
    return text;
}

// LIRC's remotes, checked, in the file's order (LIRC sorts them its way).
std::vector<LibraryRemote> remotesOf(std::string_view conf) {
    requireText(conf);
    const std::vector<std::string> names = checkedRemoteNames(conf);
    LibraryRead read = readWithLirc(conf);
    if (!read.errors.empty())
        throw UsageError("LIRC cannot read the lircd.conf: " + joined(read.errors, " "));
    if (!read.changedValues.empty())
        throw UsageError("LIRC would change the lircd.conf to read it (" +
                         joined(read.changedValues, "; ") + "); nothing was read");
    std::vector<LibraryRemote> ordered;
    for (const auto& name : names) {
        const auto found = std::find_if(read.remotes.begin(), read.remotes.end(),
                                        [&](const LibraryRemote& r) { return r.name == name; });
        if (found != read.remotes.end()) {
            ordered.push_back(std::move(*found));
            read.remotes.erase(found);
        }
    }
    for (auto& left : read.remotes) // a name the scan read otherwise
        ordered.push_back(std::move(left));
    return ordered;
}

irform::Signal signalOf(const LibraryRemote& remote, const LibraryCode& code) {
    if (!code.problem.empty())
        throw UsageError("LIRC cannot send the key " + code.name + " of the lircd.conf's remote " +
                         remote.name + ": " + code.problem);
    irform::Signal signal;
    signal.carrierHz = static_cast<int>(remote.frequencyHz);
    signal.durations = code.press;
    return finishedSignal(signal, "the lircd.conf's key " + code.name);
}

} // namespace

irform::Signal signalFromLircd(std::string_view conf, std::string_view name) {
    for (const auto& remote : remotesOf(conf))
        for (const auto& code : remote.codes)
            if (code.name == name)
                return signalOf(remote, code);
    throw UsageError("the lircd.conf has no key named " + std::string(name));
}

LircdRemote remoteFromLircd(std::string_view conf, std::string_view remote) {
    const auto remotes = remotesOf(conf);
    if (remotes.empty())
        throw UsageError("the lircd.conf holds no remote");
    std::vector<std::string> names;
    for (const auto& r : remotes) {
        if (!remote.empty() && r.name != remote) {
            names.push_back(r.name);
            continue;
        }
        LircdRemote found{r.name, {}};
        for (const auto& code : r.codes)
            found.codes.push_back({code.name, signalOf(r, code)});
        return found;
    }
    throw UsageError("the lircd.conf has no remote named " + std::string(remote) +
                     " (its remotes: " + joined(names, ", ") + ")");
}

} // namespace urctool
