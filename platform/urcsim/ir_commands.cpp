// The infrared commands: a remote's key pressed in front of the URC, the URC
// sending a stored code, and the front panel that does both with the mouse.
#include "irform/code_form.h"
#include "irform/stored_signal.h"
#include "platform/urcwire/wire_protocol.h"
#include "platform/urcsim/client.h"
#include "platform/urcsim/command_line.h"
#include "platform/urcsim/commands.h"
#include "platform/urcsim/ir_frames.h"
#include "platform/urcsim/press.h"

#include <filesystem>
#include <iostream>
#include <system_error>
#include <unistd.h>

namespace urcsim {

namespace {

constexpr long kMaxJitterPercent = 20;
constexpr long kMaxReceiverDelayUs = 500;

// The receiver seen through: a protocol press goes through a typical one,
// a raw signal is taken as captured; --delay-us, --jitter and --seed set it
// ("--delay-us 0 --jitter 0" for an exact press).
irform::ReceiverModel receiverFor(const Parsed& p, bool raw) {
    irform::ReceiverModel model = raw ? irform::kExactReceiver : irform::kTypicalReceiver;
    if (auto delay = option(p, "--delay-us"))
        model.delayUs = static_cast<uint32_t>(number(*delay, kMaxReceiverDelayUs, "--delay-us"));
    if (auto jitter = option(p, "--jitter"))
        model.jitterPercent = static_cast<double>(number(*jitter, kMaxJitterPercent, "--jitter"));
    if (auto seed = option(p, "--seed"))
        model.seed = static_cast<uint32_t>(number(*seed, 0x7FFFFFFF, "--seed"));
    return model;
}

} // namespace

int pressCommand(const Parsed& p) {
    long holdMs = kDefaultHoldMs;
    if (auto hold = option(p, "--hold-ms"))
        holdMs = number(*hold, kMaxHoldMs, "--hold-ms");
    CaptureText capture;
    if (auto raw = option(p, "--raw")) {
        expectWords(p, 0, "press --raw FILE");
        capture = rawCaptureFromFile(*raw, receiverFor(p, true));
    } else {
        if (p.words.size() != 3)
            throw UsageError{"press needs PROTOCOL DEVICE COMMAND or --raw FILE"};
        capture = protocolCapture(p.words[0], p.words[1], p.words[2], receiverFor(p, false));
        // A wrong protocol or number is a usage mistake, not a refusal by the URC.
        if (!capture.error.empty())
            throw UsageError{capture.error};
    }
    if (!capture.error.empty()) {
        std::cerr << "urc-sim: " << capture.error << "\n";
        return kExitFailed;
    }
    auto o = ask(p, pressRequest(capture.hex, holdMs));
    if (o.status == kExitOk)
        std::cout << pressOutcome(o.payload, holdMs) << "\n";
    return o.status;
}

int sendCommand(const Parsed& p) {
    expectWords(p, 1, "send");
    const std::string& code = p.words[0];
    if (code.size() != 2 || !urcwire::isHexDigits(code))
        throw UsageError{"send takes a key code of two digits, e.g. 05"};
    // A URC with a real transmitter answers once the press went out, naming
    // the device after the stored code; an emulated one answers at once.
    auto o =
        ask(p, "TRANSMIT " + code, urcwire::kReplyTimeoutMs + static_cast<int>(ir::kMaxPressMs));
    if (o.status != kExitOk)
        return o.status;
    const auto words = urcwire::splitWords(o.payload);
    if (words.size() == 3) {
        std::cerr << "urc-sim: transmitted through " << words[2] << "\n";
        o.payload = words[0] + " " + words[1];
    }
    SentCode sent = sentCode(code, o.payload);
    if (!sent.error.empty()) {
        std::cerr << "urc-sim: " << sent.error << "\n";
        return kExitFailed;
    }
    if (option(p, "--timings")) {
        // The answer is "RECORD DATA" (DATA "-" without code storage).
        const auto blank = o.payload.find(' ');
        const std::string data = o.payload.substr(blank + 1);
        const auto signal =
            irform::storedSignal(o.payload.substr(0, blank), data == "-" ? "" : data);
        if (!signal) {
            std::cerr << "urc-sim: the code stored for key " << code << " has no signal\n";
            return kExitFailed;
        }
        std::cout << irform::describeSignal(*signal) << "\n";
        return kExitOk;
    }
    std::cout << sent.description << "\n";
    return kExitOk;
}

namespace {

// The panel is a Qt program of its own, so that `urc-sim serve` stays free of
// the window system; it is installed beside urc-sim.
std::filesystem::path panelProgram() {
    std::error_code error;
    auto self = std::filesystem::read_symlink("/proc/self/exe", error);
    if (error)
        return {};
    return self.parent_path() / "urc-sim-panel";
}

} // namespace

int panelCommand(const Parsed& p) {
    expectWords(p, 0, "panel");
    const auto program = panelProgram();
    if (program.empty() || ::access(program.c_str(), X_OK) != 0) {
        std::cerr << "urc-sim: the front panel program urc-sim-panel is not beside urc-sim"
                  << (program.empty() ? std::string() : " (looked for " + program.string() + ")")
                  << "\n";
        return kExitFailed;
    }
    std::vector<std::string> args = {program.string()};
    if (auto socket = option(p, "--socket")) {
        args.push_back("--socket");
        args.push_back(*socket);
    }
    std::vector<char*> argv;
    for (auto& a : args)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    ::execv(argv[0], argv.data());
    std::cerr << "urc-sim: cannot start " << program.string() << "\n";
    return kExitFailed;
}

} // namespace urcsim
