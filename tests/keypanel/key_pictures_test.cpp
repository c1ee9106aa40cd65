#include "keypanel/key_pictures.h"

#include <gtest/gtest.h>

namespace {

QImage tiny(QRgb colour) {
    QImage image(1, 1, QImage::Format_RGB32);
    image.setPixel(0, 0, colour);
    return image;
}

TEST(KeyPictureTable, StartsWithoutSlots) {
    KeyPictureTable table;
    EXPECT_EQ(table.count(), 0);
    EXPECT_FALSE(table.exists(1));
    EXPECT_TRUE(table.at(1).isNull());
}

TEST(KeyPictureTable, SlotsComeIntoExistenceOneByOne) {
    KeyPictureTable table;
    EXPECT_TRUE(table.create(169));
    EXPECT_TRUE(table.exists(169));
    EXPECT_TRUE(table.at(169).isNull());
    EXPECT_TRUE(table.set(337, tiny(qRgb(1, 2, 3))));
    EXPECT_TRUE(table.exists(337));
    EXPECT_EQ(table.at(337), tiny(qRgb(1, 2, 3)));
    EXPECT_FALSE(table.exists(338));
    EXPECT_EQ(table.count(), 2);
}

TEST(KeyPictureTable, OutOfRangeSlotsAreRefused) {
    KeyPictureTable table;
    for (int slot : {-1, 0, 673, 100000}) {
        EXPECT_FALSE(table.create(slot)) << slot;
        EXPECT_FALSE(table.set(slot, tiny(qRgb(9, 9, 9)))) << slot;
        EXPECT_FALSE(table.exists(slot)) << slot;
        EXPECT_TRUE(table.at(slot).isNull()) << slot;
    }
    EXPECT_TRUE(table.set(1, tiny(qRgb(1, 1, 1))));
    EXPECT_TRUE(table.set(672, tiny(qRgb(2, 2, 2))));
    EXPECT_EQ(table.count(), 2);
}

TEST(KeyPictureTable, ClearRemovesEverySlot) {
    KeyPictureTable table;
    for (int slot = 1; slot <= 672; ++slot)
        table.set(slot, tiny(qRgb(slot % 256, 0, 0)));
    EXPECT_EQ(table.count(), 672);
    table.clear();
    EXPECT_EQ(table.count(), 0);
    EXPECT_TRUE(table.at(500).isNull());
}

TEST(KeyPictureTable, StoredPictureIsACopy) {
    KeyPictureTable table;
    QImage source = tiny(qRgb(10, 20, 30));
    table.set(5, source);
    source.setPixel(0, 0, qRgb(0, 0, 0));
    EXPECT_EQ(table.at(5), tiny(qRgb(10, 20, 30)));
}

} // namespace
