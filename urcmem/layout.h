#pragma once
// The URC's memory layout: the fixed identity and layout blocks, the sizes of
// the tables' entries, and the decoding of the layout block (where the header
// lies, which base its pointers are stored against) and of the header (the
// counts and the pointers to the tables). Decoded from bytes only, so that a
// reader of a whole memory image and a reader of blocks fetched through the
// device library follow one rule, and a change of layout is one edit.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

namespace urcmem {

inline constexpr int kIdentityAddress = 0xB000;
inline constexpr int kIdentityBlockSize = 48;
inline constexpr int kIdentitySize = 15;
inline constexpr int kFirmwareMajorOffset = 32;
inline constexpr int kFirmwareMinorOffset = 33;
inline constexpr int kTypeCodeOffset = 35; // two bytes, in stored order

inline constexpr int kLayoutAddress = 0xB03C;
inline constexpr int kLayoutBlockSize = 16;
inline constexpr int kWriteSelectorOffset = 8; // in the layout block
inline constexpr int kWriteSelectorAddress = kLayoutAddress + kWriteSelectorOffset;
// The leading bytes of the layout block that its decoding needs.
inline constexpr std::size_t kLayoutFieldsSize = kWriteSelectorOffset + 1;

inline constexpr int kHeaderSize = 40;
inline constexpr int kKeyListOffset = 32; // the key-code list starts at the header's last byte
// The leading bytes of the header that its decoding needs (up to the key count).
inline constexpr std::size_t kHeaderFieldsSize = kKeyListOffset + 1;

// The sizes of the entries of the tables the header points to.
inline constexpr int kKeyRecordSize = 22;
inline constexpr int kAllocRecordSize = 6;
inline constexpr int kStorageBlockSize = 8;
inline constexpr int kCodeIdEntrySize = 6;

struct LayoutBlock {
    int headerAddress = 0; // H
    int pointerBase = 0;   // P
    int writeSelector = 0;
};

// nullopt when fewer than kLayoutFieldsSize bytes are given.
std::optional<LayoutBlock> decodeLayoutBlock(std::span<const uint8_t> block);

// A stored pointer v is v - P when v >= P, else v + H.
int translatePointer(int stored, int headerAddress, int pointerBase);

// What the header and layout block say, with the four pointers translated.
// Translated addresses may lie outside memory in a broken image: each reader
// decides whether to refuse them or report them.
struct Header {
    int headerAddress = 0; // H
    int pointerBase = 0;   // P
    int writeSelector = 0;
    int recordCount = 0;      // R
    int allocRecordCount = 0; // E
    int storageBlockCount = 0;
    int keyCount = 0; // K
    int keyTableAddress = 0;
    int codeIdTableAddress = 0;
    int allocAreaAddress = 0;
    int storageAddress = 0;
    int blockMapSize() const { return (storageBlockCount + 7) / 8; } // M
};

// The header's bytes from its first on; nullopt when fewer than
// kHeaderFieldsSize bytes are given.
std::optional<Header> decodeHeader(const LayoutBlock& layout, std::span<const uint8_t> header);

} // namespace urcmem
