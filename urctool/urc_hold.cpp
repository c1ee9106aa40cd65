#include "urctool/urc_hold.h"

#include "urctool/errors.h"

#include <algorithm>
#include <chrono>
#include <iostream>

namespace urctool {
namespace {

constexpr std::chrono::seconds kReadersWait{5};

bool writes(const std::string& command, const Args& args) {
    // An import's dry run only reads.
    if (command == "import")
        return std::find(args.begin(), args.end(), "--dry-run") == args.end();
    return command == "restore" || command == "set" || command == "learn" || command == "clear";
}

int parseSeconds(const std::string& text) {
    const bool digits =
        !text.empty() && text.size() <= 4 &&
        std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
    if (!digits || std::stoi(text) > kLongestWait)
        throw UsageError("--wait takes whole seconds from 0 to " + std::to_string(kLongestWait) +
                         ", not \"" + text + "\"");
    return std::stoi(text);
}

// Takes --wait SECONDS (or --wait=SECONDS) out of the arguments; options end
// at "--".
int takeWait(Args& args) {
    int seconds = 0;
    for (std::size_t i = 0; i < args.size() && args[i] != "--";) {
        if (args[i] == "--wait") {
            if (i + 1 >= args.size())
                throw UsageError("--wait needs a value");
            seconds = parseSeconds(args[i + 1]);
            args.erase(args.begin() + static_cast<std::ptrdiff_t>(i),
                       args.begin() + static_cast<std::ptrdiff_t>(i) + 2);
        } else if (args[i].rfind("--wait=", 0) == 0) {
            seconds = parseSeconds(args[i].substr(7));
            args.erase(args.begin() + static_cast<std::ptrdiff_t>(i));
        } else {
            ++i;
        }
    }
    return seconds;
}

urcclaim::UrcLock takeOrRefuse(const urcclaim::ClaimKey& key, urcclaim::Hold hold,
                               const std::string& command, bool writing,
                               std::chrono::steady_clock::time_point deadline) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        deadline - std::chrono::steady_clock::now());
    auto lock =
        urcclaim::take(key, hold, urcclaim::thisProcess("urc-tool", command),
                       std::max(left, std::chrono::milliseconds(0)), [&](const std::string& why) {
                           std::cerr << "urc-tool " << command << ": " << why
                                     << "; waiting for it\n";
                       });
    if (lock.held())
        return lock;
    const std::string nothing = writing ? "nothing was written" : "nothing was read";
    if (!lock.busy())
        throw ToolError("cannot claim the URC: " + lock.refusal() + "; " + nothing);
    throw ToolError(
        lock.refusal() + "; " + nothing +
        (left.count() > 0 ? " (it did not let go in time)" : " (--wait SECONDS waits for it)"));
}

} // namespace

HeldUrc holdUrcFor(const std::string& command, const Args& args) {
    HeldUrc held{args, {}};
    const int seconds = takeWait(held.arguments);
    if (std::find(held.arguments.begin(), held.arguments.end(), "--help") != held.arguments.end())
        return held;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
    const urcclaim::ClaimKey key = urcclaim::keyForLinkedUrc();
    if (writes(command, held.arguments)) {
        held.locks.push_back(takeOrRefuse(key, urcclaim::Hold::Own, command, true, deadline));
        // Readers own nothing and end by themselves: the owner gives them a
        // moment to finish whatever --wait says.
        held.locks.push_back(
            takeOrRefuse(key, urcclaim::Hold::Write, command, true,
                         std::max(deadline, std::chrono::steady_clock::now() + kReadersWait)));
    } else {
        held.locks.push_back(takeOrRefuse(key, urcclaim::Hold::Read, command, false, deadline));
    }
    return held;
}

} // namespace urctool
