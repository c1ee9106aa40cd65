#include "keypanel/core/shell_target.h"

namespace keypanel {

std::string targetExtension(std::string_view target) {
    const auto last = target.find_last_of(".\\:");
    if (last == std::string_view::npos || target[last] != '.')
        return {};
    return std::string(target.substr(last));
}

std::string targetDirectory(std::string_view target) {
    const auto last = target.find_last_of("\\:");
    if (last == std::string_view::npos)
        return {};
    return std::string(target.substr(0, last + 1));
}

bool targetIsProgram(std::string_view target) {
    return targetExtension(target) == ".exe";
}

} // namespace keypanel
