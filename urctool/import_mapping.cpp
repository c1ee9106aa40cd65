#include "urctool/import_mapping.h"

#include "device/core/hex_text.h"
#include "urctool/errors.h"
#include "urctool/key_meanings.h"
#include "urctool/key_storage.h"

#include <algorithm>
#include <iomanip>
#include <map>
#include <sstream>

namespace urctool {
namespace {

std::string trimmed(std::string_view text) {
    const auto first = text.find_first_not_of(" \t\r");
    if (first == std::string_view::npos)
        return {};
    const auto last = text.find_last_not_of(" \t\r");
    return std::string(text.substr(first, last - first + 1));
}

std::string lineText(int line) {
    return "--map line " + std::to_string(line);
}

// What one code wants, or why it wants nothing.
struct Wish {
    std::optional<Placement> placement;
    std::string why; // when there is no placement
};

Wish fromMap(const MapLine& line, const device::UrcTables& tables, std::size_t index) {
    if (line.key == "-")
        return {std::nullopt, "left out (" + lineText(line.line) + ")"};
    try {
        return {Placement{index, findKey(tables, line.key), Reason::Map, line.line}, {}};
    } catch (const UsageError& e) {
        throw UsageError(lineText(line.line) + ": " + e.what());
    }
}

Wish fromExport(const ImportCode& code, const std::vector<KeyInfo>& keys, std::size_t index,
                const std::string& device) {
    const auto same = [&](const KeyInfo& k) {
        return device::equalsIgnoringCase(k.code, code.fromCode);
    };
    const auto key = std::find_if(keys.begin(), keys.end(), same);
    if (key == keys.end())
        return {std::nullopt, "no key: this URC has no key " + code.fromCode};
    if (!code.fromLabel.empty() && !key->label.empty() && code.fromLabel != key->label)
        return {std::nullopt, "no key: key " + key->code + " of this URC is " + key->label +
                                  ", the export calls it " + code.fromLabel};
    if (!device.empty() && !inDevice(*key, device))
        return {std::nullopt, "left out: " + keyName(*key) + " is not a " + device + " key"};
    return {Placement{index, *key, Reason::FromExport, 0}, {}};
}

Wish fromName(const ImportCode& code, const std::vector<KeyInfo>& keys, std::size_t index,
              const std::string& device) {
    // The names urc-tool's own lircd.conf export gives (uniqueNames): the
    // label's, with "_" and the code for the second of two labels that differ
    // in case only (CBL_BACK and CBL_BACK_50).
    const auto ownName = [&](const KeyInfo& key) {
        return !key.label.empty() &&
               (code.name == lircName(key) || code.name == lircName(key) + "_" + key.code);
    };
    for (const auto& key : keys)
        if (inDevice(key, device) && ownName(key))
            return {Placement{index, key, Reason::OwnName, 0}, {}};
    for (const auto& key : keys)
        if (ownName(key))
            return {std::nullopt,
                    "left out: urc-tool's name for " + keyName(key) + ", not a " + device + " key"};
    if (auto key = keyMeant(keys, device, code.name))
        return {
            Placement{index, *key, isLircName(code.name) ? Reason::LircName : Reason::Spelling, 0},
            {}};
    if (hasMeaning(code.name))
        return {std::nullopt, "no key: the " + device + " keys have none for " + code.name};
    return {std::nullopt,
            std::string("no key: ") +
                (isLircName(code.name) ? "the " + device + " keys have none for LIRC's "
                                       : "not a name urc-tool knows: ") +
                code.name + " (--map FILE places it)"};
}

std::string reasonText(const Placement& p) {
    switch (p.reason) {
    case Reason::Map:
        return lineText(p.mapLine);
    case Reason::FromExport:
        return "the export's key";
    case Reason::OwnName:
        return "urc-tool's name for the key";
    case Reason::LircName:
        return "LIRC's name";
    case Reason::Spelling:
        return "common spelling";
    }
    return {};
}

std::string column(const std::string& text, int width) {
    std::ostringstream out;
    out << std::left << std::setw(width) << text << " ";
    return out.str();
}

} // namespace

std::vector<MapLine> parseKeyMap(std::string_view text) {
    std::vector<MapLine> lines;
    std::map<std::string, int> seen;
    std::istringstream in{std::string(text)};
    int number = 0;
    for (std::string raw; std::getline(in, raw);) {
        if (++number > static_cast<int>(kMaxMapLines))
            throw UsageError("the --map file has more than " + std::to_string(kMaxMapLines) +
                             " lines");
        if (raw.size() > kMaxMapLineLength)
            throw UsageError(lineText(number) + " is longer than " +
                             std::to_string(kMaxMapLineLength) + " characters");
        const std::string line = trimmed(raw);
        if (line.empty() || line.front() == '#')
            continue;
        const auto blank = line.find_first_of(" \t");
        if (blank == std::string::npos)
            throw UsageError(lineText(number) + ": \"" + line +
                             "\" has no key (a line is NAME KEY, or NAME - to leave it out)");
        MapLine entry{line.substr(0, blank), trimmed(line.substr(blank)), number};
        if (const auto earlier = seen.find(entry.name); earlier != seen.end())
            throw UsageError(lineText(number) + ": " + entry.name + " is mapped on line " +
                             std::to_string(earlier->second) + " already");
        seen[entry.name] = number;
        lines.push_back(std::move(entry));
    }
    return lines;
}

Assignment assignKeys(const std::vector<ImportCode>& codes, const device::UrcTables& tables,
                      const std::string& device, const std::vector<MapLine>& map) {
    const auto keys = keysOf(tables);
    Assignment out;
    std::map<std::size_t, Conflict> byKey; // key index: who has it, who lost it
    for (std::size_t i = 0; i < codes.size(); ++i) {
        const auto line = std::find_if(map.begin(), map.end(),
                                       [&](const MapLine& m) { return m.name == codes[i].name; });
        const Wish wish = line != map.end()            ? fromMap(*line, tables, i)
                          : !codes[i].fromCode.empty() ? fromExport(codes[i], keys, i, device)
                                                       : fromName(codes[i], keys, i, device);
        if (!wish.placement) {
            out.unplaced.push_back({i, wish.why});
            continue;
        }
        const Placement p = *wish.placement;
        auto [entry, fresh] = byKey.try_emplace(p.key.index, Conflict{p.key, p, {}});
        if (fresh)
            continue;
        // The stronger reason wins; between equal ones the code met first.
        Conflict& conflict = entry->second;
        if (p.reason > conflict.winner.reason) {
            conflict.losers.push_back(conflict.winner);
            conflict.winner = p;
        } else {
            conflict.losers.push_back(p);
        }
    }
    for (auto& [index, conflict] : byKey) {
        out.placed.push_back(conflict.winner);
        for (const auto& loser : conflict.losers)
            out.unplaced.push_back({loser.code, "lost " + keyName(conflict.key) + " to " +
                                                    codes[conflict.winner.code].name});
        if (!conflict.losers.empty())
            out.conflicts.push_back(conflict);
    }
    for (const auto& line : map)
        if (std::none_of(codes.begin(), codes.end(),
                         [&](const ImportCode& c) { return c.name == line.name; }))
            out.unusedMapLines.push_back(line);
    const auto byCode = [](const auto& a, const auto& b) { return a.code < b.code; };
    std::sort(out.placed.begin(), out.placed.end(), byCode);
    std::sort(out.unplaced.begin(), out.unplaced.end(), byCode);
    return out;
}

std::string assignmentTable(const std::vector<ImportCode>& codes, const Assignment& a) {
    std::size_t width = 4;
    for (const auto& code : codes)
        width = std::max(width, code.name.size());
    const int w = static_cast<int>(std::min<std::size_t>(width, 32));
    std::string out = column("NAME", w) + column("KEY", 22) + "WHY\n";
    // In the file's order: where each code went, or why it went nowhere.
    std::map<std::size_t, std::string> rows;
    for (const auto& p : a.placed)
        rows[p.code] = column(keyName(p.key), 22) + reasonText(p);
    for (const auto& u : a.unplaced)
        rows[u.code] = column("-", 22) + u.why;
    for (const auto& [code, row] : rows)
        out += column(codes[code].name, w) + row + "\n";
    for (const auto& c : a.conflicts) {
        out += keyName(c.key) + " was wanted by " + codes[c.winner.code].name + " (" +
               reasonText(c.winner) + ")";
        for (const auto& loser : c.losers)
            out += " and " + codes[loser.code].name + " (" + reasonText(loser) + ")";
        out += "; " + codes[c.winner.code].name + " won: " +
               (std::all_of(c.losers.begin(), c.losers.end(),
                            [&](const Placement& l) { return l.reason == c.winner.reason; })
                    ? "it comes first in the file"
                    : reasonText(c.winner) + " is the stronger reason") +
               "\n";
    }
    for (const auto& line : a.unusedMapLines)
        out += lineText(line.line) + ": no code of the file is called " + line.name + "\n";
    out += std::to_string(a.placed.size()) + " of " + std::to_string(codes.size()) +
           (codes.size() == 1 ? " code" : " codes") + " go to a key\n";
    return out;
}

} // namespace urctool
