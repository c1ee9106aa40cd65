#pragma once
// The URC's keys as the user names them: by code ("44") or by the label of the
// key table ("CBL/OK"; another case when no other label differs only in it).
#include "device/core/urc_tables.h"

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace urctool {

struct KeyInfo {
    std::size_t index = 0; // entry in LearnedKeys, = key record index
    std::string code;      // two hex digits
    std::string label;     // "TV/MUTE"; empty for a code the key table lacks
    char state = '0';      // '0' no code, '1' not learned, '2' learned
};

std::vector<KeyInfo> keysOf(const device::UrcTables& tables);
// "no code", "not learned", "learned".
std::string_view stateName(char state);
// The key a name means: a code (any case), the label exactly, or a label in
// another case when only one key has it. Throws UsageError naming the name
// when none does, and the candidates when several do.
KeyInfo findKey(const device::UrcTables& tables, std::string_view name);
// A name for a lircd.conf: the label with every character other than a letter
// or digit as "_" (a run as one), upper case ("TV/MUTE" -> "TV_MUTE"),
// "+" and "-" as words ("TV/VOL+" -> "TV_VOL_PLUS"); "KEY_44" without one.
std::string lircName(const KeyInfo& key);

} // namespace urctool
