#pragma once
// A capture through the cores as the window learns it (cut, encoded, converted
// by the conversion library with the measured carrier beside the body) and
// the plan that stores the converted code in a URC.
#include "learning/core/capture_text.h"
#include "learning/core/code_storage.h"
#include "tests/support/capture_words.h"

#include <dlfcn.h>

#include <optional>
#include <string>
#include <vector>

namespace ircode_test {

using ConvertAtCarrierFunction = const char* (*)(const char*, int32_t, int32_t);

// The conversion library's entry point that takes the measured carrier;
// nullptr when the library or the entry point is missing. (The window's
// fallback to ConvertCode alone: code_converter_test.cpp.)
inline ConvertAtCarrierFunction convertCodeAtCarrier() {
    static void* library = dlopen(RORORURU_PATH, RTLD_NOW | RTLD_LOCAL);
    return library
               ? reinterpret_cast<ConvertAtCarrierFunction>(dlsym(library, "ConvertCodeAtCarrier"))
               : nullptr;
}

// As the window learns: the body, and beside it the carrier the URC measured.
inline std::string learn(const std::string& capture) {
    const std::string cut = learning::CutAtEndMarker(ircode_test::asDelivered(capture));
    const auto timings = learning::EncodeTimings(cut);
    if (timings.failed)
        return "<encoding failed>";
    return convertCodeAtCarrier()(learning::converterInput(timings).c_str(), 2,
                                  timings.carrierKhz * 1000);
}

// A capture whose carrier words are zero: the URC measured no carrier.
inline std::string withoutCarrier(std::string capture) {
    capture.replace(capture.size() - 8, 8, "00000000");
    return capture;
}

struct Stored {
    std::string record;
    std::string data; // empty when nothing went to code storage
};

// builtinIds: the URC's code-identifier table.
inline std::optional<Stored> store(const std::string& converted,
                                   const std::vector<std::string>& builtinIds) {
    device::UrcTables tables;
    tables.LearnedKeys = {"01|0"};
    tables.BuiltinCodeIds = builtinIds;
    tables.StorageAddress = 0x4000;
    tables.StorageBlockCount = 512;
    tables.BlockMap = std::string(512, '0');
    tables.AllocRecordCapacity = 8;
    const auto result = learning::planLearnedCode(tables, 0, converted);
    if (!std::holds_alternative<learning::StoragePlan>(result))
        return std::nullopt;
    const auto& writes = std::get<learning::StoragePlan>(result).writes;
    return Stored{writes.back().hex, writes.size() == 3 ? writes[0].hex : ""};
}

} // namespace ircode_test
