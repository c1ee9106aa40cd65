#pragma once
// Verifies that a URC memory image is consistent: the header's counts and
// pointers are in range and its areas do not overlap, every key that refers to
// the code storage has an in-use allocation record whose blocks are marked and
// inside the storage, no two records share a block, and no record lies past
// the allocation area.
#include "urcmem/urc_memory.h"

#include <optional>
#include <string>

namespace urcmem {

// nullopt when consistent, else the first violation, worded for a person.
std::optional<std::string> checkImage(const Memory& memory);

} // namespace urcmem
