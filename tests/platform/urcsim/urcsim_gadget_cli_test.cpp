// `urc-sim serve --usb-gadget`'s options on the command line, and the clear
// refusal on a machine without the kernel's gadget framework, which leaves
// no socket behind. Serving a real gadget is proven in the test virtual
// machine (tests/vm/usb_gadget.sh).
#include "tests/support/server_fixture.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <unistd.h>

namespace {

using urctest::runUrcSim;

struct Folder {
    std::filesystem::path path;
    Folder() {
        std::string pattern = (std::filesystem::temp_directory_path() / "urcusb-XXXXXX").string();
        path = ::mkdtemp(pattern.data());
    }
    ~Folder() { std::filesystem::remove_all(path); }
};

TEST(UrcSimServeUsb, RefusesGadgetOptionsThatMakeNoSense) {
    struct Row {
        std::string args;
        std::string message;
    } rows[] = {
        {"serve --udc dummy_udc.0", "--udc and --serial belong to --usb-gadget"},
        {"serve --serial S1", "--udc and --serial belong to --usb-gadget"},
        {"serve --usb-gadget --udc", "--udc needs a value"},
        {"serve --usb-gadget --serial ''", "--serial needs a value"},
        {"serve --usb-gadget --serial 'two words'",
         "--serial: the serial number may hold only printable ASCII characters without spaces"},
        {"serve --usb-gadget --serial " + std::string(127, 'S'),
         "--serial: the serial number has 127 characters, at most 126"},
        {"serve --usb-gadget --profile nonesuch", "unknown profile nonesuch"},
    };
    for (const auto& row : rows) {
        std::string output;
        EXPECT_EQ(runUrcSim(row.args, &output), 2) << row.args;
        EXPECT_NE(output.find("urc-sim: " + row.message), std::string::npos) << row.args << "\n"
                                                                             << output;
    }
}

TEST(UrcSimServeUsb, TheHelpNamesTheGadgetsOptions) {
    std::string output;
    EXPECT_EQ(runUrcSim("--help", &output), 0);
    EXPECT_NE(output.find("urc-sim serve --usb-gadget [--udc NAME] [--serial TEXT]"),
              std::string::npos)
        << output;
}

TEST(UrcSimServeUsb, WithoutTheGadgetFrameworkItSaysWhatIsMissingAndCleansUp) {
    if (std::filesystem::exists("/sys/kernel/config/usb_gadget"))
        GTEST_SKIP() << "this machine can make USB gadgets; the VM test covers serving one";
    Folder dir;
    const auto socket = (dir.path / "urc.sock").string();
    std::string output;
    EXPECT_EQ(runUrcSim("serve --usb-gadget --socket " + socket + " --image " +
                            (dir.path / "urc.img").string(),
                        &output),
              1);
    const bool named = output.find("configfs is not mounted on /sys/kernel/config (mount -t "
                                   "configfs none /sys/kernel/config)") != std::string::npos ||
                       output.find("(modprobe libcomposite)") != std::string::npos;
    EXPECT_TRUE(named) << output;
    EXPECT_FALSE(std::filesystem::exists(socket)) << "the socket outlived the refusal";
}

} // namespace
