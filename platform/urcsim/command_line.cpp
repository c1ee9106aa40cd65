#include "platform/urcsim/command_line.h"

#include "platform/urcwire/wire_protocol.h"
#include "platform/urcsim/client.h"
#include "platform/urcsim/commands.h"

#include <iostream>

namespace urcsim {

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

Outcome ask(const Parsed& p, const std::string& request, int replyTimeoutMs) {
    ServerAnswer answer = askServer(option(p, "--socket").value_or(""), request, replyTimeoutMs);
    if (!answer.ok()) {
        std::cerr << "urc-sim: " << answer.text << "\n";
        return {answer.status, {}};
    }
    return {answer.status, answer.text};
}

} // namespace urcsim
