#pragma once
// A text as a JSON string, with quotes and escapes.
#include <string>
#include <string_view>

namespace urctool {

std::string jsonString(std::string_view text);

} // namespace urctool
