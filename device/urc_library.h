#pragma once
// The program's view of the device-access library: the same eight calls with
// the same arguments and buffers, behind an interface so that window tests can
// put a scripted device in its place. The program uses LinkedUrcLibrary, which
// forwards to the linked libtovqel.so.
#include <cstdint>

namespace device {

// Buffer sizes the library's callers use (see tovqel.h).
inline constexpr int kVersionBufferSize = 250;
inline constexpr int kCaptureBufferSize = 10240;
inline constexpr int kIdentityBufferSize = 1024;

class UrcLibrary {
public:
    virtual ~UrcLibrary() = default;
    virtual bool link_state() = 0;
    virtual bool ReadVersion(char* buffer) = 0;
    virtual bool readdatav20(char* buffer, int32_t blocks, const char* high, const char* low,
                             const char* unit) = 0;
    virtual bool writedatav20(const char* selector, const char* high, const char* low,
                              const char* data) = 0;
    virtual bool SetCodeCarrierWave() = 0;
    virtual bool RCollectCodeInfo(char* buffer) = 0;
    virtual bool RBasicInfo(char* buffer) = 0;
    virtual bool WCodeTypeData(const char* data) = 0;
};

// Forwards every call to the linked device-access library.
class LinkedUrcLibrary final : public UrcLibrary {
public:
    bool link_state() override;
    bool ReadVersion(char* buffer) override;
    bool readdatav20(char* buffer, int32_t blocks, const char* high, const char* low,
                     const char* unit) override;
    bool writedatav20(const char* selector, const char* high, const char* low,
                      const char* data) override;
    bool SetCodeCarrierWave() override;
    bool RCollectCodeInfo(char* buffer) override;
    bool RBasicInfo(char* buffer) override;
    bool WCodeTypeData(const char* data) override;
};

} // namespace device
