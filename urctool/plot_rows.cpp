#include "urctool/plot_rows.h"

#include "irform/code_form.h"
#include "irform/protocols.h"
#include "urctool/errors.h"

#include <cstdio>

namespace urctool {

std::string codeText(const std::optional<irform::Decoded>& decoded) {
    return decoded ? irform::describeDecoded(*decoded) : "raw";
}

std::string rowHeading(std::string_view name, std::string_view code, int carrierHz) {
    char carrier[32];
    std::snprintf(carrier, sizeof carrier, "%.1f kHz", carrierHz / 1000.0);
    return std::string(name) + ": " + std::string(code) + ", " + carrier;
}

PlotRow heldRow(const KeyInfo& key, const HeldCode& code) {
    if (!code.readable)
        throw ToolError("key " + key.code +
                        (key.state == '0' ? " holds no code" : "'s code cannot be read back"));
    const std::string name = key.label.empty() ? key.code : key.label;
    // A protocol's code names itself as the URC keeps it; a raw code stays
    // "raw" even where a protocol would read it, as the URC keeps it raw.
    const std::string text = code.raw       ? "raw"
                             : code.decoded ? codeText(code.decoded)
                                            : code.description;
    return {rowHeading(name, text, code.signal.carrierHz), code.signal};
}

PlotRow givenRow(const std::string& name, irform::Signal signal) {
    const std::string text = codeText(irform::decode(signal));
    return {rowHeading(name, text, signal.carrierHz), std::move(signal)};
}

std::vector<std::string> keyList(std::string_view list) {
    std::vector<std::string> keys;
    for (std::size_t start = 0;;) {
        const std::size_t comma = std::min(list.find(',', start), list.size());
        if (comma == start)
            throw UsageError("--keys takes key codes or labels with a comma between them (\"05,"
                             "CBL/OK\"); \"" +
                             std::string(list) + "\" has an empty one");
        keys.emplace_back(list.substr(start, comma - start));
        if (comma == list.size())
            return keys;
        start = comma + 1;
    }
}

} // namespace urctool
