#pragma once
// The learned keys in other systems' formats: a lircd.conf with one remote of
// raw codes, Pronto hex, and JSON with the decoded form and the timings.
#include "urctool/held_code.h"
#include "urctool/key_names.h"

#include <string>
#include <vector>

namespace urctool {

struct ExportedKey {
    KeyInfo key;
    std::string name; // unique in the export: lircName, "_" + code added on a clash
    HeldCode code;    // readable
};

std::string lircdConf(const std::vector<ExportedKey>& keys);
std::string prontoLines(const std::vector<ExportedKey>& keys);
std::string exportJson(const std::vector<ExportedKey>& keys);

// Names for the keys in order, made unique.
std::vector<std::string> uniqueNames(const std::vector<KeyInfo>& keys);

} // namespace urctool
