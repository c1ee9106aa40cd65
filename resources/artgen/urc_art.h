#pragma once
// The front of the URC and the pictures of its keys. Key pictures are cut
// from the same case drawing the front uses, so a key picture laid on the
// front at the key's place matches its surroundings exactly.
#include "keypanel/core/key_table.h"
#include "resources/artgen/art_common.h"

#include <QImage>

namespace art {

inline constexpr int kUrcWidth = 195;
inline constexpr int kUrcHeight = 730;

// The case without any key.
QImage drawUrcCase();

// The front: the case with every key of the key table in the plain look.
QImage drawUrcFront(const QImage& urcCase);

// Where a key's cap is drawn: its rectangle, less what it shares with a
// neighbour (the overlap is split between the two), so no cap covers another.
QRect capRect(const keypanel::KeyDefinition& key);

// One key at its own size in a look, cut from the front so that any sliver
// of a neighbour inside the key's rectangle matches the front exactly.
QImage drawKeyPicture(const QImage& urcCase, const QImage& urcFront,
                      const keypanel::KeyDefinition& key, KeyLook look);

// The small picture stored under the names that belong to no key.
QImage drawNeutralPicture();

} // namespace art
