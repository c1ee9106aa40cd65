#include "urctool/export_formats.h"

#include "irform/protocols.h"
#include "urctool/signal_input.h"

#include <map>
#include <set>
#include <sstream>

namespace urctool {

std::vector<std::string> uniqueNames(const std::vector<KeyInfo>& keys) {
    std::vector<std::string> names;
    std::set<std::string> taken;
    for (const auto& key : keys) {
        std::string name = lircName(key);
        if (taken.count(name))
            name += "_" + key.code;
        taken.insert(name);
        names.push_back(name);
    }
    return names;
}

std::string prontoLines(const std::vector<ExportedKey>& keys) {
    std::string out;
    for (const auto& k : keys)
        out += k.name + " " + prontoText(k.code.signal) + "\n";
    return out;
}

} // namespace urctool
