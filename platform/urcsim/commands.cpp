#include "platform/urcsim/commands.h"

#include "urcmem/factory_image.h"
#include "urcmem/image_check.h"
#include "urcmem/image_file.h"
#include "platform/urcwire/socket_path.h"
#include "platform/urcwire/wire_protocol.h"
#include "platform/urcsim/client.h"
#include "platform/urcsim/command_line.h"
#include "platform/urcsim/device.h"
#include "platform/urcsim/server.h"
#include "platform/urcsim/usb_gadget.h"

#include <algorithm>
#include <cstdio>
#include <iostream>

namespace urcsim {

namespace {

std::string hexLimit(long limit) {
    char text[16];
    std::snprintf(text, sizeof text, "%lX", limit);
    return text;
}

// A hexadecimal number, with or without "0x".
long hexNumber(std::string text, long limit, const std::string& what) {
    if (text.starts_with("0x") || text.starts_with("0X"))
        text = text.substr(2);
    if (text.empty() || text.size() > 5 || !urcwire::isHexDigits(text))
        throw UsageError{what + " must be a hexadecimal number"};
    long value = std::stol(text, nullptr, 16);
    if (value > limit)
        throw UsageError{what + " may be at most 0x" + hexLimit(limit)};
    return value;
}

int printed(const Outcome& o) {
    if (o.status == kExitOk && !o.payload.empty())
        std::cout << o.payload << "\n";
    return o.status;
}

// --ir DEVICE receives and transmits on one device; --ir-rx and --ir-tx
// name two (either alone is fine).
void setInfraredOptions(const Parsed& p, ServeOptions& options) {
    for (const char* name : {"--ir", "--ir-rx", "--ir-tx"})
        if (auto path = option(p, name); path && path->empty())
            throw UsageError{std::string(name) + " needs a device, e.g. /dev/lirc0"};
    const auto both = option(p, "--ir");
    if (both && (option(p, "--ir-rx") || option(p, "--ir-tx")))
        throw UsageError{"--ir names one device for both ways; use either it or --ir-rx/--ir-tx"};
    options.irReceiver = both.value_or(option(p, "--ir-rx").value_or(""));
    options.irTransmitter = both.value_or(option(p, "--ir-tx").value_or(""));
}

// serve's USB gadget options, taken out before the others are read: the
// flag --usb-gadget has no value.
std::vector<std::string> takeUsbOptions(std::vector<std::string> args, ServeOptions& options) {
    options.usbGadget = std::erase(args, "--usb-gadget") > 0;
    for (const char* name : {"--udc", "--serial"}) {
        auto at = std::find(args.begin(), args.end(), name);
        if (at == args.end())
            continue;
        if (at + 1 == args.end() || (at + 1)->empty())
            throw UsageError{std::string(name) + " needs a value"};
        (std::string_view(name) == "--udc" ? options.udc : options.serial) = *(at + 1);
        args.erase(at, at + 2);
    }
    if (!options.usbGadget && (!options.udc.empty() || !options.serial.empty()))
        throw UsageError{"--udc and --serial belong to --usb-gadget"};
    if (!options.serial.empty())
        if (auto problem = serialProblem(options.serial); !problem.empty())
            throw UsageError{"--serial: " + problem};
    return args;
}

int serveCommand(const std::vector<std::string>& givenArgs) {
    ServeOptions options;
    const auto args = takeUsbOptions(givenArgs, options);
    auto p = parse(args, {"--image", "--socket", "--profile", "--latency-ms", "--ir",
                           "--ir-rx", "--ir-tx"});
    expectWords(p, 0, "serve");
    options.imagePath = option(p, "--image").value_or("");
    options.socketPath = option(p, "--socket").value_or("");
    options.profile = option(p, "--profile").value_or("good");
    if (!urcmem::findProfile(options.profile)) {
        std::string names;
        for (auto n : urcmem::profileNames())
            names += (names.empty() ? "" : ", ") + std::string(n);
        throw UsageError{"unknown profile " + options.profile + " (one of " + names + ")"};
    }
    if (auto ms = option(p, "--latency-ms"))
        options.latencyMs = static_cast<int>(number(*ms, 1000, "--latency-ms"));
    else if (options.usbGadget)
        options.latencyMs = 0; // a real link takes its own time
    setInfraredOptions(p, options);
    return serve(options);
}

int checkCommand(const Parsed& p) {
    expectWords(p, 0, "check");
    if (auto image = option(p, "--image")) {
        auto loaded = urcmem::loadImage(*image);
        if (!loaded.memory) {
            std::cerr << "urc-sim: " << loaded.error << "\n";
            return kExitFailed;
        }
        if (auto problem = urcmem::checkImage(*loaded.memory)) {
            std::cerr << "urc-sim: check failed: " << *problem << "\n";
            return kExitFailed;
        }
        std::cout << "ok\n";
        return kExitOk;
    }
    auto o = ask(p, "CHECK");
    return printed(o);
}

int statusCommand(const Parsed& p) {
    expectWords(p, 0, "status");
    auto o = ask(p, "STATUS");
    if (o.status != kExitOk)
        return o.status;
    for (const auto& [name, value] : statusFields(o.payload))
        std::cout << name << ": " << value << "\n";
    return kExitOk;
}

// fail KIND N [--after K]: the K operations of that kind that come next still
// succeed, then N fail.
int failCommand(const Parsed& p) {
    expectWords(p, 2, "fail");
    const std::string& kind = p.words[0];
    if (kind != "reads" && kind != "writes" && kind != "capture")
        throw UsageError{"fail takes reads, writes or capture"};
    long count = number(p.words[1], kMaxInjectedFaults, "N");
    long after = number(option(p, "--after").value_or("0"), kMaxInjectedFaults, "--after K");
    return printed(
        ask(p, "FAIL " + kind + " " + std::to_string(count) + " " + std::to_string(after)));
}

int clientCommand(const std::string& command, std::vector<std::string> args) {
    // The one option without a value: send's --timings.
    const bool timings = std::erase(args, "--timings") > 0;
    auto p = parse(args, {"--socket", "--image", "--raw", "--hold-ms", "--after", "--jitter",
                          "--seed", "--delay-us"});
    if (command != "check" && option(p, "--image"))
        throw UsageError{"--image belongs to serve and check"};
    if (command != "press" && (option(p, "--raw") || option(p, "--hold-ms")))
        throw UsageError{"--raw and --hold-ms belong to press"};
    if (command != "press" &&
        (option(p, "--jitter") || option(p, "--seed") || option(p, "--delay-us")))
        throw UsageError{"--jitter, --seed and --delay-us belong to press"};
    if (timings && command != "send")
        throw UsageError{"--timings belongs to send"};
    if (timings)
        p.options["--timings"] = "";
    if (command == "plug" || command == "unplug") {
        expectWords(p, 0, command);
        return printed(ask(p, command == "plug" ? "PLUG" : "UNPLUG"));
    }
    if (command == "dump") {
        expectWords(p, 2, "dump");
        long address = hexNumber(p.words[0], 0xFFFF, "ADDR");
        long length = hexNumber(p.words[1], 0x10000, "LEN");
        if (address + length > 0x10000)
            throw UsageError{"the range passes the end of memory 0xFFFF"};
        return printed(ask(p, "DUMP " + std::to_string(address) + " " + std::to_string(length)));
    }
    if (command == "check")
        return checkCommand(p);
    if (command == "identity") {
        expectWords(p, 1, "identity");
        if (p.words[0].size() != 30 || !urcwire::isHexDigits(p.words[0]))
            throw UsageError{"identity takes 30 hexadecimal digits"};
        return printed(ask(p, "IDENTITY " + p.words[0]));
    }
    if (command == "fail")
        return failCommand(p);
    if (command == "status")
        return statusCommand(p);
    if (command == "latency") {
        expectWords(p, 1, "latency");
        number(p.words[0], 1000, "MS");
        return printed(ask(p, "LATENCY " + p.words[0]));
    }
    if (command == "press")
        return pressCommand(p);
    if (command == "send")
        return sendCommand(p);
    if (command == "panel")
        return panelCommand(p);
    throw UsageError{"unknown command " + command};
}

} // namespace

// Laid out as help2man reads it: the forms of the command ("or:" lines),
// then what they do, so that the manual page made from it stays readable.
std::string usage() {
    return "Usage: urc-sim serve [--image FILE] [--socket PATH] [--profile NAME] [--latency-ms N]\n"
           "                     [--ir DEVICE | --ir-rx DEVICE --ir-tx DEVICE]\n"
           "  or:  urc-sim serve --usb-gadget [--udc NAME] [--serial TEXT] [serve's options]\n"
           "  or:  urc-sim plug | unplug | status | check [--image FILE]\n"
           "  or:  urc-sim dump ADDR LEN\n"
           "  or:  urc-sim identity HEX30\n"
           "  or:  urc-sim fail reads|writes|capture N [--after K]\n"
           "  or:  urc-sim latency MS\n"
           "  or:  urc-sim press PROTOCOL DEVICE COMMAND [--hold-ms N] [RECEIVER]\n"
           "  or:  urc-sim press --raw FILE [--hold-ms N] [RECEIVER]\n"
           "  or:  urc-sim send CODE [--timings]\n"
           "  or:  urc-sim panel\n"
           "  or:  urc-sim --help | --version\n"
           "\n"
           "Commands:\n"
           "  serve --usb-gadget\n"
           "                    also a USB HID gadget through configfs (needs root):\n"
           "                    bound to the device controller NAME (default: the first\n"
           "                    in /sys/class/udc), serial TEXT (default: made from the\n"
           "                    image's path), no emulated latency unless --latency-ms;\n"
           "                    plug and unplug bind and unbind it; removed at the end\n"
           "  dump ADDR LEN     ADDR and LEN are hexadecimal\n"
           "  fail ...          the next N such operations fail, after K more succeed\n"
           "  press ...         PROTOCOL: a built-in form (nec, necx, rc5, lg, ..., xmp);\n"
           "                    DEVICE and COMMAND decimal or 0x hex; --raw FILE: capture hex\n"
           "                    text, or \"raw 38000 +9000 -4500 ...\"; RECEIVER:\n"
           "                    [--delay-us US] [--jitter PCT] [--seed N], the receiver's\n"
           "                    delay and jitter (protocols: 40 us, 3 %; raw: none)\n"
           "  send CODE         what the URC sends for a key code, e.g. 05; --timings: the\n"
           "                    signal as \"raw FREQ +mark -space ...\"\n"
           "  panel             the front panel window\n"
           "  serve --ir ...    real infrared on a kernel LIRC device (/dev/lircN): capture\n"
           "                    mode records what it receives, send transmits the key;\n"
           "                    --ir-rx/--ir-tx for a receiver and a transmitter apart\n"
           "\n"
           "Client commands take --socket PATH; otherwise QZT617_URC_SOCKET, then\n"
           "$XDG_RUNTIME_DIR/qzt617/urc.sock, then /tmp/qzt617-<uid>/urc.sock.\n"
           "Profiles: good, outdated, wrong-type, fw0, fw10, fw15, fw2, bad-version.\n";
}

int runCommand(const std::vector<std::string>& args) {
    try {
        if (args.empty())
            throw UsageError{"no command given"};
        if (args[0] == "--help" || args[0] == "-h" || args[0] == "help") {
            std::cout << usage();
            return kExitOk;
        }
        if (args[0] == "--version" || args[0] == "-v") {
            std::cout << "urc-sim " << QZT617_VERSION << "\n";
            return kExitOk;
        }
        if (args[0].starts_with("-"))
            throw UsageError{"unknown option " + args[0]};
        const std::vector<std::string> rest(args.begin() + 1, args.end());
        if (args[0] == "serve")
            return serveCommand(rest);
        return clientCommand(args[0], rest);
    } catch (const UsageError& e) {
        std::cerr << "urc-sim: " << e.message << "\n" << usage();
        return kExitUsage;
    }
}

} // namespace urcsim
