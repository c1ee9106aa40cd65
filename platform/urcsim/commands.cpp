#include "platform/urcsim/commands.h"

#include "platform/urcmem/factory_image.h"
#include "platform/urcmem/image_check.h"
#include "platform/urcmem/image_file.h"
#include "platform/urcmem/socket_path.h"
#include "platform/urcmem/wire_protocol.h"
#include "platform/urcsim/press.h"
#include "platform/urcsim/server.h"

#include <cstdio>
#include <iostream>
#include <map>
#include <optional>

namespace urcsim {

namespace {

constexpr int kDefaultHoldMs = 2000;

struct UsageError {
    std::string message;
};

// Splits "--name value" options from the words; only the given names are accepted.
struct Parsed {
    std::vector<std::string> words;
    std::map<std::string, std::string> options;
};

Parsed parse(const std::vector<std::string>& args, std::initializer_list<const char*> names) {
    Parsed parsed;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (!a.starts_with("--")) {
            parsed.words.push_back(a);
            continue;
        }
        bool known = false;
        for (const char* name : names)
            known = known || a == name;
        if (!known)
            throw UsageError{"unknown option " + a};
        if (i + 1 >= args.size())
            throw UsageError{a + " needs a value"};
        parsed.options[a] = args[++i];
    }
    return parsed;
}

void expectWords(const Parsed& p, std::size_t count, const std::string& command) {
    if (p.words.size() != count)
        throw UsageError{command + " takes " + std::to_string(count) + " argument" +
                         (count == 1 ? "" : "s")};
}

std::optional<std::string> option(const Parsed& p, const std::string& name) {
    auto it = p.options.find(name);
    if (it == p.options.end())
        return std::nullopt;
    return it->second;
}

long number(const std::string& text, long limit, const std::string& what) {
    auto value = urcwire::parseDecimal(text, limit);
    if (!value)
        throw UsageError{what + " must be a whole number from 0 to " + std::to_string(limit)};
    return *value;
}

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

// Sends one request to the running server and reports the outcome.
struct Outcome {
    int status;
    std::string payload;
};

Outcome ask(const Parsed& p, const std::string& request) {
    std::string path;
    if (auto given = option(p, "--socket")) {
        path = *given;
    } else {
        auto resolved = urcwire::resolveSocketPath(false);
        if (resolved.path.empty()) {
            std::cerr << "urc-sim: " << resolved.error << "\n";
            return {kExitNoServer, {}};
        }
        path = resolved.path;
    }
    auto reply = urcwire::call(path, request);
    switch (reply.status) {
    case urcwire::CallStatus::Ok:
        return {kExitOk, reply.text};
    case urcwire::CallStatus::Refused:
        std::cerr << "urc-sim: " << reply.text << "\n";
        return {kExitFailed, {}};
    case urcwire::CallStatus::NoServer:
        std::cerr << "urc-sim: no URC server is running on " << path
                  << " (start one with: urc-sim serve)\n";
        return {kExitNoServer, {}};
    case urcwire::CallStatus::Failed:
        break;
    }
    std::cerr << "urc-sim: " << reply.text << "\n";
    return {kExitFailed, {}};
}

int printed(const Outcome& o) {
    if (o.status == kExitOk && !o.payload.empty())
        std::cout << o.payload << "\n";
    return o.status;
}

int serveCommand(const std::vector<std::string>& args) {
    auto p = parse(args, {"--image", "--socket", "--profile", "--latency-ms"});
    expectWords(p, 0, "serve");
    ServeOptions options;
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
    // Fields arrive as name=value separated by tabs.
    std::size_t start = 0;
    while (start <= o.payload.size()) {
        auto end = o.payload.find('\t', start);
        std::string field = o.payload.substr(start, end - start);
        auto eq = field.find('=');
        std::cout << field.substr(0, eq) << ": " << field.substr(eq + 1) << "\n";
        if (end == std::string::npos)
            break;
        start = end + 1;
    }
    return kExitOk;
}

int pressCommand(const Parsed& p) {
    auto raw = option(p, "--raw");
    if (!raw)
        throw UsageError{"press needs --raw FILE"};
    expectWords(p, 0, "press --raw FILE");
    long holdMs = kDefaultHoldMs;
    if (auto hold = option(p, "--hold-ms"))
        holdMs = number(*hold, 600000, "--hold-ms");
    CaptureText capture = rawCaptureFromFile(*raw);
    if (!capture.error.empty()) {
        std::cerr << "urc-sim: " << capture.error << "\n";
        return kExitFailed;
    }
    auto o = ask(p, "PRESS " + std::to_string(holdMs) + " " + capture.hex);
    if (o.status == kExitOk)
        std::cout << (o.payload == "captured" ? "key pressed; the URC captured it\n"
                                              : "key held for " + std::to_string(holdMs) +
                                                    " ms; the URC captures it if put in "
                                                    "capture mode meanwhile\n");
    return o.status;
}

int clientCommand(const std::string& command, const std::vector<std::string>& args) {
    auto p = parse(args, {"--socket", "--image", "--raw", "--hold-ms"});
    if (command != "check" && option(p, "--image"))
        throw UsageError{"--image belongs to serve and check"};
    if (command != "press" && (option(p, "--raw") || option(p, "--hold-ms")))
        throw UsageError{"--raw and --hold-ms belong to press"};
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
    if (command == "fail") {
        expectWords(p, 2, "fail");
        const std::string& kind = p.words[0];
        if (kind != "reads" && kind != "writes" && kind != "capture")
            throw UsageError{"fail takes reads, writes or capture"};
        number(p.words[1], 1000000, "N");
        return printed(ask(p, "FAIL " + kind + " " + p.words[1]));
    }
    if (command == "status")
        return statusCommand(p);
    if (command == "latency") {
        expectWords(p, 1, "latency");
        number(p.words[0], 1000, "MS");
        return printed(ask(p, "LATENCY " + p.words[0]));
    }
    if (command == "press")
        return pressCommand(p);
    throw UsageError{"unknown command " + command};
}

} // namespace

std::string usage() {
    return "usage: urc-sim serve [--image FILE] [--socket PATH] [--profile NAME] [--latency-ms N]\n"
           "       urc-sim plug | unplug | status | check [--image FILE]\n"
           "       urc-sim dump ADDR LEN          (hexadecimal)\n"
           "       urc-sim identity HEX30\n"
           "       urc-sim fail reads|writes|capture N\n"
           "       urc-sim latency MS\n"
           "       urc-sim press --raw FILE [--hold-ms N]\n"
           "Client commands take --socket PATH; otherwise QZT617_URC_SOCKET, then\n"
           "$XDG_RUNTIME_DIR/qzt617/urc.sock, then /tmp/qzt617-<uid>/urc.sock.\n"
           "Profiles: good, outdated, wrong-type, fw0, fw10, fw15, fw2, bad-version.\n";
}

int runCommand(const std::vector<std::string>& args) {
    try {
        if (args.empty())
            throw UsageError{"no command given"};
        if (args[0] == "--help" || args[0] == "help") {
            std::cout << usage();
            return kExitOk;
        }
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
