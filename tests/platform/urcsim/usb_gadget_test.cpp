// The parts of the USB gadget that need no kernel: the serial number, the
// choice of controller, finding the gadget's node, the lock that tells a live
// gadget from a stale one, the messages for what configfs refuses, and the
// refusals before anything is made. Making and binding a real gadget is
// proven in the test virtual machine (tests/vm/usb_gadget.sh).
#include "platform/urcsim/usb_gadget.h"

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;
using urcsim::chooseUdc;
using urcsim::configfsProblem;
using urcsim::parseDeviceNumbers;
using urcsim::serialForImage;
using urcsim::serialProblem;

class TempDir {
public:
    TempDir() {
        char pattern[] = "/tmp/usb_gadget_test.XXXXXX";
        path_ = ::mkdtemp(pattern);
    }
    ~TempDir() { fs::remove_all(path_); }
    std::string operator/(const std::string& name) const { return path_ + "/" + name; }
    const std::string& path() const { return path_; }
    void write(const std::string& name, const std::string& text) const {
        fs::create_directories(fs::path(*this / name).parent_path());
        std::ofstream(*this / name) << text;
    }

private:
    std::string path_;
};

TEST(GadgetSerial, StaysTheSameForOneImageAndDiffersBetweenImages) {
    EXPECT_EQ(serialForImage("/home/u/urc.img"), serialForImage("/home/u/urc.img"));
    EXPECT_NE(serialForImage("/home/u/urc.img"), serialForImage("/home/u/urc2.img"));
    const auto serial = serialForImage("/var/lib/urc/urc.img");
    EXPECT_EQ(serial.size(), 16u);
    EXPECT_EQ(serialProblem(serial), "");
}

TEST(GadgetSerial, RefusesWhatAStringDescriptorCannotCarry) {
    struct Row {
        std::string serial;
        std::string problem;
    } rows[] = {
        {"URC-0001", ""},
        {std::string(126, 'A'), ""},
        {"", "the serial number is empty"},
        {std::string(127, 'A'), "the serial number has 127 characters, at most 126"},
        {"with space", "the serial number may hold only printable ASCII characters without spaces"},
        {"tab\t", "the serial number may hold only printable ASCII characters without spaces"},
        {"\xC3\xA9", "the serial number may hold only printable ASCII characters without spaces"},
    };
    for (const auto& row : rows)
        EXPECT_EQ(serialProblem(row.serial), row.problem) << row.serial;
}

TEST(GadgetUdc, TakesTheFirstByNameOrTheOneAskedFor) {
    struct Row {
        std::vector<std::string> available;
        std::string wanted, name, error;
    } rows[] = {
        {{"fe980000.usb", "dummy_udc.0"}, "", "dummy_udc.0", ""},
        {{"dummy_udc.1", "dummy_udc.0"}, "dummy_udc.1", "dummy_udc.1", ""},
        {{"dummy_udc.0"},
         "musb-hdrc.0",
         "",
         "no USB device controller musb-hdrc.0 (there are: dummy_udc.0)"},
        {{},
         "",
         "",
         "no USB device controller in /sys/class/udc (a board's OTG port with its driver, or "
         "dummy_hcd for a test)"},
    };
    for (const auto& row : rows) {
        const auto choice = chooseUdc(row.available, row.wanted);
        EXPECT_EQ(choice.name, row.name) << row.wanted;
        EXPECT_EQ(choice.error, row.error) << row.wanted;
    }
}

TEST(GadgetNode, ReadsDeviceNumbersAndRefusesOtherText) {
    EXPECT_EQ(parseDeviceNumbers("241:0\n"), (urcsim::DeviceNumbers{241, 0}));
    EXPECT_EQ(parseDeviceNumbers("10:12"), (urcsim::DeviceNumbers{10, 12}));
    for (const char* bad : {"", "241", ":0", "241:", "24a:0", "-1:0", "1:2:3", "99999999999:0"})
        EXPECT_FALSE(parseDeviceNumbers(bad)) << bad;
}

TEST(GadgetNode, FindsTheHidgEntryWithTheFunctionsNumbers) {
    TempDir sys;
    sys.write("hidg0/dev", "240:0\n");
    sys.write("hidg1/dev", "240:1\n");
    sys.write("broken/dev", "nonsense\n");
    EXPECT_EQ(urcsim::findHidgName(sys.path(), {240, 1}), "hidg1");
    EXPECT_EQ(urcsim::findHidgName(sys.path(), {240, 0}), "hidg0");
    EXPECT_EQ(urcsim::findHidgName(sys.path(), {241, 0}), "");
    EXPECT_EQ(urcsim::findHidgName(sys / "missing", {240, 0}), "");
}

TEST(GadgetLock, ALiveServersLockIsRefusedAndAFreedOneTaken) {
    TempDir dir;
    const auto path = dir / "urc.gadget.lock";
    std::string error;
    {
        urcsim::GadgetLock first;
        ASSERT_TRUE(first.acquire(path, "qzt617-urc", error)) << error;
        urcsim::GadgetLock second;
        EXPECT_FALSE(second.acquire(path, "qzt617-urc", error));
        EXPECT_EQ(error,
                  "another urc-sim serves the USB gadget qzt617-urc (it holds " + path + ")");
    }
    urcsim::GadgetLock again;
    EXPECT_TRUE(again.acquire(path, "qzt617-urc", error)) << error;
}

TEST(GadgetErrors, NameWhatToDo) {
    struct Row {
        int error;
        std::string text;
    } rows[] = {
        {EACCES, "cannot bind: making a USB gadget needs root (configfs)"},
        {EPERM, "cannot bind: making a USB gadget needs root (configfs)"},
        {EBUSY, "cannot bind: the USB device controller is in use by another gadget"},
        {ENODEV, "cannot bind: no such USB device controller"},
        {ENOSPC, "cannot bind: No space left on device"},
    };
    for (const auto& row : rows)
        EXPECT_EQ(configfsProblem(row.error, "bind"), row.text);
}

// Before anything is made: configfs unmounted, the framework missing, no
// controller, a bad serial; each refused with what to do and nothing left.
TEST(GadgetCreate, RefusesWhatIsMissingBeforeMakingAnything) {
    TempDir root;
    urcsim::GadgetSettings settings;
    settings.serial = "S1";
    settings.paths = {root / "config", root / "udc",    root / "hidg",
                      root / "dev",    root / "mounts", root.path()};
    root.write("mounts", "sysfs /sys sysfs rw 0 0\n");
    fs::create_directories(root / "config");
    std::string error;
    EXPECT_FALSE(urcsim::UsbGadget::create(settings, error));
    EXPECT_EQ(error, "configfs is not mounted on " + settings.paths.configfs +
                         " (mount -t configfs none " + settings.paths.configfs + ")");

    root.write("mounts", "none " + settings.paths.configfs + " configfs rw 0 0\n");
    EXPECT_FALSE(urcsim::UsbGadget::create(settings, error));
    EXPECT_EQ(error, "the kernel's USB gadget framework is not loaded: no " +
                         settings.paths.configfs + "/usb_gadget (modprobe libcomposite)");

    fs::create_directories(root / "config/usb_gadget");
    EXPECT_FALSE(urcsim::UsbGadget::create(settings, error));
    EXPECT_TRUE(error.starts_with("no USB device controller in")) << error;

    settings.serial = "two words";
    EXPECT_FALSE(urcsim::UsbGadget::create(settings, error));
    EXPECT_EQ(error, serialProblem("two words"));
    EXPECT_TRUE(fs::is_empty(root / "config/usb_gadget"));
}

} // namespace
