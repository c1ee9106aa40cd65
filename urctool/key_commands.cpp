// list, set and clear: the URC's keys one by one.
#include "common/whole_files.h"
#include "irform/protocols.h"
#include "urcmem/urc_memory.h"
#include "urctool/command_line.h"
#include "urctool/commands.h"
#include "urctool/errors.h"
#include "urctool/export_json.h"
#include "urctool/held_code.h"
#include "urctool/help_texts.h"
#include "urctool/key_storage.h"
#include "urctool/lircd_conf.h"
#include "urctool/signal_conversion.h"
#include "urctool/signal_input.h"

#include <algorithm>
#include <iomanip>
#include <iostream>

namespace urctool {
namespace {

constexpr std::size_t kMaxLircdFile = 1 << 20; // 1 MiB

int usedAllocRecords(const device::UrcTables& t) {
    return static_cast<int>(t.AllocRecords.size() / 12);
}

// What a key holds, for list --json: null when it cannot be read back.
nlohmann::ordered_json jsonCode(const HeldCode& code) {
    if (!code.readable)
        return nullptr;
    nlohmann::ordered_json out;
    if (code.raw) {
        out["form"] = "raw";
        out["carrier"] = code.signal.carrierHz;
        out["durations"] = code.signal.durations.size();
        out["blocks"] = code.blocks;
        return out;
    }
    out["form"] = "protocol";
    out["text"] = code.description;
    if (code.decoded) {
        out["protocol"] = irform::protocolName(code.decoded->protocol);
        out["device"] = code.decoded->device;
        out["command"] = code.decoded->command;
    }
    return out;
}

void listText(const Snapshot& s) {
    for (const auto& key : keysOf(s.tables)) {
        const HeldCode code = heldCode(s, key);
        // Columns: the longest label (DVD/StepBackward) and state, a blank after each.
        std::cout << key.code << "  " << std::left << std::setw(17) << key.label << std::setw(12)
                  << stateName(key.state) << (key.state == '0' ? "" : summary(code)) << "\n";
    }
    std::cout << "free storage blocks: " << freeBlocks(s.tables) << " of "
              << s.tables.StorageBlockCount << "\n"
              << "free allocation records: "
              << s.tables.AllocRecordCapacity - usedAllocRecords(s.tables) << " of "
              << s.tables.AllocRecordCapacity << "\n";
}

void listJson(const Snapshot& s) {
    nlohmann::ordered_json document;
    document["format"] = kJsonFormat;
    document["keys"] = nlohmann::ordered_json::array();
    for (const auto& key : keysOf(s.tables))
        document["keys"].push_back({{"code", key.code},
                                    {"label", key.label},
                                    {"state", stateName(key.state)},
                                    {"holds", jsonCode(heldCode(s, key))}});
    document["storage_blocks"] = s.tables.StorageBlockCount;
    document["free_storage_blocks"] = freeBlocks(s.tables);
    document["alloc_records"] = s.tables.AllocRecordCapacity;
    document["free_alloc_records"] = s.tables.AllocRecordCapacity - usedAllocRecords(s.tables);
    std::cout << jsonOneItemPerLine(document);
}

std::string readLircdFile(const std::string& path) {
    auto file = wholefiles::readRegularFile(path, kMaxLircdFile, "lircd.conf");
    if (!file.content)
        throw ToolError(file.error);
    return std::move(*file.content);
}

// The one signal source set was given; UsageError when none or several.
irform::Signal signalOf(const Arguments& a) {
    const int sources = a.value("--pronto").has_value() + a.value("--raw").has_value() +
                        a.value("--lircd").has_value() + a.value("--protocol").has_value();
    if (sources != 1)
        throw UsageError("set takes exactly one of --pronto, --raw, --lircd and --protocol");
    if (auto protocol = a.value("--protocol")) {
        expectWords(a, 3, "set KEY --protocol PROTOCOL");
        return signalFromProtocol(*protocol, a.words[1], a.words[2]);
    }
    if (auto conf = a.value("--lircd")) {
        expectWords(a, 2, "set KEY --lircd FILE");
        return signalFromLircd(readLircdFile(*conf), a.words[1]);
    }
    expectWords(a, 1, "set");
    if (auto pronto = a.value("--pronto"))
        return signalFromPronto(*pronto);
    return signalFromRaw(*a.value("--raw"));
}

} // namespace

int listCommand(device::UrcLibrary& urc, const Args& args) {
    const auto a = parseArguments(args, {}, {"--json"});
    if (a.has("--help"))
        return printHelp("list");
    expectWords(a, 0, "list");
    const Snapshot s = readSnapshot(urc);
    a.has("--json") ? listJson(s) : listText(s);
    return kExitOk;
}

int setCommand(device::UrcLibrary& urc, const Args& args) {
    const auto a = parseArguments(args, {"--pronto", "--raw", "--lircd", "--protocol"}, {});
    if (a.has("--help"))
        return printHelp("set");
    if (a.words.empty())
        throw UsageError("set needs a KEY");
    const irform::Signal signal = signalOf(a);
    const Snapshot s = readSnapshot(urc);
    const KeyInfo key = findKey(s.tables, a.words[0]);
    requireConsistent(s.memory, "as read");
    const std::string converted = convertLikeLearning(signal);
    storeConvertedCode(urc, s, key, converted);
    const Snapshot after = readSnapshot(urc);
    std::cout << "key " << keyName(key) << " learned "
              << summary(heldCode(after, findKey(after.tables, key.code))) << "\n";
    return kExitOk;
}

int clearCommand(device::UrcLibrary& urc, const Args& args) {
    const auto a = parseArguments(args, {}, {});
    if (a.has("--help"))
        return printHelp("clear");
    expectWords(a, 1, "clear");
    const Snapshot s = readSnapshot(urc);
    const KeyInfo key = findKey(s.tables, a.words[0]);
    requireConsistent(s.memory, "as read");
    if (key.state != '2')
        throw ToolError("key " + keyName(key) + " holds no learned code (" +
                        std::string(stateName(key.state)) + "); nothing was written");
    // Deleting writes the empty flag byte over the record's first byte.
    const int address =
        s.header.keyTableAddress + urcmem::kKeyRecordSize * static_cast<int>(key.index);
    writeChecked(urc, s.header.writeSelector, address, std::vector<uint8_t>{0x00});
    std::cout << "key " << keyName(key) << " cleared\n";
    return kExitOk;
}

} // namespace urctool
