#pragma once
// The signal the URC emits for a stored key: a protocol form rendered with
// its own carrier, the frames that were pressed and their toggle bit; a raw
// code with its stored carrier.
#include "irform/signal.h"

#include <optional>
#include <string_view>

namespace irform {

// record: the key record (44 hex digits); storageData: the data of its code
// storage blocks (ignored for a form the URC knows). nullopt when they cannot
// be read (see describeStoredCode).
std::optional<Signal> storedSignal(std::string_view record, std::string_view storageData);

} // namespace irform
