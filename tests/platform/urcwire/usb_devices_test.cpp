// Choosing the URC among the hidraw devices plugged in, and choosing between
// the socket and USB, on lists of devices no machine here has.
#include "platform/urcwire/linked_urc.h"
#include "platform/urcwire/usb_devices.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

namespace {

using urcwire::LinkedUrc;
using urcwire::usb::HidrawDevice;
using urcwire::usb::UrcChoice;

HidrawDevice urc(std::string serial, std::string devnode, std::string port = "1-1") {
    return {std::move(devnode), "/sys/class/hidraw/x", 0x1209, 0x0001,
            std::move(serial),  "QZT-617 URC",         "QZT",  std::move(port)};
}

HidrawDevice keyboard(std::string devnode) {
    return {std::move(devnode), "/sys/class/hidraw/k", 0x046d, 0xc31c, "", "Keyboard", "", "1-2"};
}

TEST(UsbUrcChoice, OnlyTheUrcsIdsCount) {
    struct Row {
        std::vector<HidrawDevice> plugged;
        std::string chosen; // devnode; empty for none
        std::size_t count;
    };
    HidrawDevice otherProduct = urc("A", "/dev/hidraw4");
    otherProduct.product = 0x0002;
    HidrawDevice otherVendor = urc("A", "/dev/hidraw5");
    otherVendor.vendor = 0x1208;
    for (const Row& row : std::initializer_list<Row>{
             {{}, "", 0},
             {{keyboard("/dev/hidraw0")}, "", 0},
             {{otherProduct, otherVendor}, "", 0},
             {{keyboard("/dev/hidraw0"), urc("S1", "/dev/hidraw1")}, "/dev/hidraw1", 1},
             {{urc("", "/dev/hidraw2"), keyboard("/dev/hidraw0")}, "/dev/hidraw2", 1}}) {
        const UrcChoice choice = urcwire::usb::chooseUrc(row.plugged);
        EXPECT_EQ(choice.urc ? choice.urc->devnode : "", row.chosen);
        EXPECT_EQ(choice.count, row.count);
        EXPECT_EQ(choice.note, "");
    }
}

TEST(UsbUrcChoice, OfSeveralTheSameIsChosenWhateverTheOrder) {
    struct Row {
        std::vector<HidrawDevice> plugged;
        std::string chosen;
    };
    for (Row row : std::initializer_list<Row>{
             // By serial number, not by node or port.
             {{urc("B", "/dev/hidraw0", "1-1"), urc("A", "/dev/hidraw5", "1-2")}, "/dev/hidraw5"},
             // The same serial twice: by port, then by node as a number.
             {{urc("A", "/dev/hidraw3", "1-2"), urc("A", "/dev/hidraw8", "1-1")}, "/dev/hidraw8"},
             {{urc("A", "/dev/hidraw10"), urc("A", "/dev/hidraw9")}, "/dev/hidraw9"},
             {{urc("A2", "/dev/hidraw1"), urc("A10", "/dev/hidraw2"), keyboard("/dev/hidraw0")},
              "/dev/hidraw2"}}) {
        std::sort(row.plugged.begin(), row.plugged.end(),
                  [](auto& a, auto& b) { return a.devnode < b.devnode; });
        do {
            const UrcChoice choice = urcwire::usb::chooseUrc(row.plugged);
            ASSERT_TRUE(choice.urc);
            EXPECT_EQ(choice.urc->devnode, row.chosen);
        } while (std::next_permutation(row.plugged.begin(), row.plugged.end(),
                                       [](auto& a, auto& b) { return a.devnode < b.devnode; }));
    }
}

TEST(UsbUrcChoice, SeveralUrcsAreSaidWithTheOneUsed) {
    const UrcChoice choice =
        urcwire::usb::chooseUrc({urc("B7", "/dev/hidraw0"), keyboard("/dev/hidraw1"),
                                 urc("", "/dev/hidraw3"), urc("A3", "/dev/hidraw2")});
    EXPECT_EQ(choice.count, 3u);
    EXPECT_EQ(choice.note, "3 URCs are plugged in; using the one with no serial at /dev/hidraw3, "
                           "not serial A3 at /dev/hidraw2; serial B7 at /dev/hidraw0");
}

TEST(UsbUrcChoice, IdsAreWrittenAsUdevWritesThem) {
    EXPECT_EQ(urcwire::usb::idText(0x1209, 0x0001), "1209:0001");
    EXPECT_EQ(urcwire::usb::idText(0xABCD, 0x00EF), "abcd:00ef");
}

// This machine's own devices: whatever it has, each is a USB hidraw node.
TEST(UsbUrcChoice, TheEnumerationListsHidrawNodesOnly) {
    const auto found = urcwire::usb::enumerateHidraw();
    EXPECT_EQ(found.error, "");
    for (const HidrawDevice& d : found.devices) {
        EXPECT_EQ(d.devnode.rfind("/dev/hidraw", 0), 0u) << d.devnode;
        EXPECT_EQ(d.syspath.rfind("/sys/devices/", 0), 0u) << d.syspath;
        EXPECT_NE(d.port, "");
    }
}

// Any plugging in or out changes the fingerprint; nothing else does.
TEST(UsbUrcChoice, TheFingerprintFollowsTheDevicesLinks) {
    std::string pattern = (std::filesystem::temp_directory_path() / "hidraw-XXXXXX").string();
    const std::filesystem::path folder = ::mkdtemp(pattern.data());
    const auto link = [&](const std::string& name, const std::string& hid) {
        std::filesystem::remove(folder / name);
        std::filesystem::create_symlink("../../devices/usb1/1-1/1-1:1.0/" + hid + "/hidraw/" + name,
                                        folder / name);
    };
    const std::string none = urcwire::usb::hidrawFingerprint(folder.string());
    link("hidraw0", "0003:1209:0001.0001");
    const std::string one = urcwire::usb::hidrawFingerprint(folder.string());
    EXPECT_EQ(urcwire::usb::hidrawFingerprint(folder.string()), one);
    link("hidraw0", "0003:1209:0001.0002"); // plugged in again under the same node
    const std::string replugged = urcwire::usb::hidrawFingerprint(folder.string());
    link("hidraw1", "0003:046D:C31C.0003");
    const std::string two = urcwire::usb::hidrawFingerprint(folder.string());
    std::filesystem::remove(folder / "hidraw1");
    EXPECT_EQ(urcwire::usb::hidrawFingerprint(folder.string()), replugged);
    std::filesystem::remove_all(folder);
    EXPECT_EQ(urcwire::usb::hidrawFingerprint(folder.string()), "");
    EXPECT_EQ(none, "");
    EXPECT_NE(one, none);
    EXPECT_NE(replugged, one);
    EXPECT_NE(two, replugged);
    // The kept choice is this machine's choice now.
    EXPECT_EQ(urcwire::usb::findUsbUrc().count,
              urcwire::usb::chooseUrc(urcwire::usb::enumerateHidraw().devices).count);
}

class LinkedUrcTest : public testing::Test {
protected:
    void SetUp() override {
        std::string pattern = (std::filesystem::temp_directory_path() / "linked-XXXXXX").string();
        runtime_ = ::mkdtemp(pattern.data());
        ::setenv("XDG_RUNTIME_DIR", runtime_.c_str(), 1);
        ::unsetenv("QZT617_URC_SOCKET");
    }
    void TearDown() override {
        ::unsetenv("XDG_RUNTIME_DIR");
        ::unsetenv("QZT617_URC_SOCKET");
        std::filesystem::remove_all(runtime_);
    }
    urcwire::UsbFinder finder(std::vector<HidrawDevice> plugged) {
        return [this, plugged] {
            ++asked_;
            return urcwire::usb::chooseUrc(plugged);
        };
    }
    std::filesystem::path runtime_;
    int asked_ = 0;
};

TEST_F(LinkedUrcTest, TheVariableWinsOverAUsbUrc) {
    ::setenv("QZT617_URC_SOCKET", "/tmp/mine.sock", 1);
    const LinkedUrc linked = urcwire::findLinkedUrc(false, finder({urc("A", "/dev/hidraw0")}));
    EXPECT_EQ(linked.kind, LinkedUrc::Kind::Socket);
    EXPECT_EQ(linked.socketPath, "/tmp/mine.sock");
    EXPECT_EQ(asked_, 0); // not even looked for
}

TEST_F(LinkedUrcTest, APluggedUrcWinsOverTheEmulatorsSocket) {
    std::filesystem::create_directory(runtime_ / "qzt617");
    std::filesystem::permissions(runtime_ / "qzt617", std::filesystem::perms::owner_all);
    const LinkedUrc linked =
        urcwire::findLinkedUrc(false, finder({urc("B", "/dev/hidraw0"), urc("A", "/dev/hidraw1")}));
    EXPECT_EQ(linked.kind, LinkedUrc::Kind::Usb);
    EXPECT_EQ(linked.usb.devnode, "/dev/hidraw1");
    EXPECT_EQ(linked.usb.serial, "A");
    EXPECT_NE(linked.note.find("2 URCs are plugged in"), std::string::npos) << linked.note;
}

TEST_F(LinkedUrcTest, WithoutAUsbUrcTheEmulatorsSocket) {
    // No server has made the per-user folder: nothing to reach, and no fault.
    const LinkedUrc none = urcwire::findLinkedUrc(false, finder({keyboard("/dev/hidraw0")}));
    EXPECT_EQ(none.kind, LinkedUrc::Kind::None);
    EXPECT_FALSE(none.refused);
    EXPECT_NE(none.error, "");
    const LinkedUrc made = urcwire::findLinkedUrc(true, finder({}));
    EXPECT_EQ(made.kind, LinkedUrc::Kind::Socket);
    EXPECT_EQ(made.socketPath, (runtime_ / "qzt617" / "urc.sock").string());
    EXPECT_EQ(asked_, 2);
}

TEST_F(LinkedUrcTest, AnUnusableFolderIsAFaultToTellOnlyWithoutAUsbUrc) {
    std::filesystem::create_directory(runtime_ / "qzt617");
    std::filesystem::permissions(runtime_ / "qzt617", std::filesystem::perms::all);
    const LinkedUrc refused = urcwire::findLinkedUrc(false, finder({}));
    EXPECT_EQ(refused.kind, LinkedUrc::Kind::None);
    EXPECT_TRUE(refused.refused);
    EXPECT_NE(refused.error.find("open to other users"), std::string::npos) << refused.error;
    EXPECT_EQ(urcwire::findLinkedUrc(false, finder({urc("A", "/dev/hidraw0")})).kind,
              LinkedUrc::Kind::Usb);
}

} // namespace
