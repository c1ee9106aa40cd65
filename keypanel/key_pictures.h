#pragma once
// The key picture table: slots 1 to 672, four banks of 168 (plain, learned,
// chosen for learning, state "1"). Slots come into existence one by one as the
// pictures are loaded, so a partly loaded table says which slots it has.
#include <QImage>
#include <vector>

class KeyPictureTable {
public:
    static constexpr int kFirstSlot = 1;
    static constexpr int kLastSlot = 672;

    KeyPictureTable();

    static bool validSlot(int slot) { return slot >= kFirstSlot && slot <= kLastSlot; }

    // Brings an empty slot into existence; false for a slot out of range.
    bool create(int slot);
    bool exists(int slot) const;
    // Stores a picture, bringing the slot into existence if needed; false for
    // a slot out of range.
    bool set(int slot, const QImage& picture);
    // The slot's picture; a null image when the slot is empty, absent or out
    // of range.
    QImage at(int slot) const;
    // Number of slots in existence.
    int count() const;
    // Removes every slot.
    void clear();

private:
    struct Slot {
        bool exists = false;
        QImage picture;
    };
    std::vector<Slot> slots_; // index = slot number; index 0 unused
};
