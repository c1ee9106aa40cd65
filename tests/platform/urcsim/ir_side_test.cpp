// The emulated URC's infrared side without a server: rendering a pressed key,
// reading back what a key would send, the preset codes and the remote's keys.
#include "irform/capture_render.h"
#include "irform/code_form.h"
#include "irform/raw_example.h"
#include "platform/urcsim/client.h"
#include "platform/urcsim/device.h"
#include "platform/urcsim/factory_keys.h"
#include "platform/urcsim/press.h"
#include "platform/urcsim/remote_keys.h"
#include "urcmem/image_check.h"
#include "urcmem/memory_map.h"

#include <gtest/gtest.h>
#include <set>

namespace {

struct ProtocolPress {
    const char* protocol;
    const char* device;
    const char* command;
    uint32_t deviceValue; // expected, when the press is valid
    uint32_t commandValue;
    const char* error; // part of the message, or nullptr
};

TEST(ProtocolCapture, RendersValidPressesAndRefusesTheRest) {
    const ProtocolPress cases[] = {
        {"nec", "0x04", "0x08", 4, 8, nullptr},
        {"nec", "4", "8", 4, 8, nullptr},
        {"nec", "0xFF", "255", 0xFF, 0xFF, nullptr},
        {"necx", "0x1234", "0x08", 0x1234, 8, nullptr},
        {"rc5", "0X1f", "0x7F", 0x1F, 0x7F, nullptr},
        {"sirc12", "1", "21", 1, 21, nullptr},
        {"sirc15", "0xff", "0", 0xFF, 0, nullptr},
        {"sirc20", "0x1FFF", "0x7f", 0x1FFF, 0x7F, nullptr},
        {"lg", "0xFF", "0xFFFF", 0xFF, 0xFFFF, nullptr},
        {"denonk", "0x21", "0xFFF", 0x21, 0xFFF, nullptr},
        {"velleman", "7", "0x3F", 7, 0x3F, nullptr},
        {"lg", "0", "0x10000", 0, 0, "COMMAND must be a number from 0 to 0xFFFF for lg"},
        {"gicable", "16", "0", 0, 0, "DEVICE must be a number from 0 to 0xF for gicable"},
        {"velleman", "0", "64", 0, 0, "COMMAND must be a number from 0 to 0x3F for velleman"},
        {"nec", "0x100", "0", 0, 0, "DEVICE must be a number from 0 to 0xFF for nec"},
        {"necx", "0x10000", "0", 0, 0, "DEVICE must be a number from 0 to 0xFFFF"},
        {"rc5", "32", "0", 0, 0, "from 0 to 0x1F for rc5"},
        {"sirc12", "1", "128", 0, 0, "COMMAND must be a number from 0 to 0x7F for sirc12"},
        {"nec", "-1", "0", 0, 0, "DEVICE must be"},
        {"nec", "0x", "0", 0, 0, "DEVICE must be"},
        {"nec", "4", "8x", 0, 0, "COMMAND must be"},
        {"nec", "99999999999", "0", 0, 0, "DEVICE must be"},
        {"nec", "", "0", 0, 0, "DEVICE must be"},
        {"NEC", "4", "8", 0, 0, "unknown protocol NEC"},
        {"xmp", "0xFFFF", "0xffff", 0xFFFF, 0xFFFF, nullptr},
        {"nokia12", "0xF", "0xFF", 0xF, 0xFF, nullptr},
        {"recs80", "7", "0x3F", 7, 0x3F, nullptr},
        {"recs80", "8", "0", 0, 0, "DEVICE must be a number from 0 to"},
        {"nokia24", "0", "0x100", 0, 0, "COMMAND must be a number from 0 to 0xFF for nokia24"},
        {"grundig16", "0x80", "0", 0, 0, "DEVICE must be a number from 0 to 0x7F for grundig16"},
        {"samsung20", "0xFFF", "0xFF", 0xFFF, 0xFF, nullptr},
        {"samsung20", "0x1000", "0", 0, 0, "DEVICE must be a number from 0 to 0xFFF for samsung20"},
        {"rca38", "0xF", "0xFF", 0xF, 0xFF, nullptr},
        {"rca38", "0", "0x100", 0, 0, "COMMAND must be a number from 0 to 0xFF for rca38"},
        {"nosuchform", "4", "8", 0, 0, "unknown protocol nosuchform"},
    };
    for (const auto& c : cases) {
        const auto result = urcsim::protocolCapture(c.protocol, c.device, c.command);
        const std::string label = std::string(c.protocol) + " " + c.device + " " + c.command;
        if (c.error) {
            EXPECT_TRUE(result.hex.empty()) << label;
            EXPECT_NE(result.error.find(c.error), std::string::npos)
                << label << ": " << result.error;
            continue;
        }
        EXPECT_EQ(result.error, "") << label;
        EXPECT_EQ(result.hex, *irform::pressCapture(c.protocol, c.deviceValue, c.commandValue))
            << label;
    }
}

TEST(RawDescription, IsRenderedAsTheUrcCapturesIt) {
    const irform::Signal signal = irform::rawExampleSignal(11);
    const std::string description = irform::describeSignal(signal);
    EXPECT_EQ(urcsim::rawCaptureFromText(description + "\n").hex, irform::renderCapture(signal));
    // Line breaks and runs of blanks inside a description are single blanks.
    std::string folded = description;
    for (std::size_t i = 0, blanks = 0; i < folded.size(); ++i)
        if (folded[i] == ' ' && ++blanks % 5 == 0)
            folded.replace(i, 1, "\n   ");
    EXPECT_EQ(urcsim::rawCaptureFromText("  " + folded + "\r\n").hex,
              irform::renderCapture(signal));
}

TEST(RawDescription, RefusesUnusableSignals) {
    const std::pair<const char*, const char*> cases[] = {
        {"raw", "a raw signal is written"},
        {"raw 38000 -9000", "a raw signal is written"},
        {"raw 38000 +9000 +4500", "a raw signal is written"},
        {"raw x +9000", "a raw signal is written"},
        {"raw 38000 +9000 -abc", "a raw signal is written"},
        {"raw 38000", "the signal has no mark"},
        {"raw 1000 +9000 -4500", "the carrier must be 12000 to 94000 Hz"},
        {"raw 455000 +9000 -4500", "the carrier must be 12000 to 94000 Hz"},
        {"raw 38000 +0 -4500", "every duration must be 1 to"},
        {"raw 38000 +9000 -4000000000", "every duration must be 1 to"},
    };
    for (const auto& [text, message] : cases) {
        const auto result = urcsim::rawCaptureFromText(text);
        EXPECT_TRUE(result.hex.empty()) << text;
        EXPECT_NE(result.error.find(message), std::string::npos) << text << ": " << result.error;
    }
}

// STORED payloads as the server gives them, read back into what the URC sends.
TEST(SentCode, DescribesBuiltInAndRawCodesAndRefusesTheRest) {
    const irform::CodeForm nec = irform::toCodeForm(irform::Decoded{irform::Protocol::Nec, 4, 8});
    irform::Signal raw{38000, {3500, 1750, 420, 1300, 420, 420, 420, 60000}};
    const irform::CodeForm rawForm = *irform::rawCodeForm(raw);
    const std::string learnedNec = "C00000" + nec.id + nec.p + nec.q;
    const std::string learnedRaw = "C00080" + rawForm.id + rawForm.p + rawForm.q;
    std::string corrupted = rawForm.data;
    corrupted[3] = corrupted[3] == '1' ? '2' : '1';
    const struct {
        std::string payload;
        const char* description;
        const char* error;
    } cases[] = {
        {"800000" + nec.id + nec.p + nec.q + " -", "nec 0x04 0x08", nullptr},
        {learnedNec + " -", "nec 0x04 0x08", nullptr},
        {learnedRaw + " " + rawForm.data, "raw 38000 +3500 -1750 +420 -1300 +420 -420 +420 -60000",
         nullptr},
        {learnedRaw + " " + corrupted, nullptr, "cannot be read back"},
        {learnedRaw + " -", nullptr, "cannot be read back"},
        {std::string(44, '0') + " -", nullptr, "key 05 holds no code"},
        {"A00000" + nec.id + nec.p + nec.q + " -", nullptr, "key 05 holds no code"},
        {"garbage", nullptr, "is not a stored code"},
        {"C0 -", nullptr, "cannot be read back"},
    };
    for (const auto& c : cases) {
        const auto sent = urcsim::sentCode("05", c.payload);
        if (c.description) {
            EXPECT_EQ(sent.description, c.description) << c.payload;
            EXPECT_EQ(sent.error, "") << c.payload;
        } else {
            EXPECT_EQ(sent.description, "") << c.payload;
            EXPECT_NE(sent.error.find(c.error), std::string::npos)
                << c.payload << ": " << sent.error;
        }
    }
}

TEST(FactoryPresets, SendTheirBuiltInCodes) {
    urcsim::Device device(
        {urcsim::factoryImageFor(urcmem::defaultProfile()), "", &urcmem::defaultProfile(), 0});
    const std::pair<const char*, const char*> expected[] = {
        {"00", "nec 0x04 0x08"}, {"17", "rc5 0x00 0x0c"}, {"85", "sirc12 0x01 0x15"}};
    ASSERT_EQ(urcsim::factoryPresets().size(), std::size(expected));
    for (const auto& [code, description] : expected) {
        std::string reply = device.handle(std::string("STORED ") + code);
        ASSERT_TRUE(reply.starts_with("OK ")) << reply;
        reply = reply.substr(3, reply.size() - 4);
        EXPECT_EQ(urcsim::sentCode(code, reply).description, description) << code;
    }
}

TEST(FactoryPresets, UseIdentifiersOfTheCodeIdentifierTable) {
    const auto memory = urcsim::factoryImageFor(urcmem::defaultProfile());
    const auto header = *urcmem::readHeader(memory);
    const auto table = urcmem::codeIdentifiers(memory, header);
    // In the forms' order: the table's entries are positional.
    ASSERT_GE(table.size(), std::size(irform::kAllProtocols));
    for (std::size_t i = 0; i < std::size(irform::kAllProtocols); ++i)
        EXPECT_EQ(urcmem::identifierText(table[i]), irform::builtinId(irform::kAllProtocols[i]))
            << irform::protocolName(irform::kAllProtocols[i]);
    EXPECT_EQ(urcmem::checkImage(memory), std::nullopt);
}

TEST(RemoteKeys, EveryKeySendsADistinctUsableSignal) {
    std::set<std::string> captures;
    std::set<std::string> names;
    std::set<std::string> protocols;
    for (const auto& key : urcsim::remoteKeys()) {
        const auto capture = urcsim::remoteKeyCapture(key);
        EXPECT_EQ(capture.error, "") << key.label;
        EXPECT_FALSE(capture.hex.empty()) << key.label;
        EXPECT_LE(capture.hex.size(), irform::kCaptureCapacity) << key.label;
        captures.insert(capture.hex);
        names.insert(std::string(key.name));
        protocols.insert(std::string(key.protocol.substr(0, 4)));
    }
    const std::size_t count = urcsim::remoteKeys().size();
    EXPECT_EQ(count, std::size(irform::kAllProtocols) + 6) << "one key of each form and six more";
    EXPECT_EQ(captures.size(), count) << "two keys send the same signal";
    EXPECT_EQ(names.size(), count);
    for (const char* family : {"nec", "rc5", "sirc", "raw"})
        EXPECT_EQ(protocols.count(family), 1u) << family;
    for (irform::Protocol p : irform::kAllProtocols)
        EXPECT_EQ(protocols.count(std::string(irform::protocolName(p).substr(0, 4))), 1u)
            << irform::protocolName(p) << " has no key";
}

TEST(RemoteKeys, DescribeTheirSignals) {
    for (const auto& key : urcsim::remoteKeys()) {
        const std::string signal = urcsim::remoteKeySignal(key);
        EXPECT_TRUE(signal.starts_with(std::string(key.protocol) + " ")) << signal;
    }
    EXPECT_EQ(urcsim::remoteKeySignal(urcsim::remoteKeys()[0]), "nec 0x04 0x08");
}

TEST(StatusFields, SplitsNameValuePairs) {
    const auto fields = urcsim::statusFields("plugged=yes\tpending key=held, 5 ms left\tlone");
    ASSERT_EQ(fields.size(), 3u);
    EXPECT_EQ(urcsim::statusField(fields, "plugged"), "yes");
    EXPECT_EQ(urcsim::statusField(fields, "pending key"), "held, 5 ms left");
    EXPECT_EQ(urcsim::statusField(fields, "lone"), "");
    EXPECT_EQ(urcsim::statusField(fields, "missing"), "");
    EXPECT_TRUE(urcsim::statusFields("").empty());
}

} // namespace
