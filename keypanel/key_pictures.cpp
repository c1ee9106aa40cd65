#include "keypanel/key_pictures.h"

KeyPictureTable::KeyPictureTable() : slots_(kLastSlot + 1) {}

bool KeyPictureTable::create(int slot) {
    if (!validSlot(slot))
        return false;
    slots_[slot].exists = true;
    return true;
}

bool KeyPictureTable::exists(int slot) const {
    return validSlot(slot) && slots_[slot].exists;
}

bool KeyPictureTable::set(int slot, const QImage& picture) {
    if (!create(slot))
        return false;
    slots_[slot].picture = picture;
    return true;
}

QImage KeyPictureTable::at(int slot) const {
    if (!exists(slot))
        return QImage();
    return slots_[slot].picture;
}

int KeyPictureTable::count() const {
    int existing = 0;
    for (const Slot& s : slots_)
        existing += s.exists ? 1 : 0;
    return existing;
}

void KeyPictureTable::clear() {
    for (Slot& s : slots_)
        s = Slot{};
}
