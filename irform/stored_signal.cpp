#include "irform/stored_signal.h"

#include "irform/code_form_detail.h"
#include "irform/protocols.h"

namespace irform {

std::optional<Signal> storedSignal(std::string_view record, std::string_view storageData) {
    auto code = detail::readStoredCode(record, storageData);
    if (!code)
        return std::nullopt;
    if (const auto* press = std::get_if<Press>(&*code))
        return encodePress(*press);
    return std::get<Signal>(std::move(*code));
}

} // namespace irform
