#include "platform/urcsim/factory_keys.h"

#include "irform/code_form.h"

#include <algorithm>
#include <stdexcept>

namespace urcsim {

// The key codes of this model's firmware, in the order its key table lists
// them. A code is a row digit (0-8) and a column digit (0-7), the two read as
// one hexadecimal byte (key "85" is 0x85); row 8 has six keys, the others eight.
const std::array<uint8_t, kUrcKeyCount> kUrcKeyCodes = {
    0x00, 0x01, 0x02, 0x03, 0x04, 0x05, 0x06, 0x07, 0x10, 0x11, 0x12, 0x13, 0x14, 0x15,
    0x16, 0x17, 0x20, 0x21, 0x22, 0x23, 0x24, 0x25, 0x26, 0x27, 0x30, 0x31, 0x32, 0x33,
    0x34, 0x35, 0x36, 0x37, 0x40, 0x41, 0x42, 0x43, 0x44, 0x45, 0x46, 0x47, 0x50, 0x51,
    0x52, 0x53, 0x54, 0x55, 0x56, 0x57, 0x60, 0x61, 0x62, 0x63, 0x64, 0x65, 0x66, 0x67,
    0x70, 0x71, 0x72, 0x73, 0x74, 0x75, 0x76, 0x77, 0x80, 0x81, 0x82, 0x83, 0x84, 0x85,
};

std::vector<FactoryPreset> factoryPresets() {
    using irform::Protocol;
    return {
        {0x00, {Protocol::Nec, 0x04, 0x08}},    // POWER/TV
        {0x17, {Protocol::Rc5, 0x00, 0x0C}},    // CBL/GUIDE
        {0x85, {Protocol::Sirc12, 0x01, 0x15}}, // AMP/VOL-
    };
}

std::vector<urcmem::PresetCode> presetCodes(const std::vector<FactoryPreset>& presets) {
    std::vector<urcmem::PresetCode> codes;
    for (const auto& preset : presets) {
        const irform::CodeForm form = irform::toCodeForm(preset.code);
        // A built-in form fills the record by itself: I, then P and Q.
        const auto id = urcmem::parseHexBytes(form.id);
        const auto parameters = urcmem::parseHexBytes(form.p + form.q);
        urcmem::PresetCode code{preset.keyCode, 0, {}};
        if (!id || id->size() != 3 || !parameters || parameters->size() != code.parameters.size())
            throw std::logic_error("a preset's code form does not fit a key record");
        code.identifier = (uint32_t((*id)[0]) << 16) | (uint32_t((*id)[1]) << 8) | (*id)[2];
        std::copy(parameters->begin(), parameters->end(), code.parameters.begin());
        codes.push_back(code);
    }
    return codes;
}

urcmem::Memory factoryImageFor(const urcmem::Profile& profile) {
    urcmem::FactoryOptions options;
    options.profile = &profile;
    options.keyCodes.assign(kUrcKeyCodes.begin(), kUrcKeyCodes.end());
    options.presets = presetCodes(factoryPresets());
    return urcmem::makeFactoryImage(options);
}

} // namespace urcsim
