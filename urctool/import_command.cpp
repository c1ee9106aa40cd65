// import: a whole remote onto the URC in one plan: the codes of a lircd.conf
// remote or of a urc-tool JSON export, each to the key its name (or the
// export) gives, written in restore's crash-safe order.
#include "common/whole_files.h"
#include "device/core/hex_text.h"
#include "urctool/command_line.h"
#include "urctool/commands.h"
#include "urctool/errors.h"
#include "urctool/help_texts.h"
#include "urctool/import_mapping.h"
#include "urctool/import_plan.h"
#include "urctool/json_import.h"
#include "urctool/key_meanings.h"
#include "urctool/key_storage.h"
#include "urctool/lircd_conf.h"
#include "urctool/signal_conversion.h"

#include <iostream>

namespace urctool {
namespace {

// A JSON export of all 70 keys at their longest stays well under this.
constexpr std::size_t kMaxImportFile = 4 << 20;
constexpr std::size_t kMaxMapFile = 64 << 10;

std::string readFile(const std::string& path, std::size_t limit, std::string_view kind) {
    auto file = wholefiles::readRegularFile(path, limit, kind);
    if (!file.content)
        throw ToolError(file.error);
    return std::move(*file.content);
}

bool looksLikeJson(const std::string& text) {
    const auto first = text.find_first_not_of(" \t\r\n");
    return first != std::string::npos && text[first] == '{';
}

std::vector<ImportCode> codesOf(const std::string& text, const Arguments& a,
                                const std::string& device) {
    std::vector<ImportCode> codes;
    if (looksLikeJson(text)) {
        if (a.value("--remote"))
            throw UsageError("--remote names a remote of a lircd.conf; a JSON export has none");
        for (auto& key : keysFromJson(text))
            codes.push_back({key.name, std::move(key.signal), key.code, key.label});
        return codes;
    }
    if (device.empty())
        throw UsageError("importing a lircd.conf needs --device TV|CBL|DVD|AMP: the group "
                         "whose keys its codes go to");
    for (auto& code : remoteFromLircd(text, a.value("--remote").value_or("")).codes)
        codes.push_back({code.name, std::move(code.signal), {}, {}});
    return codes;
}

std::string deviceOf(const Arguments& a) {
    const auto text = a.value("--device");
    if (!text)
        return {};
    const auto group = deviceGroup(*text);
    if (!group)
        throw UsageError("--device takes TV, CBL, DVD or AMP, not \"" + *text + "\"");
    return *group;
}

std::vector<KeyCode> converted(const std::vector<ImportCode>& codes, const Assignment& a) {
    std::vector<KeyCode> out;
    for (const auto& p : a.placed) {
        try {
            out.push_back({p.key, codes[p.code].name, convertLikeLearning(codes[p.code].signal)});
        } catch (const ToolError& e) {
            throw ToolError("code " + codes[p.code].name + " for key " + keyName(p.key) + ": " +
                            e.what() + "; nothing was written");
        }
    }
    return out;
}

void writeAndVerify(device::UrcLibrary& urc, const Snapshot& s, const ImportPlan& plan) {
    for (const auto& write : plan.writes)
        writeChecked(urc, s.header.writeSelector, write.address, write.bytes);
    const Snapshot after = readSnapshot(urc);
    requireConsistent(after.memory, "after the import");
    const ManagedAreas areas = managedAreas(s.header);
    for (const Area& area : {areas.keyRecords, areas.allocArea, areas.storage})
        if (after.memory.read(area.address, area.length) !=
            plan.target.read(area.address, area.length))
            throw ToolError("after the import the URC differs from the plan at 0x" +
                            device::addressText(area.address));
}

} // namespace

int importCommand(device::UrcLibrary& urc, const Args& args) {
    const auto a = parseArguments(args, {"--remote", "--device", "--map"}, {"--dry-run"});
    if (a.has("--help"))
        return printHelp("import");
    expectWords(a, 1, "import FILE");
    const std::string device = deviceOf(a);
    const auto codes = codesOf(readFile(a.words[0], kMaxImportFile, "remote file"), a, device);
    const auto map = a.value("--map")
                         ? parseKeyMap(readFile(*a.value("--map"), kMaxMapFile, "--map file"))
                         : std::vector<MapLine>{};
    const Snapshot s = readSnapshot(urc);
    requireConsistent(s.memory, "as read");
    const Assignment assignment = assignKeys(codes, s.tables, device, map);
    std::cout << assignmentTable(codes, assignment);
    if (assignment.placed.empty())
        throw ToolError("no code found a key; nothing was written");
    const ImportPlan plan = planImport(s, converted(codes, assignment));
    const std::string writes =
        std::to_string(plan.writes.size()) + (plan.writes.size() == 1 ? " write" : " writes");
    const std::string storage = std::to_string(plan.blocksNeeded) + " storage blocks needed, " +
                                std::to_string(plan.blocksFree) + " free";
    if (a.has("--dry-run")) {
        std::cout << "dry run: " << writes << " planned, " << storage << "; nothing was written\n";
        return kExitOk;
    }
    writeAndVerify(urc, s, plan);
    std::cout << "imported " << assignment.placed.size() << " codes: " << writes << ", " << storage
              << ", verified\n";
    return kExitOk;
}

} // namespace urctool
