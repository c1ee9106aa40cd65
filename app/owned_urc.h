#pragma once
// The window program owns the URC for its whole life: it keeps its own picture
// of the URC's tables from the start-up reading on, so no other program may
// write the URC meanwhile. The claim is made at the first link test of the
// start-up reading. A urc-tool command that owns the URC is waited for (a few
// seconds, said on standard error); a URC that stays owned by another program,
// or whose claim cannot be made, is a URC that cannot be reached: the link
// test reports no device, so the start-up reading asks Retry or Cancel as for
// a URC that is not plugged in, and Retry tries the claim again. Nothing is
// forwarded to the device library before the claim is held.
#include "device/urc_library.h"
#include "urcmem/urc_claim.h"

#include <chrono>
#include <mutex>

namespace app {

inline constexpr std::chrono::seconds kOwnerWait{5};
inline constexpr char kProgram[] = "qzt617"; // as the owner is named in refusals

class OwnedUrcLibrary final : public device::UrcLibrary {
public:
    explicit OwnedUrcLibrary(device::UrcLibrary& urc,
                             std::chrono::milliseconds ownerWait = kOwnerWait);

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

private:
    bool claimed();

    device::UrcLibrary& urc_;
    std::chrono::milliseconds ownerWait_;
    bool firstTry_ = true;
    std::mutex mutex_; // the link monitor tests the link from its own thread
    urcclaim::UrcLock claim_;
};

} // namespace app
