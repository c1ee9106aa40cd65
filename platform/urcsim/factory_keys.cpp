#include "platform/urcsim/factory_keys.h"

#include "keypanel/core/key_table.h"

namespace urcsim {

urcmem::Memory factoryImageFor(const urcmem::Profile& profile) {
    urcmem::FactoryOptions options;
    options.profile = &profile;
    // A key code's byte is its two digits read as hexadecimal ("85" -> 0x85).
    for (const auto& key : keypanel::kKeyTable)
        options.keyCodes.push_back(static_cast<uint8_t>(keypanel::keyCodeValue(key.code)));
    return urcmem::makeFactoryImage(options);
}

} // namespace urcsim
