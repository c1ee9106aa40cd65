#include "urcmem/layout.h"

namespace urcmem {
namespace {

// Two bytes, least significant first, as the URC stores its words.
int wordAt(std::span<const uint8_t> bytes, std::size_t offset) {
    return bytes[offset] | (bytes[offset + 1] << 8);
}

} // namespace

std::optional<LayoutBlock> decodeLayoutBlock(std::span<const uint8_t> block) {
    if (block.size() < kLayoutFieldsSize)
        return std::nullopt;
    return LayoutBlock{wordAt(block, 0), wordAt(block, 6), block[kWriteSelectorOffset]};
}

int translatePointer(int stored, int headerAddress, int pointerBase) {
    return stored >= pointerBase ? stored - pointerBase : stored + headerAddress;
}

std::optional<Header> decodeHeader(const LayoutBlock& layout, std::span<const uint8_t> header) {
    if (header.size() < kHeaderFieldsSize)
        return std::nullopt;
    Header h;
    h.headerAddress = layout.headerAddress;
    h.pointerBase = layout.pointerBase;
    h.writeSelector = layout.writeSelector;
    h.recordCount = wordAt(header, 0);
    h.allocRecordCount = header[7];
    h.storageBlockCount = wordAt(header, 8);
    h.keyCount = header[kKeyListOffset];
    auto pointer = [&](std::size_t offset) {
        return translatePointer(wordAt(header, offset), layout.headerAddress, layout.pointerBase);
    };
    h.keyTableAddress = pointer(16);
    h.codeIdTableAddress = pointer(24);
    h.allocAreaAddress = pointer(26);
    h.storageAddress = pointer(28);
    return h;
}

} // namespace urcmem
