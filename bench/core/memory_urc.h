#pragma once
// A URC that is just its memory, answering the start-up reading at memory
// speed: what remains to measure is the program's own decoding of the map.
#include "device/urc_library.h"
#include "urcmem/urc_memory.h"

#include <string>

namespace bench {

class MemoryUrc final : public device::UrcLibrary {
public:
    MemoryUrc(urcmem::Memory memory, std::string versionText)
        : memory_(std::move(memory)), version_(std::move(versionText)) {}

    int reads() const { return reads_; }
    long long bytesRead() const { return bytesRead_; }

    bool link_state() override { return true; }
    bool ReadVersion(char* buffer) override;
    bool readdatav20(char* buffer, int32_t blocks, const char* high, const char* low,
                     const char* unit) override;
    // The reading writes nothing and captures nothing: these answer false.
    bool writedatav20(const char*, const char*, const char*, const char*) override { return false; }
    bool SetCodeCarrierWave() override { return false; }
    bool RCollectCodeInfo(char*) override { return false; }
    bool RBasicInfo(char*) override { return false; }
    bool WCodeTypeData(const char*) override { return false; }

private:
    urcmem::Memory memory_;
    std::string version_;
    int reads_ = 0;
    long long bytesRead_ = 0;
};

} // namespace bench
