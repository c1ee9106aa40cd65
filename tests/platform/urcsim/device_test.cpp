// The emulated URC's request handling, without a socket and with a fake clock.
#include "urcmem/image_file.h"
#include "platform/urcsim/device.h"
#include "platform/urcsim/factory_keys.h"
#include "platform/urcsim/press.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <unistd.h>

namespace {

using namespace std::chrono_literals;
using Time = std::chrono::steady_clock::time_point;

class DeviceTest : public testing::Test {
protected:
    urcsim::Device makeDevice(std::string imagePath = {}) {
        return urcsim::Device({urcsim::factoryImageFor(urcmem::defaultProfile()),
                               std::move(imagePath), &urcmem::defaultProfile(), 0,
                               [this] { return now; }});
    }
    Time now{};
};

TEST_F(DeviceTest, RefusesWritesWithAnotherSelectorOrPastTheEnd) {
    auto d = makeDevice();
    EXPECT_EQ(d.handle("WRITE 00 2000 11"), "ERR the write selector does not match the URC's\n");
    EXPECT_EQ(d.handle("WRITE A5 FFFF 1122"), "ERR the write passes 0xFFFF\n");
    EXPECT_EQ(d.handle("WRITE A5 2000 112"),
              "ERR WRITE takes two hex digits, four hex digits and even-length hex data\n");
    EXPECT_EQ(d.handle("WRITE a5 2000 11aa"), "OK\n");
    EXPECT_EQ(d.handle("READ 2000 1"), "OK 11AA000000000000\n");
}

TEST_F(DeviceTest, ReadsAreBoundedToTheAddressSpace) {
    auto d = makeDevice();
    EXPECT_EQ(d.handle("READ FFF8 1").substr(0, 3), "OK ");
    EXPECT_EQ(d.handle("READ FFF8 2"), "ERR the read passes 0xFFFF\n");
    EXPECT_EQ(d.handle("READ B000 0").substr(0, 4), "ERR ");
    EXPECT_EQ(d.handle("READ B00 1").substr(0, 4), "ERR ");
}

TEST_F(DeviceTest, UnpluggedAnswersOnlyTheLinkQuery) {
    auto d = makeDevice();
    d.handle("UNPLUG");
    EXPECT_EQ(d.handle("LINK"), "OK 0\n");
    for (const char* request : {"VERSION", "READ B000 6", "WRITE A5 2000 00", "CAPTURE", "COLLECT",
                                "BASICINFO", "CODETYPE 00"})
        EXPECT_EQ(d.handle(request), "ERR the URC is unplugged\n") << request;
    d.handle("PLUG");
    EXPECT_EQ(d.handle("LINK"), "OK 1\n");
}

TEST_F(DeviceTest, InjectedFaultsFailTheNextOperationsOnly) {
    auto d = makeDevice();
    d.handle("FAIL reads 2");
    d.handle("FAIL writes 1");
    d.handle("FAIL capture 1");
    EXPECT_EQ(d.handle("READ B000 1"), "ERR injected read failure\n");
    EXPECT_EQ(d.handle("READ B000 1"), "ERR injected read failure\n");
    EXPECT_EQ(d.handle("READ B000 1").substr(0, 3), "OK ");
    EXPECT_EQ(d.handle("WRITE A5 2000 01"), "ERR injected write failure\n");
    EXPECT_EQ(d.handle("READ 2000 1"), "OK 0000000000000000\n"); // the failed write left nothing
    EXPECT_EQ(d.handle("WRITE A5 2000 01"), "OK\n");
    EXPECT_EQ(d.handle("CAPTURE"), "ERR injected capture failure\n");
    EXPECT_EQ(d.handle("CAPTURE"), "OK\n");
}

TEST_F(DeviceTest, AKeyHeldDuringCaptureModeIsCapturedOnce) {
    auto d = makeDevice();
    EXPECT_EQ(d.handle("PRESS 2000 8D000700"), "OK held\n");
    now += 1500ms;
    EXPECT_EQ(d.handle("COLLECT"), "ERR nothing captured\n"); // not in capture mode yet
    EXPECT_EQ(d.handle("CAPTURE"), "OK\n");
    EXPECT_EQ(d.handle("COLLECT"), "OK 8D000700\n");
    EXPECT_EQ(d.handle("COLLECT"), "ERR nothing captured\n");
    EXPECT_NE(d.handle("STATUS").find("capture mode=off"), std::string::npos);
}

TEST_F(DeviceTest, AKeyReleasedBeforeCaptureModeIsNotCaptured) {
    auto d = makeDevice();
    d.handle("PRESS 2000 8D000700");
    now += 2001ms;
    d.handle("CAPTURE");
    EXPECT_EQ(d.handle("COLLECT"), "ERR nothing captured\n");
    EXPECT_EQ(d.handle("PRESS 100 1234"), "OK captured\n"); // still in capture mode
    d.handle("UNPLUG");
    d.handle("PLUG");
    EXPECT_EQ(d.handle("COLLECT"), "ERR nothing captured\n"); // unplugging lost it
}

TEST_F(DeviceTest, WritesAndIdentityArePersistedBeforeTheyAreAcknowledged) {
    std::string folder = (std::filesystem::temp_directory_path() / "urcdev-XXXXXX").string();
    ASSERT_NE(::mkdtemp(folder.data()), nullptr);
    const std::string path = folder + "/u.img";
    auto d = makeDevice(path);
    EXPECT_EQ(d.handle("WRITE A5 2008 CAFE"), "OK\n");
    EXPECT_EQ(d.handle("IDENTITY 0102030405060708090A0B0C0D0E0F"),
              "OK 0102030405060708090A0B0C0D0E0F\n");
    auto saved = urcmem::loadImage(path);
    ASSERT_TRUE(saved.memory) << saved.error;
    EXPECT_EQ(saved.memory->word(0x2008), 0xFECA);
    EXPECT_EQ(saved.memory->byte(0xB000 + 14), 0x0F);
    EXPECT_EQ(d.handle("BASICINFO").substr(3, 30), "0102030405060708090A0B0C0D0E0F");
    std::filesystem::remove_all(folder);
    // With the folder gone the write cannot be persisted, so it is refused and undone.
    EXPECT_EQ(d.handle("WRITE A5 2008 0000").substr(0, 4), "ERR ");
    EXPECT_EQ(d.handle("READ 2008 1"), "OK CAFE000000000000\n");
}

TEST_F(DeviceTest, StoredCodeGivesRecordAndData) {
    auto d = makeDevice();
    // POWER/TV leaves the factory with NEC device 4 command 8 in the built-in form.
    EXPECT_EQ(d.handle("STORED 00"), "OK 80000001000001000400082602002004380000000000 -\n");
    EXPECT_EQ(d.handle("STORED 99"), "ERR the URC has no key with code 99\n");
}

TEST_F(DeviceTest, BadRequestsGetAnErrorNotACrash) {
    auto d = makeDevice();
    for (const char* request :
         {"", "NOPE", "READ", "WRITE A5", "DUMP 65535 2", "FAIL lots 1", "FAIL reads 1 x",
          "FAIL reads 1 2 3", "LATENCY 5000", "PRESS x 00", "PRESS 10 XYZ", "IDENTITY 00"})
        EXPECT_EQ(d.handle(request).substr(0, 4), "ERR ") << request;
}

struct CaptureCase {
    std::string text;
    const char* hex;   // expected on success
    const char* error; // part of the message on failure
};

TEST(RawCapture, KeepsHexDigitsAndRefusesTheRest) {
    const CaptureCase cases[] = {
        {"8D00 0700\n8300\r\n", "8D0007008300", nullptr},
        {std::string("8D00\0\0\0", 7), "8D00", nullptr},
        {"8D0G", nullptr, "not a hexadecimal digit"},
        {"  \n", nullptr, "empty"},
    };
    for (const auto& c : cases) {
        auto result = urcsim::rawCaptureFromText(c.text);
        if (c.hex) {
            EXPECT_EQ(result.hex, c.hex);
            EXPECT_TRUE(result.error.empty());
        } else {
            EXPECT_TRUE(result.hex.empty());
            EXPECT_NE(result.error.find(c.error), std::string::npos) << result.error;
        }
    }
    EXPECT_NE(urcsim::rawCaptureFromText(std::string(10244, 'A')).error.find("at most 10240"),
              std::string::npos);
}

} // namespace
