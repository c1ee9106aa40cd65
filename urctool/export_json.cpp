#include "urctool/export_json.h"

#include "irform/protocols.h"
#include "urctool/export_formats.h"

namespace urctool {
namespace {

using Json = nlohmann::ordered_json;

std::string compact(const Json& value) {
    return value.dump(-1, ' ', false, Json::error_handler_t::replace);
}

Json exportedKey(const ExportedKey& k) {
    Json out;
    out["code"] = k.key.code;
    out["label"] = k.key.label;
    out["name"] = k.name;
    if (k.code.raw) {
        out["form"] = "raw";
        out["blocks"] = k.code.blocks;
    } else {
        out["form"] = k.code.description;
        if (k.code.decoded) {
            out["protocol"] = irform::protocolName(k.code.decoded->protocol);
            out["device"] = k.code.decoded->device;
            out["command"] = k.code.decoded->command;
        }
    }
    out["carrier"] = k.code.signal.carrierHz;
    out["durations"] = k.code.signal.durations;
    return out;
}

} // namespace

std::string jsonOneItemPerLine(const Json& document) {
    std::string out = "{";
    const char* separator = "";
    for (const auto& [name, value] : document.items()) {
        out += separator + compact(name) + ":";
        separator = ",";
        if (!value.is_array()) {
            out += compact(value);
            continue;
        }
        const char* itemSeparator = "\n";
        out += "[";
        for (const auto& item : value) {
            out += itemSeparator + compact(item);
            itemSeparator = ",\n";
        }
        out += "]";
        separator = ",\n"; // what follows the array starts a line of its own
    }
    return out + "}\n";
}

std::string exportJson(const std::vector<ExportedKey>& keys) {
    Json document;
    document["format"] = kJsonFormat;
    document["keys"] = Json::array();
    for (const auto& k : keys)
        document["keys"].push_back(exportedKey(k));
    return jsonOneItemPerLine(document);
}

} // namespace urctool
