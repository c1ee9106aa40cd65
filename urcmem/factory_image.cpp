#include "urcmem/factory_image.h"

#include "urcmem/memory_map.h"

#include <stdexcept>

namespace urcmem {

namespace {

// clang-format off
constexpr std::array<Profile, 8> kProfiles = {{
    {"good",        1, 4, {0x10, 0x04}, "1020 QZT-617 USB 2.2"},
    {"outdated",    1, 4, {0x88, 0x88}, "1020 QZT-617 USB 2.2"},
    {"wrong-type",  1, 4, {0x10, 0x05}, "1020 QZT-617 USB 2.2"},
    {"fw0",         0, 9, {0x10, 0x04}, "1020 QZT-617 USB 2.2"},
    {"fw10",        1, 0, {0x10, 0x04}, "1020 QZT-617 USB 2.2"},
    {"fw15",        1, 5, {0x10, 0x04}, "1020 QZT-617 USB 2.2"},
    {"fw2",         2, 1, {0x10, 0x04}, "1020 QZT-617 USB 2.2"},
    {"bad-version", 1, 4, {0x10, 0x04}, "1019 QZT-617 USB 1.9"},
}};
// clang-format on

void writeIdentityBlock(Memory& m, const FactoryOptions& options, const Profile& profile) {
    m.write(kIdentityAddress, options.identity);
    m.setByte(kIdentityAddress + kFirmwareMajorOffset, profile.firmwareMajor);
    m.setByte(kIdentityAddress + kFirmwareMinorOffset, profile.firmwareMinor);
    m.setByte(kIdentityAddress + 34, 0x00);
    m.write(kIdentityAddress + kTypeCodeOffset, profile.typeCode);
}

void writeLayoutBlock(Memory& m) {
    m.setWord(kLayoutAddress, factory::kHeaderAddress);
    m.setWord(kLayoutAddress + 6, factory::kPointerBase);
    m.setByte(kWriteSelectorAddress, factory::kWriteSelector);
}

int storedAboveBase(int address) {
    return address + factory::kPointerBase;
}
int storedBelowBase(int address) {
    return address - factory::kHeaderAddress;
}

void writeHeader(Memory& m, const std::vector<uint8_t>& keyCodes) {
    const int h = factory::kHeaderAddress;
    const int count = static_cast<int>(keyCodes.size());
    m.setWord(h, count); // R
    m.setByte(h + 7, factory::kAllocRecordCount);
    m.setWord(h + 8, factory::kStorageBlockCount);
    m.setWord(h + 16, storedAboveBase(factory::kKeyTableAddress));
    m.setWord(h + 24, storedBelowBase(factory::kCodeIdTableAddress));
    m.setWord(h + 26, storedAboveBase(factory::kAllocAreaAddress));
    m.setWord(h + 28, storedBelowBase(factory::kStorageAddress));
    m.setByte(h + kKeyListOffset, static_cast<uint8_t>(count)); // K
    m.write(h + kKeyListOffset + 1, keyCodes);
}

void writePresets(Memory& m, const FactoryOptions& options) {
    for (const auto& preset : options.presets) {
        for (std::size_t i = 0; i < options.keyCodes.size(); ++i) {
            if (options.keyCodes[i] != preset.keyCode)
                continue;
            const int address = factory::kKeyTableAddress + kKeyRecordSize * static_cast<int>(i);
            m.setByte(address, 0x80);
            m.setByte(address + 1, 0x00);
            m.setByte(address + 2, 0x00);
            m.setByte(address + 3, static_cast<uint8_t>(preset.identifier >> 16));
            m.setByte(address + 4, static_cast<uint8_t>(preset.identifier >> 8));
            m.setByte(address + 5, static_cast<uint8_t>(preset.identifier));
            m.write(address + 6, preset.parameters);
            break;
        }
    }
}

void writeCodeIdTable(Memory& m) {
    const auto ids = factoryCodeIdentifiers();
    const int table = factory::kCodeIdTableAddress;
    m.setWord(table, static_cast<int>(ids.size()));
    for (std::size_t i = 0; i < ids.size(); ++i) {
        const int entry = table + 2 + kCodeIdEntrySize * static_cast<int>(i);
        m.setByte(entry, static_cast<uint8_t>(ids[i] >> 16));
        m.setByte(entry + 1, static_cast<uint8_t>(ids[i] >> 8));
        m.setByte(entry + 2, static_cast<uint8_t>(ids[i]));
        // The entry's last three bytes: the protocol's number in the table.
        m.setByte(entry + 3, static_cast<uint8_t>(i + 1));
    }
}

} // namespace

const Profile* findProfile(std::string_view name) {
    for (const auto& profile : kProfiles)
        if (profile.name == name)
            return &profile;
    return nullptr;
}

const Profile& defaultProfile() {
    return kProfiles[0];
}

std::vector<std::string_view> profileNames() {
    std::vector<std::string_view> names;
    for (const auto& profile : kProfiles)
        names.push_back(profile.name);
    return names;
}

std::vector<uint32_t> factoryCodeIdentifiers() {
    // The protocol forms of the conversion library, by number; the first six
    // end in 0000, the later ones in 0001, and from the 34th on the first
    // byte starts again at 01 with the ending 0002 (see irform::builtinId).
    return {
        0x010000, // NEC
        0x020000, // NEC extended
        0x030000, // RC5
        0x040000, // SIRC 12
        0x050000, // SIRC 15
        0x060000, // SIRC 20
        0x070001, // RC6 mode 0
        0x080001, // JVC
        0x090001, // Panasonic (Kaseikyo 48)
        0x0A0001, // Samsung 32
        0x0B0001, // Samsung 36
        0x0C0001, // Denon 15
        0x0D0001, // Sharp 15
        0x0E0001, // RC5 extended
        0x0F0001, // RC6 6A 32-bit
        0x100001, // Aiwa/Sanyo 42
        0x110001, // Pioneer
        0x120001, // Mitsubishi
        0x130001, // Nokia 32
        0x140001, // NRC17
        0x150001, // Thomson
        0x160001, // Dish Network
        0x170001, // DirecTV
        0x180001, // Bose
        0x190001, // Apple
        0x1A0001, // RCA
        0x1B0001, // old Panasonic 22
        0x1C0001, // NEC, whole-frame repeats
        0x1D0001, // NEC, 16-bit command
        0x1E0001, // JVC 48 (Kaseikyo)
        0x1F0001, // LG 28-bit
        0x200001, // LG2 28-bit
        0x210001, // Samsung 48
        0x010002, // GI Cable
        0x020002, // Denon-K (Kaseikyo)
        0x030002, // Panasonic 56 (Kaseikyo)
        0x040002, // Sharp DVD (Kaseikyo)
        0x050002, // Mitsubishi-K (Kaseikyo)
        0x060002, // Fujitsu (Kaseikyo)
        0x070002, // Konka
        0x080002, // Symphony
        0x090002, // Proton
        0x0A0002, // Teac-K (Kaseikyo)
        0x0B0002, // JVC 56 (Kaseikyo)
        0x0C0002, // Fujitsu 56 (Kaseikyo)
        0x0D0002, // Metz 19
        0x0E0002, // Velleman
        0x0F0002, // Elite Screens
        0x100002, // XMP
        0x110002, // Nokia 12
        0x120002, // Nokia 24
        0x130002, // RECS80
        0x140002, // Grundig 16
        0x150002, // Sony 8
        0x160002, // Samsung 20
        0x170002, // RCA-38
    };
}

Memory makeFactoryImage(const FactoryOptions& options) {
    if (options.keyCodes.size() > static_cast<std::size_t>(factory::kMaxKeys))
        throw std::invalid_argument("the factory key table holds at most " +
                                    std::to_string(factory::kMaxKeys) + " keys");
    const Profile& profile = options.profile ? *options.profile : defaultProfile();
    Memory m;
    writeIdentityBlock(m, options, profile);
    writeLayoutBlock(m);
    writeHeader(m, options.keyCodes);
    writePresets(m, options);
    writeCodeIdTable(m);
    // Allocation area and code storage stay zero: no block used, no record in use.
    return m;
}

} // namespace urcmem
