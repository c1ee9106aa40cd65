#pragma once
// The pieces every urc-sim command uses to read its arguments.
#include "platform/urcwire/wire_protocol.h"

#include <initializer_list>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace urcsim {

// Thrown for arguments that make no sense; the message goes to the user with the usage.
struct UsageError {
    std::string message;
};

// The words and the "--name value" options of a command line.
struct Parsed {
    std::vector<std::string> words;
    std::map<std::string, std::string> options;
};

// Only the given option names are accepted; each takes a value.
Parsed parse(const std::vector<std::string>& args, std::initializer_list<const char*> names);
void expectWords(const Parsed& p, std::size_t count, const std::string& command);
std::optional<std::string> option(const Parsed& p, const std::string& name);
// A whole decimal number 0..limit, else a UsageError naming `what`.
long number(const std::string& text, long limit, const std::string& what);

// Sends one request to the server of --socket (else the default one); prints
// the reason to stderr when it fails.
struct Outcome {
    int status;
    std::string payload;
};
Outcome ask(const Parsed& p, const std::string& request,
            int replyTimeoutMs = urcwire::kReplyTimeoutMs);

// The commands about infrared: press, send and the front panel.
int pressCommand(const Parsed& p);
int sendCommand(const Parsed& p);
int panelCommand(const Parsed& p);

} // namespace urcsim
