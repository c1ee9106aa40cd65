// learn: a key learns the code of an original remote pressed at the URC, as
// learning in the window does: the same capture loop, cut, encoding,
// conversion and storage plan, then set's checked writes.
#include "learning/code_converter.h"
#include "learning/core/capture_polling.h"
#include "learning/core/capture_text.h"
#include "urctool/command_line.h"
#include "urctool/commands.h"
#include "urctool/errors.h"
#include "urctool/held_code.h"
#include "urctool/help_texts.h"
#include "urctool/key_storage.h"
#include "urctool/learn_timeout.h"
#include "urctool/stop_signals.h"

#include <chrono>
#include <iostream>

namespace urctool {
namespace {

int64_t steadyMilliseconds() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

std::string secondsText(int seconds) {
    return std::to_string(seconds) + (seconds == 1 ? " second" : " seconds");
}

// Why no code came, as the user can act on it; empty for a code or a stop.
std::string noCodeText(learning::CaptureEnd end, int timeoutSeconds) {
    switch (end) {
    case learning::CaptureEnd::CaptureModeRefused:
        return "the URC did not go into capture mode (the device library refused it); the "
               "URC's memory was not touched";
    case learning::CaptureEnd::WindowOver:
        return "no code arrived within " + secondsText(timeoutSeconds) +
               "; the URC's memory was not touched (--timeout SECONDS waits longer)";
    case learning::CaptureEnd::LinkLost:
        return "the URC was disconnected while waiting for a code; the URC's memory was not "
               "touched";
    case learning::CaptureEnd::Captured:
    case learning::CaptureEnd::Stopped:
        break;
    }
    return {};
}

// The captured text as the window's end of capture turns it into the URC's
// code form: cut at the end marker, encoded, and converted with the carrier
// the URC measured.
std::string convertCapture(const std::string& capture) {
    const learning::EncodeResult timing =
        learning::EncodeTimings(learning::CutAtEndMarker(capture));
    if (timing.failed)
        throw ToolError("the URC's capture could not be encoded (it lacks the end marker and "
                        "carrier words, or holds words that are not hex); nothing was written");
    const std::string converted =
        learning::ConvertCodeAtCarrier(learning::converterInput(timing), timing.carrierKhz);
    if (converted.empty())
        throw ToolError(std::string("the conversion library ") + learning::kConverterLibraryFile +
                        " could not be loaded or did not convert the captured code; nothing "
                        "was written");
    return converted;
}

} // namespace

int learnCommand(device::UrcLibrary& urc, const Args& args) {
    const auto a = parseArguments(args, {"--timeout"}, {});
    if (a.has("--help"))
        return printHelp("learn");
    expectWords(a, 1, "learn KEY");
    const int timeoutSeconds = learnTimeoutSeconds(a.value("--timeout"));
    // Everything that can refuse the key is asked before the URC listens.
    const Snapshot before = readSnapshot(urc);
    const KeyInfo key = findKey(before.tables, a.words[0]);
    requireConsistent(before.memory, "as read");

    const StopSignals stop;
    const learning::CaptureOutcome outcome = learning::waitForCapture(
        urc, [&stop] { return stop.caught() != 0; }, steadyMilliseconds, timeoutSeconds * 1000LL,
        [&] {
            std::cerr << "urc-tool learn: press the key for " << keyName(key)
                      << " on the original remote, pointed at the URC; waiting up to "
                      << secondsText(timeoutSeconds) << "\n";
        });
    if (outcome.end == learning::CaptureEnd::Stopped) {
        std::cerr << "urc-tool learn: stopped by " << signalName(stop.caught())
                  << " while waiting for a code; the URC's memory was not touched\n";
        return kExitSignalBase + stop.caught();
    }
    if (outcome.end != learning::CaptureEnd::Captured)
        throw ToolError(noCodeText(outcome.end, timeoutSeconds));

    const std::string converted = convertCapture(outcome.text);
    // The claim kept every other writer out while the URC listened; the plan
    // is made from the URC as it is now all the same.
    const Snapshot s = readSnapshot(urc);
    const KeyInfo now = findKey(s.tables, key.code);
    requireConsistent(s.memory, "as read");
    storeConvertedCode(urc, s, now, converted);
    const Snapshot after = readSnapshot(urc);
    std::cout << "key " << keyName(now) << " learned "
              << summary(heldCode(after, findKey(after.tables, now.code))) << "\n";
    return kExitOk;
}

} // namespace urctool
