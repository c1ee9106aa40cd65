// The one decoding of the layout block and header, on bytes.
#include "urcmem/layout.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>

namespace {

TEST(PointerTranslation, BelowAndAtOrAboveTheBase) {
    EXPECT_EQ(urcmem::translatePointer(0x9200, 0x1000, 0x8000), 0x1200);
    EXPECT_EQ(urcmem::translatePointer(0x8000, 0x1000, 0x8000), 0x0000);
    EXPECT_EQ(urcmem::translatePointer(0x0900, 0x1000, 0x8000), 0x1900);
}

TEST(LayoutDecoding, LayoutBlockGivesHeaderBaseAndSelector) {
    const std::array<uint8_t, urcmem::kLayoutFieldsSize> block = {0x00, 0x10, 0,    0,   0,
                                                                  0,    0x00, 0x80, 0x5A};
    const auto layout = urcmem::decodeLayoutBlock(block);
    ASSERT_TRUE(layout);
    EXPECT_EQ(layout->headerAddress, 0x1000);
    EXPECT_EQ(layout->pointerBase, 0x8000);
    EXPECT_EQ(layout->writeSelector, 0x5A);
    EXPECT_FALSE(urcmem::decodeLayoutBlock(std::span(block).first(block.size() - 1)));
}

TEST(LayoutDecoding, HeaderGivesCountsAndTranslatedPointers) {
    std::array<uint8_t, urcmem::kHeaderSize> bytes{};
    auto word = [&](std::size_t at, int v) {
        bytes[at] = static_cast<uint8_t>(v & 0xFF);
        bytes[at + 1] = static_cast<uint8_t>(v >> 8);
    };
    word(0, 70);      // R
    bytes[7] = 64;    // E
    word(8, 512);     // storage blocks
    word(16, 0x9200); // at or above P
    word(24, 0x0900); // below P
    word(26, 0x8000); // exactly P
    word(28, 0x2000); // below P
    bytes[32] = 69;   // K
    const urcmem::LayoutBlock layout{0x1000, 0x8000, 0x5A};
    const auto h = urcmem::decodeHeader(layout, bytes);
    ASSERT_TRUE(h);
    EXPECT_EQ(h->headerAddress, 0x1000);
    EXPECT_EQ(h->pointerBase, 0x8000);
    EXPECT_EQ(h->writeSelector, 0x5A);
    EXPECT_EQ(h->recordCount, 70);
    EXPECT_EQ(h->allocRecordCount, 64);
    EXPECT_EQ(h->storageBlockCount, 512);
    EXPECT_EQ(h->blockMapSize(), 64);
    EXPECT_EQ(h->keyCount, 69);
    EXPECT_EQ(h->keyTableAddress, 0x1200);
    EXPECT_EQ(h->codeIdTableAddress, 0x1900);
    EXPECT_EQ(h->allocAreaAddress, 0x0000);
    EXPECT_EQ(h->storageAddress, 0x3000);
    // The key count is the last byte the decoding needs.
    EXPECT_TRUE(urcmem::decodeHeader(layout, std::span(bytes).first(urcmem::kHeaderFieldsSize)));
    EXPECT_FALSE(
        urcmem::decodeHeader(layout, std::span(bytes).first(urcmem::kHeaderFieldsSize - 1)));
}

} // namespace
