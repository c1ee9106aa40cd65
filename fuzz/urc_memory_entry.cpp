// Fuzz entry: the start-up reading of the URC's memory. The input is the
// URC's 64 KiB image, address 0 first (shorter inputs are zero-filled, longer
// ones cut), served by the in-process scripted URC the window tests use; the
// reading must end with a verdict and never read outside what it was given.
#include "device/core/urc_reading.h"
#include "fuzz/oracles.h"
#include "tests/support/scripted_urc.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    testsupport::ScriptedUrc urc;
    const std::size_t imageBytes = std::min(size, urc.memory.size());
    if (imageBytes > 0)
        std::memcpy(urc.memory.data(), data, imageBytes);

    device::UrcTables tables;
    const device::StartupResult result = device::readUrc(urc, tables);
    // Whatever the image holds, a verdict of success must come with a read
    // identity block: the window shows its firmware label from it.
    if (result.failure == device::StartupFailure::None && !result.identityRead)
        fuzzcheck::stopOnProblem("start-up succeeded without reading the identity block", size);
    if (result.failure == device::StartupFailure::None)
        fuzzcheck::stopOnProblem(fuzzcheck::checkTables(tables), size);
    return 0;
}
