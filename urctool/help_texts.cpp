#include "urctool/help_texts.h"

#include "irform/protocols.h"
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
                 "then the free storage blocks and allocation records. --json writes them as\n"
                 "JSON, one key a line (see JSON below).\n"},
        {"import",
         "usage: urc-tool import FILE [--remote NAME] --device TV|CBL|DVD|AMP\n"
         "                       [--map MAPFILE] [--dry-run] [--wait SECONDS]\n"
         "Teaches the URC a whole remote: every code of a lircd.conf remote (the first,\n"
         "or --remote NAME) or of a urc-tool JSON export goes to the key of the --device\n"
         "group (and that device's POWER key) its name means: LIRC's names (KEY_POWER,\n"
         "KEY_MUTE, KEY_VOLUMEUP, KEY_CHANNELUP, KEY_0 to KEY_9, KEY_OK, KEY_UP, KEY_MENU,\n"
         "KEY_EXIT, ...), the same without KEY_ and common spellings (POWER, VOL+,\n"
         "VOLUME_UP, CH+, MUTE, 0 to 9, OK, ENTER, SELECT, ...), or urc-tool's own export\n"
         "names (TV_MUTE). A JSON export's keys go back to the keys they came from\n"
         "(with --device only that group's; a lircd.conf needs --device). FILE is a\n"
         "regular file of at most 4 MiB. MAPFILE overrides: a line \"NAME KEY\" puts\n"
         "the code NAME on KEY (a code or label as set takes it, the rest of the line:\n"
         "\"TITLE DVD/TOP MENU\"), \"NAME -\" leaves it out; # starts a comment. Prints\n"
         "what went where, what found no key, and the keys two codes wanted with the\n"
         "winner: a MAPFILE line beats the export's key, which beats urc-tool's name,\n"
         "then LIRC's name, then a common spelling; between equals the earlier code.\n"
         "All writes are one plan in restore's crash-safe order, checked against the\n"
         "URC's free storage before the first (refused whole, naming the blocks and\n"
         "records needed and free) and read back after. --dry-run prints the table and\n"
         "the plan's size and writes nothing.\n"},
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
                "of (urc-tool forms describes them):\n" +
                    protocolList()},
        {"learn", "usage: urc-tool learn KEY [--timeout SECONDS] [--wait SECONDS]\n"
                  "Puts the URC into capture mode, says so, and waits for a key of the original\n"
                  "remote pressed at the URC (30 seconds, or --timeout SECONDS from 1 to 3600);\n"
                  "then stores its code in KEY as learning in the window does (the same cut,\n"
                  "conversion, storage plan and checked writes) and prints what KEY holds.\n"
                  "Nothing is written when no code comes in time (exit 1), the URC cannot keep\n"
                  "the code (exit 1, naming the storage left) or SIGINT (Ctrl-C), SIGTERM or\n"
                  "SIGHUP stops the wait (exit 128 plus the signal's number).\n"},
        {"forms",
         "usage: urc-tool forms [--json]\n"
         "Lists the protocol forms the URC understands: a code learned or set in one of\n"
         "them is kept as that form (no storage blocks, replayed exactly); set\n"
         "--protocol takes them by NAME. Per form its carrier, payload bits, device and\n"
         "command ranges (from 0) and a line read from its definition: coding, leader,\n"
         "bit order, repeats, toggle bits and the bits its layout fixes or checks. A\n"
         "capture whose measured carrier lies more than " +
             std::to_string(irform::kCarrierTolerancePercent) +
             " % from a form's is not read\n"
             "as that form. --json writes them as JSON, one form a line (see JSON below).\n"
             "Needs no URC.\n"},
        {"clear", "usage: urc-tool clear KEY [--wait SECONDS]\n"
                  "Empties a learned key as deleting it in the window does.\n"},
        {"plot",
         "usage: urc-tool plot [KEY | --keys KEY,KEY,...] [--raw TEXT | --pronto TEXT |\n"
         "                     --lircd FILE NAME] -o FILE.png|FILE.svg|FILE.pdf\n"
         "Draws signals one row each on one time scale, so they compare: the keys' as the\n"
         "URC sends them, then a signal not learned yet, such as what the original remote\n"
         "sends (--raw, --pronto and --lircd read as set reads them, within set's limits).\n"
         "Marks are bars over a time axis in ms, each mark's and space's length in us\n"
         "written on it where it fits; the silence that ends a row is written at its end,\n"
         "not drawn to scale. Each row is headed with what it reads as (\"TV/MUTE: nec\n"
         "0x04 0x08, 38.0 kHz\"; \"raw\" for a raw code). At most 10 rows; the picture is\n"
         "at most about 3000 pixels wide, bars closer than a pixel then drawn as one.\n"
         "The format follows FILE's suffix.\n" +
             kReplacedFile},
    };
    return table;
}

// restore, set, learn, clear and import own the URC while they run; the others
// read beside the window program but not beside another program's writes.
const char kOwnerText[] =
    "One program owns the URC at a time: the window program while it runs, and\n"
    "restore, set, learn, clear or import (but its --dry-run) while they run. A\n"
    "command that would write while another program owns the URC, or read while\n"
    "another writes, is refused with the other program's name and pid; --wait\n"
    "SECONDS (0 to 3600, any command but forms) waits that long for it to finish\n"
    "instead.\n";

// The fields of the JSON outputs, for the manual page.
const char kJsonText[] =
    "JSON fields:\n"
    "  list --json, export --format json and forms --json write one object whose\n"
    "  \"format\" (now 1) is the version of its fields: a later urc-tool adds fields\n"
    "  within a format and raises it when a field changes or goes; import refuses\n"
    "  a newer one. Each element of \"keys\" (\"forms\") stands on a line of its own.\n"
    "\n"
    "  list: \"keys\": per key \"code\" (two hex digits), \"label\" (\"TV/MUTE\"; empty\n"
    "  when the key table lacks it), \"state\" (\"no code\", \"not learned\",\n"
    "  \"learned\") and \"holds\": null when nothing readable, else \"form\" \"raw\"\n"
    "  with \"carrier\" (Hz), \"durations\" (their count) and \"blocks\", or \"form\"\n"
    "  \"protocol\" with \"text\" (\"nec 0x04 0x08\") and, when decoded, \"protocol\",\n"
    "  \"device\" and \"command\"; then \"storage_blocks\", \"free_storage_blocks\",\n"
    "  \"alloc_records\" and \"free_alloc_records\".\n"
    "\n"
    "  export: \"keys\": per key \"code\", \"label\", \"name\" (as in the lircd.conf\n"
    "  export), \"form\" (\"raw\" with \"blocks\", or the decoded text with\n"
    "  \"protocol\", \"device\" and \"command\"), \"carrier\" (Hz) and \"durations\"\n"
    "  (us, mark first). import reads \"code\", \"label\", \"name\", \"carrier\" and\n"
    "  \"durations\" and checks them as set checks a signal; the other fields\n"
    "  only describe them.\n"
    "\n"
    "  forms: \"forms\": per form \"name\", \"identifier\" (its code identifier in\n"
    "  the URC), \"carrier\" (Hz), \"bits\", \"max_device\", \"max_command\",\n"
    "  \"coding\" (\"pulse distance\", \"pulse width\", \"biphase, 889 us half\n"
    "  bits\", ...), \"repeat\" (\"ditto\" or \"frame\"), \"toggle_bits\",\n"
    "  \"checked_bits\" and \"description\" (the line forms prints).\n";

} // namespace

std::string usageText(const std::string& subcommand) {
    const auto found = texts().find(subcommand);
    if (found != texts().end() && found->second.find(" KEY") != std::string::npos)
        return found->second + kKeyText + kOwnerText;
    // forms reads no URC: nothing to own or wait for.
    if (subcommand == "forms")
        return found->second;
    if (found != texts().end())
        return found->second + kOwnerText;
    // The whole help, which the manual page is made from: every command's own.
    std::string whole = "usage: urc-tool COMMAND [ARGUMENTS]\n"
                        "Backs up, restores, lists, exports, sets and learns the codes of the\n"
                        "QZT-617 URC, imports whole remotes onto it and lists the protocol\n"
                        "forms it understands. urc-tool COMMAND --help describes one command;\n"
                        "urc-tool --version gives the version.\n";
    for (const char* command : {"backup", "verify", "restore", "list", "export", "set", "learn",
                                "clear", "plot", "import", "forms"})
        whole += "\n" + texts().at(command);
    return whole + "\n" + kKeyText + kOwnerText + "\n" + kJsonText + "\n" +
           "Exit status: 0 done, 1 the URC, its library or a file failed, 2 usage error,\n"
           "128 plus the signal's number for a learn stopped by a signal.\n";
}

int printHelp(const std::string& subcommand) {
    std::cout << usageText(subcommand);
    return kExitOk;
}

} // namespace urctool
