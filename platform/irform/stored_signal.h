#pragma once
// The signal the URC emits for a stored key record (44 hex digits) and the
// data of its code storage blocks (hex digits; ignored for built-in forms).
#include "platform/irform/signal.h"

#include <optional>
#include <string_view>

namespace irform {

// nullopt when the record or its data cannot be read (see describeStoredCode).
std::optional<Signal> storedSignal(std::string_view record, std::string_view storageData);

} // namespace irform
