#include "urctool/help_texts.h"

#include "irform/signal.h"
#include "urctool/errors.h"

#include <iostream>
#include <map>

namespace urctool {
namespace {

// The conversion library's protocol forms, wrapped to the help's width.
std::string protocolList() {
    std::string list, line;
    for (irform::Protocol protocol : irform::kAllProtocols) {
        const std::string name(irform::protocolName(protocol));
        if (!line.empty() && line.size() + name.size() + 2 > 76) {
            list += line + "\n";
            line.clear();
        }
        line += (line.empty() ? "  " : " ") + name;
    }
    return list + line + "\n";
}

// How export -o and plot -o write their file, as backup writes its image.
const std::string kReplacedFile =
    "-o FILE is replaced whole or not at all (a link there is replaced, not followed;\n"
    "a FIFO, folder or device is refused).\n";

// Labels such as CBL/BACK and CBL/back differ in case only.
constexpr const char* kKeyText =
    "KEY is a key code (\"44\") or a label (\"CBL/OK\"; in another case when only one\n"
    "key's label matches it).\n";

const std::map<std::string, std::string>& texts() {
    static const std::map<std::string, std::string> table = {
        {"backup", "usage: urc-tool backup FILE [--quiet]\n"
                   "Reads the URC's whole memory (64 KiB) and writes it to FILE atomically, in\n"
                   "the emulator's image format (urc-sim serve --image FILE serves it).\n"},
        {"verify", "usage: urc-tool verify FILE [--quiet]\n"
                   "Compares the URC's memory with FILE and prints the differing address\n"
                   "ranges. Exit status 0 when equal, 1 when not.\n"},
        {"restore",
         "usage: urc-tool restore FILE [--force] [--quiet] [--wait SECONDS]\n"
         "Puts back the key records, allocation area and code storage of FILE, writing only\n"
         "what differs, in an order that leaves the URC consistent if interrupted (run it\n"
         "again to complete it). Refuses a backup of another URC, type or memory layout\n"
         "unless --force.\n"},
        {"list", "usage: urc-tool list [--json]\n"
                 "The URC's keys in its order: code, label, state and the code each holds;\n"
                 "then the free storage blocks and allocation records.\n"},
        {"export",
         "usage: urc-tool export --format lircd|pronto|json [--keys KEY,KEY...] [-o FILE]\n"
         "Writes the learned keys (or the keys named) as a lircd.conf, Pronto hex (one\n"
         "line per key) or JSON with the decoded form and timings. The lircd.conf holds a\n"
         "remote of LIRC's own encoding for each recognised form and device (SPACE_ENC\n"
         "with header, repeat code and pre_data for NEC-like forms, RC5, RC6, ...), each\n"
         "code checked by sending it with LIRC's library; keys of no form LIRC sends\n"
         "alike (raw codes, two-bit symbols) go to one remote of raw codes.\n" +
             kReplacedFile},
        {"set", "usage: urc-tool set KEY --pronto TEXT\n"
                "       urc-tool set KEY --raw \"raw 38000 +9000 -4500 ...\"\n"
                "       urc-tool set KEY --lircd FILE NAME\n"
                "       urc-tool set KEY --protocol PROTOCOL DEVICE COMMAND\n"
                "Teaches KEY a signal through the same path as learning (capture, encoding,\n"
                "conversion, storage plan). DEVICE and COMMAND decimal or 0x hex. --lircd\n"
                "reads a regular file of at most 1 MiB with LIRC's own library and takes key\n"
                "NAME of its first remote that has it, as lircd sends one press of it: every\n"
                "encoding LIRC sends (raw codes, SPACE_ENC, SPACE_FIRST, RC5, RC6, RC-MM,\n"
                "...), the frame, the min_repeat repeats the remote asks for, each with its\n"
                "gap. Numbers LIRC would wrap are refused (durations up to 10000000 us,\n"
                "frequency 10000 to 500000 Hz), as is \"include\". Refused on a URC whose\n"
                "memory fails its check and, before anything is written, for a signal the\n"
                "URC cannot keep exactly: a mark over 327670 us, a space inside it under 59\n"
                "or over 218504 us, a capture over 10240 characters (at most 2538\n"
                "durations), or over 1020 durations of more than 16 lengths. PROTOCOL is one\n"
                "of:\n" +
                    protocolList()},
        {"learn", "usage: urc-tool learn KEY [--timeout SECONDS] [--wait SECONDS]\n"
                  "Puts the URC into capture mode, says so, and waits for a key of the original\n"
                  "remote pressed at the URC (30 seconds, or --timeout SECONDS from 1 to 3600);\n"
                  "then stores its code in KEY as learning in the window does (the same cut,\n"
                  "conversion, storage plan and checked writes) and prints what KEY holds.\n"
                  "Nothing is written when no code comes in time (exit 1), the URC cannot keep\n"
                  "the code (exit 1, naming the storage left) or SIGINT (Ctrl-C), SIGTERM or\n"
                  "SIGHUP stops the wait (exit 128 plus the signal's number).\n"},
        {"clear", "usage: urc-tool clear KEY [--wait SECONDS]\n"
                  "Empties a learned key as deleting it in the window does.\n"},
        {"plot", "usage: urc-tool plot KEY -o FILE.png|FILE.svg\n"
                 "Draws the signal KEY emits: marks and spaces over a time axis in ms.\n" +
                     kReplacedFile},
    };
    return table;
}

// restore, set, learn and clear own the URC while they run; the others read beside
// the window program but not beside another program's writes.
const char kOwnerText[] =
    "One program owns the URC at a time: the window program while it runs, and\n"
    "restore, set, learn or clear while they run. A command that would write while\n"
    "another program owns the URC, or read while another writes, is refused with\n"
    "the other program's name and pid; --wait SECONDS (0 to 3600, any command)\n"
    "waits that long for it to finish instead.\n";

} // namespace

std::string usageText(const std::string& subcommand) {
    const auto found = texts().find(subcommand);
    if (found != texts().end() && found->second.find(" KEY") != std::string::npos)
        return found->second + kKeyText + kOwnerText;
    if (found != texts().end())
        return found->second + kOwnerText;
    // The whole help, which the manual page is made from: every command's own.
    std::string whole = "usage: urc-tool COMMAND [ARGUMENTS]\n"
                        "Backs up, restores, lists, exports, sets and learns the codes of the\n"
                        "QZT-617 URC. urc-tool COMMAND --help describes one command; urc-tool\n"
                        "--version gives the version.\n";
    for (const char* command :
         {"backup", "verify", "restore", "list", "export", "set", "learn", "clear", "plot"})
        whole += "\n" + texts().at(command);
    return whole + "\n" + kKeyText + kOwnerText +
           "Exit status: 0 done, 1 the URC, its library or a file failed, 2 usage error,\n"
           "128 plus the signal's number for a learn stopped by a signal.\n";
}

int printHelp(const std::string& subcommand) {
    std::cout << usageText(subcommand);
    return kExitOk;
}

} // namespace urctool
