// The factory image must decode, by the program's own hex-text rules, into the
// URC the program expects; the read helpers must agree with that decoding.
#include "device/core/hex_text.h"
#include "irform/code_form.h"
#include "keypanel/core/key_table.h"
#include "platform/urcsim/factory_keys.h"
#include "urcmem/image_check.h"
#include "urcmem/memory_map.h"

#include <gtest/gtest.h>
#include <ostream>

namespace {

using urcmem::Memory;

// The hex text the library would hand the program for a read.
std::string hexAt(const Memory& m, int address, int length) {
    return urcmem::toHex(m.read(address, length));
}

int pointerAt(const std::string& header, int offset, int h, int p) {
    int v = *device::wordAt(header, offset);
    return v >= p ? v - p : v + h;
}

TEST(FactoryImage, DecodesAsTheProgramReadsIt) {
    const Memory m = urcsim::factoryImageFor(urcmem::defaultProfile());
    const std::string identity = hexAt(m, 0xB000, 48);
    EXPECT_EQ(identity.substr(0, 30), "515A54363137000120240617002A5C");
    EXPECT_EQ(*device::byteAt(identity, 32), 1);
    EXPECT_EQ(*device::byteAt(identity, 33), 4);
    EXPECT_EQ(identity.substr(70, 4), "1004");

    const std::string layout = hexAt(m, 0xB03C, 16);
    const int h = *device::wordAt(layout, 0);
    const int p = *device::wordAt(layout, 6);
    EXPECT_EQ(layout.substr(16, 2), "A5");

    const std::string header = hexAt(m, h, 40);
    EXPECT_EQ(*device::wordAt(header, 0), 70);
    EXPECT_EQ(*device::byteAt(header, 7), 64);
    EXPECT_EQ(*device::wordAt(header, 8), 512);
    EXPECT_EQ(*device::byteAt(header, 32), 70);
    // Both translation cases are used.
    int above = 0, below = 0;
    for (int offset : {16, 24, 26, 28})
        (*device::wordAt(header, offset) >= p ? above : below)++;
    EXPECT_GT(above, 0);
    EXPECT_GT(below, 0);

    auto decoded = urcmem::readHeader(m);
    ASSERT_TRUE(decoded);
    EXPECT_EQ(decoded->keyTableAddress, pointerAt(header, 16, h, p));
    EXPECT_EQ(decoded->codeIdTableAddress, pointerAt(header, 24, h, p));
    EXPECT_EQ(decoded->allocAreaAddress, pointerAt(header, 26, h, p));
    EXPECT_EQ(decoded->storageAddress, pointerAt(header, 28, h, p));
}

TEST(FactoryImage, ListsTheKeyTableCodesInOrder) {
    const Memory m = urcsim::factoryImageFor(urcmem::defaultProfile());
    auto header = *urcmem::readHeader(m);
    const std::string list = hexAt(m, header.headerAddress + 32, 400);
    for (int i = 0; i < keypanel::kKeyCount; ++i)
        EXPECT_EQ(list.substr(2 + 2 * i, 2), keypanel::kKeyTable[i].code) << "key " << i;
}

// The program and the emulated URC keep their key lists apart on purpose; a
// change on one side must be seen here rather than followed by the other.
TEST(KeyCodes, TheProgramsKeyTableAndTheUrcsKeyListAgree) {
    ASSERT_EQ(urcsim::kUrcKeyCodes.size(), keypanel::kKeyTable.size());
    for (std::size_t i = 0; i < keypanel::kKeyTable.size(); ++i)
        EXPECT_EQ(device::byteText(urcsim::kUrcKeyCodes[i]), keypanel::kKeyTable[i].code)
            << "key " << i << " (" << keypanel::kKeyTable[i].path << ")";
}

TEST(FactoryImage, KeyStatesAreEmptyExceptThePresets) {
    const Memory m = urcsim::factoryImageFor(urcmem::defaultProfile());
    auto header = *urcmem::readHeader(m);
    auto codes = urcmem::keyCodes(m, header);
    int presets = 0;
    for (int i = 0; i < header.keyCount; ++i) {
        auto record = *urcmem::keyRecord(m, header, i);
        const bool preset = codes[i] == 0x00 || codes[i] == 0x17 || codes[i] == 0x85;
        EXPECT_EQ(record.flags(), preset ? 0x80 : 0x00) << "key " << i;
        if (preset) {
            ++presets;
            EXPECT_FALSE(record.learned());
            EXPECT_EQ(record.storageFlags(), 0x00);
            EXPECT_LT(record.identifier() >> 16, 0x22u); // a built-in form
        }
    }
    EXPECT_EQ(presets, 3);
}

TEST(FactoryImage, CodeIdentifierTableHoldsTheBuiltInProtocols) {
    const Memory m = urcsim::factoryImageFor(urcmem::defaultProfile());
    auto header = *urcmem::readHeader(m);
    std::vector<std::string> ids;
    for (auto id : urcmem::codeIdentifiers(m, header))
        ids.push_back(urcmem::identifierText(id));
    ASSERT_GE(ids.size(), 6u);
    EXPECT_LE(ids.size(), 159u);
    const std::vector<std::string> builtIn = {"010000", "020000", "030000",
                                              "040000", "050000", "060000"};
    EXPECT_EQ(std::vector<std::string>(ids.begin(), ids.begin() + 6), builtIn);
    // Every form of the conversion library, each at its number.
    ASSERT_EQ(ids.size(), std::size(irform::kAllProtocols));
    for (std::size_t i = 0; i < ids.size(); ++i)
        EXPECT_TRUE(device::equalsIgnoringCase(ids[i], irform::builtinId(irform::kAllProtocols[i])))
            << irform::protocolName(irform::kAllProtocols[i]) << " " << ids[i];
}

TEST(FactoryImage, AllocationAreaAndStorageAreEmptyAndTheImageChecks) {
    const Memory m = urcsim::factoryImageFor(urcmem::defaultProfile());
    auto header = *urcmem::readHeader(m);
    EXPECT_EQ(header.blockMapSize(), 64);
    for (int b = 0; b < header.storageBlockCount; ++b)
        ASSERT_FALSE(urcmem::blockMarked(m, header, b));
    auto records = urcmem::allocRecords(m, header);
    EXPECT_EQ(records.size(), 64u);
    for (const auto& r : records)
        EXPECT_FALSE(r.inUse);
    EXPECT_EQ(urcmem::checkImage(m), std::nullopt);
}

struct ProfileCase {
    const char* name;
    int major;
    int minor;
    const char* type;
    bool versionGood;
};

// Shown beside the test's name instead of the case's bytes.
void PrintTo(const ProfileCase& c, std::ostream* os) {
    *os << c.name;
}

class FactoryProfiles : public testing::TestWithParam<ProfileCase> {};

TEST_P(FactoryProfiles, PutTheirBytesIntoTheIdentityBlock) {
    const auto& c = GetParam();
    const auto* profile = urcmem::findProfile(c.name);
    ASSERT_NE(profile, nullptr);
    const Memory m = urcsim::factoryImageFor(*profile);
    EXPECT_EQ(m.byte(0xB000 + 32), c.major);
    EXPECT_EQ(m.byte(0xB000 + 33), c.minor);
    EXPECT_EQ(urcmem::toHex(m.read(0xB000 + 35, 2)), c.type);
    EXPECT_EQ(profile->versionText.starts_with("1020"), c.versionGood);
    EXPECT_EQ(urcmem::checkImage(m), std::nullopt);
}

INSTANTIATE_TEST_SUITE_P(All, FactoryProfiles,
                         testing::Values(ProfileCase{"good", 1, 4, "1004", true},
                                         ProfileCase{"outdated", 1, 4, "8888", true},
                                         ProfileCase{"wrong-type", 1, 4, "1005", true},
                                         ProfileCase{"fw0", 0, 9, "1004", true},
                                         ProfileCase{"fw10", 1, 0, "1004", true},
                                         ProfileCase{"fw15", 1, 5, "1004", true},
                                         ProfileCase{"fw2", 2, 1, "1004", true},
                                         ProfileCase{"bad-version", 1, 4, "1004", false}),
                         [](const auto& info) {
                             std::string n = info.param.name;
                             std::replace(n.begin(), n.end(), '-', '_');
                             return n;
                         });

TEST(FactoryImage, RefusesMoreKeysThanTheTableHolds) {
    urcmem::FactoryOptions options;
    options.keyCodes.assign(urcmem::factory::kMaxKeys + 1, 0x01);
    EXPECT_THROW(urcmem::makeFactoryImage(options), std::invalid_argument);
}

} // namespace
