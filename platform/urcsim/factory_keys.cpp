#include "platform/urcsim/factory_keys.h"

#include "keypanel/core/key_table.h"
#include "platform/irform/code_form.h"

#include <algorithm>
#include <stdexcept>

namespace urcsim {

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
    // A key code's byte is its two digits read as hexadecimal ("85" -> 0x85).
    for (const auto& key : keypanel::kKeyTable)
        options.keyCodes.push_back(static_cast<uint8_t>(keypanel::keyCodeValue(key.code)));
    options.presets = presetCodes(factoryPresets());
    return urcmem::makeFactoryImage(options);
}

} // namespace urcsim
