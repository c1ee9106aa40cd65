#include "urctool/key_names.h"

#include "device/core/hex_text.h"
#include "keypanel/core/key_table.h"
#include "learning/learned_key_list.h"
#include "urctool/errors.h"

#include <cctype>

namespace urctool {
namespace {

std::string labelOf(std::string_view code) {
    for (const auto& key : keypanel::kKeyTable)
        if (device::equalsIgnoringCase(key.code, code))
            return std::string(key.path);
    return {};
}

} // namespace

std::vector<KeyInfo> keysOf(const device::UrcTables& tables) {
    std::vector<KeyInfo> keys;
    for (std::size_t i = 0; i < tables.LearnedKeys.size(); ++i) {
        const std::string& entry = tables.LearnedKeys[i];
        KeyInfo key;
        key.index = i;
        key.code = entry.substr(0, 2);
        key.label = labelOf(key.code);
        key.state = learning::entryState(entry);
        keys.push_back(std::move(key));
    }
    return keys;
}

std::string_view stateName(char state) {
    switch (state) {
    case '1':
        return "not learned";
    case '2':
        return "learned";
    default:
        return "no code";
    }
}

KeyInfo findKey(const device::UrcTables& tables, std::string_view name) {
    const auto keys = keysOf(tables);
    for (const auto& key : keys)
        if (device::equalsIgnoringCase(key.code, name))
            return key;
    // Two labels may differ in case only (CBL/BACK and CBL/back): the exact
    // label wins, and another case reaches a key only when no other has it.
    std::vector<const KeyInfo*> folded;
    for (const auto& key : keys) {
        if (key.label.empty())
            continue;
        if (key.label == name)
            return key;
        if (device::equalsIgnoringCase(key.label, name))
            folded.push_back(&key);
    }
    if (folded.size() == 1)
        return *folded[0];
    if (folded.size() > 1) {
        std::string candidates;
        for (const KeyInfo* key : folded)
            candidates +=
                (candidates.empty() ? "" : " or ") + key->label + " (key " + key->code + ")";
        throw UsageError(std::string(name) + " could mean " + candidates +
                         ": give the label in its exact case or the key's code");
    }
    throw UsageError("no key of the URC is called " + std::string(name) +
                     " (give a code such as 44 or a label such as CBL/OK; see urc-tool list)");
}

std::string lircName(const KeyInfo& key) {
    if (key.label.empty())
        return "KEY_" + key.code;
    std::string name;
    for (char c : key.label) {
        const auto u = static_cast<unsigned char>(c);
        if (std::isalnum(u))
            name += static_cast<char>(std::toupper(u));
        else if (c == '+' || c == '-') // TV/VOL+ and TV/VOL- stay apart
            name += (name.empty() || name.back() == '_' ? "" : "_") +
                    std::string(c == '+' ? "PLUS" : "MINUS");
        else if (!name.empty() && name.back() != '_')
            name += '_'; // "TV/ AV/TV" -> TV_AV_TV
    }
    while (!name.empty() && name.back() == '_')
        name.pop_back();
    return name.empty() ? "KEY_" + key.code : name;
}

} // namespace urctool
