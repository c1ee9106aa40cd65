#pragma once
// The factory image of this URC model: its 70 keys in code order.
#include "platform/urcmem/factory_image.h"

namespace urcsim {

urcmem::Memory factoryImageFor(const urcmem::Profile& profile);

} // namespace urcsim
