// backup, verify and restore: the URC's whole memory against an image file in
// the emulator's format (65,536 bytes, address 0 first).
#include "device/core/hex_text.h"
#include "urcmem/image_file.h"
#include "urctool/command_line.h"
#include "urctool/commands.h"
#include "urctool/errors.h"
#include "urctool/help_texts.h"
#include "urctool/progress_bar.h"
#include "urctool/restore_plan.h"
#include "urctool/urc_access.h"

#include <algorithm>
#include <iostream>

namespace urctool {
namespace {

// On a terminal the memory is read in sixteen parts so the bar moves; the
// extra requests cost one link transfer each.
constexpr std::size_t kProgressRead = urcmem::kMemorySize / 16;

urcmem::Memory loadBackup(const std::string& path) {
    auto loaded = urcmem::loadImage(path);
    if (!loaded.memory)
        throw ToolError(loaded.error);
    return std::move(*loaded.memory);
}

urcmem::Memory readWithProgress(device::UrcLibrary& urc, bool quiet) {
    if (!urc.link_state())
        throw ToolError("no URC is connected (the device library reports no link)");
    ProgressBar bar(urcmem::kMemorySize, !quiet);
    return readWholeMemory(urc, bar.enabled() ? kProgressRead : kLargestRead,
                           [&](std::size_t done) { bar.update(done); });
}

std::string rangeText(const Difference& d) {
    return "0x" + device::addressText(d.first) + "-0x" + device::addressText(d.last) + " (" +
           std::to_string(d.last - d.first + 1) + " bytes)";
}

// Prints the differing ranges; true when there are none.
bool reportDifferences(const urcmem::Memory& urc, const urcmem::Memory& file,
                       const std::string& path) {
    const auto found = differences(urc, file);
    if (found.empty()) {
        std::cout << "the URC's memory equals " << path << "\n";
        return true;
    }
    std::cout << "the URC's memory differs from " << path << " in " << found.size()
              << (found.size() == 1 ? " range:\n" : " ranges:\n");
    for (const auto& d : found)
        std::cout << "  " << rangeText(d) << "\n";
    return false;
}

// What the restore must not cross without --force: the identity, type code
// and layout (layout block, header and key-code list) of backup and URC.
std::string mismatch(const urcmem::Memory& urc, const urcmem::Memory& backup,
                     const urcmem::Header& h) {
    auto same = [&](int at, int length) { return urc.read(at, length) == backup.read(at, length); };
    if (!same(urcmem::kIdentityAddress, urcmem::kIdentitySize))
        return "the backup was taken from another URC (device identity differs)";
    if (!same(urcmem::kIdentityAddress + urcmem::kTypeCodeOffset, 2))
        return "the backup was taken from a URC of another type";
    const auto other = urcmem::readHeader(backup);
    if (!same(urcmem::kLayoutAddress, urcmem::kLayoutBlockSize) || !other ||
        !same(h.headerAddress,
              std::max(urcmem::kHeaderSize, urcmem::kKeyListOffset + 1 + h.keyCount)))
        return "the backup's memory layout (layout block, header, pointers or counts) differs "
               "from the URC's";
    return {};
}

} // namespace

int backupCommand(device::UrcLibrary& urc, const Args& args) {
    const auto a = parseArguments(args, {}, {"--quiet"});
    if (a.has("--help"))
        return printHelp("backup");
    expectWords(a, 1, "backup");
    const urcmem::Memory memory = readWithProgress(urc, a.has("--quiet"));
    if (auto problem = urcmem::saveImage(memory, a.words[0]))
        throw ToolError(*problem);
    return kExitOk;
}

int verifyCommand(device::UrcLibrary& urc, const Args& args) {
    const auto a = parseArguments(args, {}, {"--quiet"});
    if (a.has("--help"))
        return printHelp("verify");
    expectWords(a, 1, "verify");
    const urcmem::Memory file = loadBackup(a.words[0]);
    const urcmem::Memory memory = readWithProgress(urc, a.has("--quiet"));
    return reportDifferences(memory, file, a.words[0]) ? kExitOk : kExitFailed;
}

int restoreCommand(device::UrcLibrary& urc, const Args& args) {
    const auto a = parseArguments(args, {}, {"--force", "--quiet"}); // --quiet: as the others
    if (a.has("--help"))
        return printHelp("restore");
    expectWords(a, 1, "restore");
    const urcmem::Memory backup = loadBackup(a.words[0]);
    const Snapshot now = readSnapshot(urc);
    if (std::string why = mismatch(now.memory, backup, now.header); !why.empty()) {
        if (!a.has("--force"))
            throw ToolError(why + "; nothing was written (--force restores it anyway)");
        std::cerr << "urc-tool: " << why << "; restoring anyway (--force)\n";
    }
    const RestorePlan plan = planRestore(now.memory, backup, now.header);
    if (!plan.problem.empty())
        throw ToolError(plan.problem + "; nothing was written");
    for (const auto& write : plan.writes)
        writeChecked(urc, now.header.writeSelector, write.address, write.bytes);
    // The end: the managed areas read back equal the backup's.
    for (const Area& area :
         {managedAreas(now.header).keyRecords, managedAreas(now.header).allocArea,
          managedAreas(now.header).storage}) {
        const auto bytes = readBytes(urc, area.address, static_cast<std::size_t>(area.length));
        if (bytes != backup.read(area.address, area.length))
            throw ToolError("after the restore the URC differs from the backup at 0x" +
                            device::addressText(area.address));
    }
    std::cout << "restored " << a.words[0] << ": " << plan.writes.size()
              << (plan.writes.size() == 1 ? " write" : " writes") << ", verified\n";
    return kExitOk;
}

} // namespace urctool
