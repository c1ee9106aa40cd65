// export: the learned keys (or those named) as lircd.conf, Pronto or JSON.
#include "common/whole_files.h"
#include "urctool/command_line.h"
#include "urctool/commands.h"
#include "urctool/errors.h"
#include "urctool/export_formats.h"
#include "urctool/help_texts.h"

#include <algorithm>
#include <iostream>
#include <sstream>

namespace urctool {
namespace {

std::vector<KeyInfo> chosenKeys(const Snapshot& s, const std::optional<std::string>& list) {
    std::vector<KeyInfo> keys;
    if (!list) {
        for (const auto& key : keysOf(s.tables))
            if (key.state == '2')
                keys.push_back(key);
        return keys;
    }
    std::istringstream names(*list);
    for (std::string name; std::getline(names, name, ',');) {
        const KeyInfo key = findKey(s.tables, name);
        if (key.state == '0')
            throw ToolError("key " + name + " holds no code");
        // A key named twice (by its code and its label, say) is exported once.
        const auto same = [&key](const KeyInfo& k) { return k.index == key.index; };
        if (std::none_of(keys.begin(), keys.end(), same))
            keys.push_back(key);
    }
    return keys;
}

std::vector<ExportedKey> exported(const Snapshot& s, const std::vector<KeyInfo>& keys) {
    const auto names = uniqueNames(keys);
    std::vector<ExportedKey> out;
    for (std::size_t i = 0; i < keys.size(); ++i) {
        HeldCode code = heldCode(s, keys[i]);
        if (!code.readable)
            throw ToolError("the code of key " + keys[i].code + " cannot be read back");
        out.push_back({keys[i], names[i], std::move(code)});
    }
    return out;
}

} // namespace

int exportCommand(device::UrcLibrary& urc, const Args& args) {
    const auto a = parseArguments(args, {"--format", "--keys", "-o"}, {});
    if (a.has("--help"))
        return printHelp("export");
    expectWords(a, 0, "export");
    const auto format = a.value("--format");
    if (!format || (*format != "lircd" && *format != "pronto" && *format != "json"))
        throw UsageError("--format is lircd, pronto or json");
    const Snapshot s = readSnapshot(urc);
    const auto keys = exported(s, chosenKeys(s, a.value("--keys")));
    const std::string text = *format == "lircd"    ? lircdConf(keys)
                             : *format == "pronto" ? prontoLines(keys)
                                                   : exportJson(keys);
    if (auto path = a.value("-o")) {
        if (auto problem = wholefiles::replaceFile(*path, text))
            throw ToolError(*problem + "; nothing was written");
    } else {
        std::cout << text;
    }
    if (keys.empty())
        std::cerr << "urc-tool export: no key is learned\n";
    return kExitOk;
}

} // namespace urctool
