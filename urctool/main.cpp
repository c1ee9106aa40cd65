// urc-tool: the URC's codes outside the window program. Subcommands back the
// memory up, compare and restore it, list, export, set, learn, clear and plot
// keys, import a whole remote, and list the protocol forms.
#include "device/urc_library.h"
#include "urctool/commands.h"
#include "urctool/errors.h"
#include "urctool/help_texts.h"
#include "urctool/urc_hold.h"

#include <functional>
#include <iostream>
#include <map>

namespace {

// The command's exit status, its failures reported as each kind asks.
int runReporting(const std::string& name, const std::function<int()>& command) {
    using namespace urctool;
    try {
        return command();
    } catch (const UsageError& e) {
        std::cerr << "urc-tool " << name << ": " << e.what() << "\n" << usageText(name);
        return kExitUsage;
    } catch (const ToolError& e) {
        std::cerr << "urc-tool " << name << ": " << e.what() << "\n";
        return kExitFailed;
    } catch (const std::exception& e) {
        std::cerr << "urc-tool " << name << ": " << e.what() << "\n";
        return kExitFailed;
    }
}

} // namespace

int main(int argc, char* argv[]) {
    using namespace urctool;
    const std::vector<std::string> all(argv + 1, argv + argc);
    if (all.empty()) {
        std::cerr << usageText("");
        return kExitUsage;
    }
    const std::string& name = all[0];
    if (name == "--help" || name == "help")
        return printHelp("");
    if (name == "--version") {
        std::cout << "urc-tool " << QZT617_VERSION << "\n";
        return kExitOk;
    }
    const Args rest(all.begin() + 1, all.end());
    // forms reads the form table only: it neither opens nor holds the URC.
    if (name == "forms")
        return runReporting(name, [&] { return formsCommand(rest, std::cout); });
    using Command = int (*)(device::UrcLibrary&, const Args&);
    static const std::map<std::string, Command> commands = {
        {"backup", backupCommand}, {"verify", verifyCommand}, {"restore", restoreCommand},
        {"list", listCommand},     {"set", setCommand},       {"clear", clearCommand},
        {"learn", learnCommand},   {"export", exportCommand}, {"plot", plotCommand},
        {"import", importCommand}};
    const auto command = commands.find(name);
    if (command == commands.end()) {
        std::cerr << "urc-tool: unknown command " << name << "\n" << usageText("");
        return kExitUsage;
    }
    device::LinkedUrcLibrary urc;
    return runReporting(name, [&] {
        // Held until the command has returned: after its last write.
        const HeldUrc held = holdUrcFor(name, rest);
        return command->second(urc, held.arguments);
    });
}
