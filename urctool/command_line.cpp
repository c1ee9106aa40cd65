#include "urctool/command_line.h"

#include "urctool/errors.h"

namespace urctool {

std::optional<std::string> Arguments::value(const std::string& option) const {
    const auto found = values.find(option);
    if (found == values.end())
        return std::nullopt;
    return found->second;
}

Arguments parseArguments(const std::vector<std::string>& args,
                         const std::set<std::string>& valueOptions,
                         const std::set<std::string>& flagOptions) {
    Arguments out;
    bool optionsEnded = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (optionsEnded || arg.size() < 2 || arg[0] != '-' || arg == "-") {
            out.words.push_back(arg);
            continue;
        }
        if (arg == "--") {
            optionsEnded = true;
            continue;
        }
        const auto equals = arg.find('=');
        const std::string name = arg.substr(0, equals);
        if (valueOptions.count(name)) {
            if (equals != std::string::npos)
                out.values[name] = arg.substr(equals + 1);
            else if (i + 1 < args.size())
                out.values[name] = args[++i];
            else
                throw UsageError(name + " needs a value");
        } else if ((flagOptions.count(name) || name == "--help") && equals == std::string::npos) {
            out.flags.insert(name);
        } else {
            throw UsageError("unknown option " + arg);
        }
    }
    return out;
}

void expectWords(const Arguments& arguments, std::size_t count, const std::string& what) {
    if (arguments.words.size() != count)
        throw UsageError(what + " takes " + std::to_string(count) +
                         (count == 1 ? " argument" : " arguments"));
}

} // namespace urctool
