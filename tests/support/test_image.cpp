// A small, consistent URC memory for window tests (see scripted_urc.h).
#include "keypanel/core/key_table.h"
#include "scripted_urc.h"

namespace testsupport {
namespace {

void putWord(ScriptedUrc& urc, int address, int value) {
    urc.setBytes(address, {static_cast<uint8_t>(value & 0xFF), static_cast<uint8_t>(value >> 8)});
}

} // namespace

TestImageLayout buildTestImage(ScriptedUrc& urc, int major, int minor, uint8_t type0,
                               uint8_t type1) {
    TestImageLayout layout;
    layout.keyTable = 0x1200;
    layout.codeIdTable = 0x1900;
    layout.allocArea = 0x2000;
    layout.storage = 0x3000;
    urc.memory.fill(0);

    // Identity block: 15 identity bytes, firmware version, type code.
    for (int i = 0; i < 15; ++i)
        urc.setBytes(0xB000 + i, {static_cast<uint8_t>(0x11 + i)});
    urc.setBytes(0xB000 + 32, {static_cast<uint8_t>(major), static_cast<uint8_t>(minor)});
    urc.setBytes(0xB000 + 35, {type0, type1});

    // Layout block: header address, pointer base, write selector.
    putWord(urc, 0xB03C, layout.header);
    putWord(urc, 0xB03C + 6, layout.pointerBase);
    urc.setBytes(0xB044, {0x5A});

    // Header: pointers use both translations (v >= P gives v - P, else v + H).
    const int h = layout.header;
    putWord(urc, h + 0, keypanel::kKeyCount);
    urc.setBytes(h + 7, {static_cast<uint8_t>(layout.allocRecords)});
    putWord(urc, h + 8, layout.storageBlocks);
    putWord(urc, h + 16, layout.keyTable + layout.pointerBase);
    putWord(urc, h + 24, layout.codeIdTable - h);
    putWord(urc, h + 26, layout.allocArea + layout.pointerBase);
    putWord(urc, h + 28, layout.storage - h);

    // Key-code list at H + 32.
    urc.setBytes(h + 32, {static_cast<uint8_t>(keypanel::kKeyCount)});
    for (int i = 0; i < keypanel::kKeyCount; ++i)
        urc.setBytes(h + 33 + i,
                     {static_cast<uint8_t>(keypanel::keyCodeValue(keypanel::kKeyTable[i].code))});

    // Code-identifier table: the built-in protocol forms.
    putWord(urc, layout.codeIdTable, 6);
    for (int i = 0; i < 6; ++i)
        urc.setBytes(layout.codeIdTable + 2 + 6 * i, {static_cast<uint8_t>(i + 1), 0, 0, 0, 0, 0});
    return layout;
}

} // namespace testsupport
