#pragma once
// The factory image of this URC model: its 70 keys in code order, a few of
// them preloaded with codes of common remotes.
#include "irform/signal.h"
#include "urcmem/factory_image.h"

#include <array>
#include <cstdint>
#include <vector>

namespace urcsim {

// The URC's own key codes, in the order of its key table.
inline constexpr int kUrcKeyCount = 70;
extern const std::array<uint8_t, kUrcKeyCount> kUrcKeyCodes;

// A key that leaves the factory holding a built-in code (state "1").
struct FactoryPreset {
    uint8_t keyCode;
    irform::Decoded code;
};

std::vector<FactoryPreset> factoryPresets();
// The key records' contents for those codes, in the shared code form.
std::vector<urcmem::PresetCode> presetCodes(const std::vector<FactoryPreset>& presets);

urcmem::Memory factoryImageFor(const urcmem::Profile& profile);

} // namespace urcsim
