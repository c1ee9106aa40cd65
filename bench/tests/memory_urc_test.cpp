#include "bench/core/memory_urc.h"
#include "device/core/urc_reading.h"
#include "platform/urcsim/factory_keys.h"
#include "urcmem/factory_image.h"

#include <gtest/gtest.h>

namespace {

bench::MemoryUrc urcWith(std::initializer_list<std::pair<int, uint8_t>> bytes) {
    urcmem::Memory memory;
    for (const auto& [address, value] : bytes)
        memory.setByte(static_cast<std::size_t>(address), value);
    return bench::MemoryUrc(std::move(memory), "1020 test");
}

TEST(MemoryUrc, ReadsBlocksAsUpperCaseHex) {
    auto urc = urcWith({{0x1234, 0xAB}, {0x123B, 0x0F}, {0x123C, 0x77}});
    std::string buffer(64, '\0');
    ASSERT_TRUE(urc.readdatav20(buffer.data(), 1, "12", "34", "08"));
    EXPECT_EQ(buffer.substr(0, 16), "AB0000000000000F");
    EXPECT_EQ(buffer[16], '\0'); // nothing past the blocks asked for
    EXPECT_EQ(urc.bytesRead(), 8);
}

struct BadRead {
    int32_t blocks;
    const char* high;
    const char* low;
    const char* unit;
};

class MemoryUrcRefusal : public testing::TestWithParam<BadRead> {};

TEST_P(MemoryUrcRefusal, RefusesWithoutTouchingTheBuffer) {
    auto urc = urcWith({});
    const BadRead& r = GetParam();
    std::string buffer(64, 'x');
    EXPECT_FALSE(urc.readdatav20(buffer.data(), r.blocks, r.high, r.low, r.unit));
    EXPECT_EQ(buffer, std::string(64, 'x'));
}

INSTANTIATE_TEST_SUITE_P(Reads, MemoryUrcRefusal,
                         testing::Values(BadRead{1, "FF", "F9", "08"}, // past the end of memory
                                         BadRead{0, "00", "00", "08"},
                                         BadRead{-1, "00", "00", "08"},
                                         BadRead{1, "00", "00", "10"}, BadRead{1, "0G", "00", "08"},
                                         BadRead{1, nullptr, "00", "08"}));

TEST(MemoryUrc, LastBlockOfMemoryIsReadable) {
    auto urc = urcWith({{0xFFFF, 0x5A}});
    std::string buffer(16, '\0');
    ASSERT_TRUE(urc.readdatav20(buffer.data(), 1, "FF", "F8", "08"));
    EXPECT_EQ(buffer, "000000000000005A");
}

TEST(MemoryUrc, FactoryImageReadsAsAGoodUrc) {
    const urcmem::Profile& profile = urcmem::defaultProfile();
    bench::MemoryUrc urc(urcsim::factoryImageFor(profile), std::string(profile.versionText));
    device::UrcTables tables;
    EXPECT_EQ(device::readUrc(urc, tables).failure, device::StartupFailure::None);
    EXPECT_GT(urc.reads(), 3);
}

} // namespace
