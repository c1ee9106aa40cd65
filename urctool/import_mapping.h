#pragma once
// Which URC key each code of an imported remote goes to: a line of the user's
// --map file, the key a JSON export says it came from, urc-tool's own name
// for a key (lircName, "TV_MUTE"), or the key the code's name means on the
// chosen device (key_meanings.h). When two codes want one key the stronger
// reason wins, in that order; between equal reasons the earlier code.
#include "device/core/urc_tables.h"
#include "irform/signal.h"
#include "urctool/key_names.h"

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace urctool {

// A line of a --map file: "NAME KEY", KEY a code or label as set takes it
// (the rest of the line: "DVD/TOP MENU"), or "-" for a code not to import.
struct MapLine {
    std::string name;
    std::string key;
    int line = 0;
};
// Blank lines and those starting with "#" are left out. Throws UsageError
// naming the line: a name without a key, a name mapped twice, a line longer
// than kMaxMapLineLength, more than kMaxMapLines lines.
std::vector<MapLine> parseKeyMap(std::string_view text);
inline constexpr std::size_t kMaxMapLineLength = 200;
inline constexpr std::size_t kMaxMapLines = 1000;

struct ImportCode {
    std::string name;
    irform::Signal signal;
    std::string fromCode;  // JSON: the key the export took it from
    std::string fromLabel; // JSON: that key's label in the export
};

// In order of strength.
enum class Reason { Spelling, LircName, OwnName, FromExport, Map };

struct Placement {
    std::size_t code = 0; // index into the codes
    KeyInfo key;
    Reason reason = Reason::Spelling;
    int mapLine = 0;
};
struct Unplaced {
    std::size_t code = 0;
    std::string why;
};
struct Conflict {
    KeyInfo key;
    Placement winner;
    std::vector<Placement> losers;
};
struct Assignment {
    std::vector<Placement> placed; // in the codes' order, one per key
    std::vector<Unplaced> unplaced;
    std::vector<Conflict> conflicts;
    std::vector<MapLine> unusedMapLines; // naming no code of the file (a typo?)
};

// `device` empty: no --device (a JSON export's keys go back wherever they
// came from). Throws UsageError for a map line whose key the URC lacks.
Assignment assignKeys(const std::vector<ImportCode>& codes, const device::UrcTables& tables,
                      const std::string& device, const std::vector<MapLine>& map);

// The table printed for the user: code name, key and why, then the codes
// that found no key and the keys two codes wanted, with the winner and why.
std::string assignmentTable(const std::vector<ImportCode>& codes, const Assignment& assignment);

} // namespace urctool
