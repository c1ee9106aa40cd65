// `urc-sim press` and `urc-sim send` against a running server, with the codes
// going in and out through libtovqel as the program moves them.
#include "irform/capture_render.h"
#include "irform/code_form.h"
#include "irform/protocols.h"
#include "irform/raw_example.h"
#include "platform/urcsim/factory_keys.h"
#include "tests/support/server_fixture.h"
#include "urcmem/memory_map.h"

#include <chrono>
#include <cstdio>
#include <fstream>
#include <gtest/gtest.h>
#include <thread>
#include <tovqel.h>

namespace {

using urctest::runUrcSim;
using urctest::ServerProcess;

class UrcSimIr : public testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(server.started()) << "urc-sim serve did not start"; }

    // What RCollectCodeInfo hands over after capture mode, as text up to the zeros.
    std::string collected() {
        std::vector<char> buffer(TOVQEL_CAPTURE_BUFFER + 1, 0);
        if (!RCollectCodeInfo(buffer.data()))
            return "(nothing collected)";
        EXPECT_EQ(buffer[TOVQEL_CAPTURE_BUFFER], 0);
        return std::string(buffer.data());
    }

    std::string send(const std::string& code, int expectedStatus = 0) {
        std::string output;
        EXPECT_EQ(runUrcSim("send " + code, &output), expectedStatus) << output;
        return output;
    }

    ServerProcess server;
};

struct PressCase {
    const char* args;
    const char* protocol;
    uint32_t device;
    uint32_t command;
};

TEST_F(UrcSimIr, APressedProtocolKeyIsCollectedAsRendered) {
    const PressCase cases[] = {
        {"nec 0x04 0x08", "nec", 4, 8},
        {"necx 0x1234 200", "necx", 0x1234, 200},
        {"rc5 0x1F 0x7F", "rc5", 0x1F, 0x7F},
        {"sirc12 1 21", "sirc12", 1, 21},
        {"sirc15 0x97 0x25", "sirc15", 0x97, 0x25},
        {"sirc20 0x1ABC 3", "sirc20", 0x1ABC, 3},
        {"lg 0x88 0x0834", "lg", 0x88, 0x0834},
        {"gicable 1 0x30", "gicable", 1, 0x30},
        {"mitsubishik 0x0247 58", "mitsubishik", 0x0247, 58},
        {"xmp 0x2B1C 0x4A00", "xmp", 0x2B1C, 0x4A00},
        {"nokia24 0x1A40 0x5C", "nokia24", 0x1A40, 0x5C},
        {"recs80 2 0x15", "recs80", 2, 0x15},
        {"grundig16 0x61 0x2C", "grundig16", 0x61, 0x2C},
        {"samsung20 0x7C5 0x3B", "samsung20", 0x7C5, 0x3B},
        {"rca38 9 0xC6", "rca38", 9, 0xC6},
    };
    for (const auto& c : cases) {
        ASSERT_TRUE(SetCodeCarrierWave());
        std::string output;
        // Held for 1 ms only, so that the next case's capture mode does not
        // take this key again; a URC already in capture mode takes it at once.
        ASSERT_EQ(runUrcSim(std::string("press ") + c.args + " --hold-ms 1", &output), 0) << output;
        EXPECT_EQ(output, "key pressed; the URC captured it\n");
        EXPECT_EQ(collected(),
                  *irform::pressCapture(c.protocol, c.device, c.command, irform::kTypicalReceiver))
            << c.args;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
}

TEST_F(UrcSimIr, ARawDescriptionFileIsCollectedAsRendered) {
    const irform::Signal signal = irform::rawExampleSignal(5);
    const auto file = server.folder() / "raw.txt";
    std::ofstream(file) << irform::describeSignal(signal) << "\n";
    ASSERT_EQ(runUrcSim("press --raw " + file.string()), 0);
    ASSERT_TRUE(SetCodeCarrierWave()); // the key is still held: captured at once
    EXPECT_EQ(collected(), irform::renderCapture(signal));
}

TEST_F(UrcSimIr, SendDescribesTheFactoryPresets) {
    EXPECT_EQ(send("00"), "nec 0x04 0x08\n");
    EXPECT_EQ(send("17"), "rc5 0x00 0x0c\n");
    EXPECT_EQ(send("85"), "sirc12 0x01 0x15\n");
}

TEST_F(UrcSimIr, SendRefusesKeysThatHoldNothing) {
    EXPECT_NE(send("05", 1).find("key 05 holds no code"), std::string::npos);
    EXPECT_NE(send("99", 1).find("the URC has no key with code 99"), std::string::npos);
    ASSERT_EQ(runUrcSim("unplug"), 0);
    EXPECT_EQ(send("00"), "nec 0x04 0x08\n") << "the bench reads memory whatever the cable";
}

// The URC's memory as the program finds it, to place a learned code.
class LearnedKey {
public:
    LearnedKey()
        : header_(*urcmem::readHeader(urcsim::factoryImageFor(urcmem::defaultProfile()))) {}

    // Writes the data blocks, the block map, allocation record 0 and the key
    // record of the key at `index`, in that order, as the program does.
    bool store(int index, const irform::CodeForm& form) {
        // An identifier from 0x22 on marks a code kept in the code storage.
        const bool storage = std::stoi(form.id.substr(0, 2), nullptr, 16) >= 0x22;
        if (storage) {
            const int blocks = static_cast<int>(form.data.size() / irform::kBlockDigits);
            const int word = 0x8000; // in use, from block 0
            if (!write(header_.storageAddress, form.data) ||
                !write(header_.allocAreaAddress, mapOfFirstBlocks(blocks)) ||
                !write(header_.allocAreaAddress + header_.blockMapSize(),
                       form.id + hex2(word & 0xFF) + hex2(word >> 8) + hex2(blocks)))
                return false;
        }
        return write(header_.keyTableAddress + urcmem::kKeyRecordSize * index,
                     std::string("C000") + (storage ? "80" : "00") + form.id + form.p + form.q);
    }

private:
    static std::string hex2(int value) {
        char text[4];
        std::snprintf(text, sizeof text, "%02X", value & 0xFF);
        return text;
    }
    static std::string mapOfFirstBlocks(int blocks) {
        std::string map;
        for (int byte = 0; byte * 8 < blocks; ++byte) {
            const int bits = std::min(8, blocks - byte * 8);
            map += hex2((0xFF00 >> bits) & 0xFF);
        }
        return map;
    }
    static bool write(int address, const std::string& data) {
        return writedatav20("A5", hex2(address >> 8).c_str(), hex2(address).c_str(), data.c_str());
    }
    urcmem::Header header_;
};

TEST_F(UrcSimIr, SendDescribesALearnedBuiltInCode) {
    using irform::Protocol;
    const struct {
        irform::Decoded code;
        const char* described;
    } cases[] = {{{Protocol::Rc5, 3, 0x41}, "rc5 0x03 0x41\n"},
                 {{Protocol::Lg, 0x88, 0x0834}, "lg 0x88 0x834\n"},
                 {{Protocol::GiCable, 0xA, 0x30}, "gicable 0x0a 0x30\n"},
                 {{Protocol::TeacK, 0x1020, 0x45}, "teack 0x1020 0x45\n"},
                 {{Protocol::Velleman, 5, 0x2A}, "velleman 0x05 0x2a\n"},
                 {{Protocol::Xmp, 0x2B1C, 0x4A00}, "xmp 0x2b1c 0x4a00\n"},
                 {{Protocol::Recs80, 2, 0x15}, "recs80 0x02 0x15\n"},
                 {{Protocol::Samsung20, 0x7C5, 0x3B}, "samsung20 0x7c5 0x3b\n"},
                 {{Protocol::Rca38, 9, 0xC6}, "rca38 0x09 0xc6\n"}};
    for (const auto& c : cases) {
        LearnedKey key;
        ASSERT_TRUE(key.store(5, irform::toCodeForm(c.code)));
        EXPECT_EQ(send("05"), c.described);
        std::string output;
        EXPECT_EQ(runUrcSim("check", &output), 0) << output;
        EXPECT_EQ(send("05 --timings"), irform::describeSignal(*irform::encode(
                                            c.code.protocol, c.code.device, c.code.command)) +
                                            "\n");
    }
}

TEST_F(UrcSimIr, SendGivesTheTimingsOfALearnedRawCode) {
    irform::Signal signal = irform::rawExampleSignal(23);
    const auto form = irform::rawCodeForm(signal);
    ASSERT_TRUE(form);
    LearnedKey key;
    ASSERT_TRUE(key.store(5, *form));
    // The compact form keeps every duration within its clustering tolerance.
    std::string sent = send("05");
    EXPECT_EQ(send("05 --timings"), sent);
    sent.pop_back();
    const auto back = irform::parseRawDescription(sent);
    ASSERT_TRUE(back) << sent;
    EXPECT_EQ(back->carrierHz, signal.carrierHz);
    ASSERT_EQ(back->durations.size(), signal.durations.size());
    for (std::size_t i = 0; i < signal.durations.size(); ++i)
        EXPECT_NEAR(back->durations[i], signal.durations[i],
                    std::max(signal.durations[i] * 4 / 100, 25u) + 10)
            << i;
    std::string output;
    EXPECT_EQ(runUrcSim("check", &output), 0) << output;
}

TEST_F(UrcSimIr, SendNamesAStoredCodeWhoseDataWasLost) {
    const auto form = irform::rawCodeForm(irform::rawExampleSignal(3));
    ASSERT_TRUE(form);
    LearnedKey key;
    ASSERT_TRUE(key.store(6, *form));
    // Overwrite the first data block: the digest no longer matches.
    ASSERT_TRUE(writedatav20("A5", "20", "00", "FFFFFFFFFFFFFFFF"));
    EXPECT_NE(send("06", 1).find("cannot be read back"), std::string::npos);
}

struct UsageCase {
    const char* args;
    int status;
    const char* message;
};

TEST_F(UrcSimIr, BadArgumentsGetAMessageAndNothingIsPressed) {
    const UsageCase cases[] = {
        {"press nec 4", 2, "press needs PROTOCOL DEVICE COMMAND or --raw FILE"},
        {"press nec 4 8 9", 2, "press needs PROTOCOL DEVICE COMMAND or --raw FILE"},
        {"press nosuchform 4 8", 2, "unknown protocol nosuchform"},
        {"press xmp 0x10000 8", 2, "DEVICE must be a number from 0 to 0xFFFF for xmp"},
        {"press nec 0x100 8", 2, "DEVICE must be a number from 0 to 0xFF for nec"},
        {"press sirc12 1 0x80", 2, "COMMAND must be a number from 0 to 0x7F for sirc12"},
        {"press nec 4 8 --hold-ms 700000", 2, "--hold-ms must be a whole number"},
        {"press nec 4 8 --raw x.txt", 2, "press --raw FILE takes 0 arguments"},
        {"send", 2, "send takes 1 argument"},
        {"send 5", 2, "send takes a key code of two digits"},
        {"send 0G", 2, "send takes a key code of two digits"},
        {"send 00 --raw f", 2, "--raw and --hold-ms belong to press"},
        {"panel extra", 2, "panel takes 0 arguments"},
    };
    for (const auto& c : cases) {
        std::string output;
        EXPECT_EQ(runUrcSim(c.args, &output), c.status) << c.args << "\n" << output;
        EXPECT_NE(output.find(c.message), std::string::npos) << c.args << "\n" << output;
    }
    std::string status;
    ASSERT_EQ(runUrcSim("status", &status), 0);
    EXPECT_NE(status.find("pending key: none"), std::string::npos) << status;
}

TEST_F(UrcSimIr, AnUnusableRawFileIsRefusedWithItsName) {
    const auto file = server.folder() / "bad.txt";
    std::ofstream(file) << "raw 38000 +9000 +4500\n";
    std::string output;
    EXPECT_EQ(runUrcSim("press --raw " + file.string(), &output), 1);
    EXPECT_NE(output.find(file.string() + ": a raw signal is written"), std::string::npos)
        << output;
}

} // namespace

namespace {

TEST(UrcSimPanel, StartsTheWindowProgramBesideUrcSim) {
    // Still running after a second: the window is up (offscreen) and waits for
    // the person; `timeout` then ends it with 124.
    std::string output;
    const int status = runUrcSim("panel --socket /nonexistent/urc.sock", &output,
                                 "QT_QPA_PLATFORM=offscreen timeout 1");
    EXPECT_EQ(status, 124) << output;
    EXPECT_EQ(output.find("urc-sim:"), std::string::npos) << output;
}

} // namespace
