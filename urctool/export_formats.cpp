#include "urctool/export_formats.h"

#include "irform/protocols.h"
#include "urctool/json_text.h"
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

std::string exportJson(const std::vector<ExportedKey>& keys) {
    std::ostringstream out;
    out << "{\"keys\":[";
    const char* separator = "\n";
    for (const auto& k : keys) {
        out << separator << "{\"code\":" << jsonString(k.key.code)
            << ",\"label\":" << jsonString(k.key.label) << ",\"name\":" << jsonString(k.name);
        if (k.code.raw) {
            out << ",\"form\":\"raw\",\"blocks\":" << k.code.blocks;
        } else {
            out << ",\"form\":" << jsonString(k.code.description);
            if (k.code.decoded)
                out << ",\"protocol\":"
                    << jsonString(irform::protocolName(k.code.decoded->protocol))
                    << ",\"device\":" << k.code.decoded->device
                    << ",\"command\":" << k.code.decoded->command;
        }
        out << ",\"carrier\":" << k.code.signal.carrierHz << ",\"durations\":[";
        for (std::size_t i = 0; i < k.code.signal.durations.size(); ++i)
            out << (i ? "," : "") << k.code.signal.durations[i];
        out << "]}";
        separator = ",\n";
    }
    out << "]}\n";
    return out.str();
}

} // namespace urctool
