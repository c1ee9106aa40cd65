// list, set and clear: the URC's keys one by one.
#include "common/whole_files.h"
#include "irform/capture_render.h"
#include "irform/code_form.h"
#include "irform/protocols.h"
#include "learning/code_converter.h"
#include "learning/core/capture_text.h"
#include "learning/core/code_storage.h"
#include "urcmem/urc_memory.h"
#include "urctool/command_line.h"
#include "urctool/commands.h"
#include "urctool/errors.h"
#include "urctool/held_code.h"
#include "urctool/help_texts.h"
#include "urctool/json_text.h"
#include "urctool/key_storage.h"
#include "urctool/lircd_conf.h"
#include "urctool/signal_input.h"

#include <algorithm>
#include <iomanip>
#include <iostream>
#include <sstream>

namespace urctool {
namespace {

// Learning hands the conversion library the timing text without its first
// five characters (count, carrier and tag).
constexpr std::size_t kTimingHeaderLength = 5;
constexpr std::size_t kMaxLircdFile = 1 << 20; // 1 MiB

int usedAllocRecords(const device::UrcTables& t) {
    return static_cast<int>(t.AllocRecords.size() / 12);
}

std::string jsonCode(const HeldCode& code) {
    if (!code.readable)
        return "null";
    std::ostringstream out;
    if (code.raw) {
        out << "{\"form\":\"raw\",\"carrier\":" << code.signal.carrierHz
            << ",\"durations\":" << code.signal.durations.size() << ",\"blocks\":" << code.blocks
            << "}";
    } else {
        out << "{\"form\":\"protocol\",\"text\":" << jsonString(code.description);
        if (code.decoded)
            out << ",\"protocol\":" << jsonString(irform::protocolName(code.decoded->protocol))
                << ",\"device\":" << code.decoded->device
                << ",\"command\":" << code.decoded->command;
        out << "}";
    }
    return out.str();
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
    std::cout << "{\"keys\":[";
    const char* separator = "\n";
    for (const auto& key : keysOf(s.tables)) {
        std::cout << separator << "{\"code\":" << jsonString(key.code)
                  << ",\"label\":" << jsonString(key.label)
                  << ",\"state\":" << jsonString(stateName(key.state))
                  << ",\"holds\":" << jsonCode(heldCode(s, key)) << "}";
        separator = ",\n";
    }
    std::cout << "],\n\"storage_blocks\":" << s.tables.StorageBlockCount
              << ",\"free_storage_blocks\":" << freeBlocks(s.tables)
              << ",\"alloc_records\":" << s.tables.AllocRecordCapacity << ",\"free_alloc_records\":"
              << s.tables.AllocRecordCapacity - usedAllocRecords(s.tables) << "}\n";
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

// The signal as learning turns a capture of it into the URC's code form. The
// carrier goes to the library as it was given, to the nearest kHz (what a raw
// code keeps), rather than as the capture's carrier words hold it: those are
// exact only from 12 to 94 kHz.
std::string convertLikeLearning(const irform::Signal& signal) {
    const int carrierKhz = (signal.carrierHz + 500) / 1000;
    if (carrierKhz < 1 || carrierKhz > irform::kMaxRawCarrierKhz)
        throw ToolError("carrier " + std::to_string(signal.carrierHz) +
                        " Hz: the URC keeps carriers of 1 to " +
                        std::to_string(irform::kMaxRawCarrierKhz) + " kHz");
    const std::string cut = learning::CutAtEndMarker(irform::renderCapture(signal));
    const learning::EncodeResult timing = learning::EncodeTimings(cut);
    if (timing.failed)
        throw ToolError("the signal's capture could not be encoded");
    const std::string converted = learning::ConvertCodeAtCarrier(
        timing.text.size() > kTimingHeaderLength ? timing.text.substr(kTimingHeaderLength) : "",
        carrierKhz);
    if (converted.empty())
        throw ToolError(std::string("the conversion library ") + learning::kConverterLibraryFile +
                        " could not be loaded or did not convert the signal");
    return converted;
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
