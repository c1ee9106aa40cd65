#include "app/owned_urc.h"

#include <iostream>

namespace app {

OwnedUrcLibrary::OwnedUrcLibrary(device::UrcLibrary& urc, std::chrono::milliseconds ownerWait)
    : urc_(urc), ownerWait_(ownerWait) {}

bool OwnedUrcLibrary::claimed() {
    const std::lock_guard<std::mutex> lock(mutex_);
    if (claim_.held())
        return true;
    const urcclaim::ClaimKey key = urcclaim::keyForLinkedUrc();
    // Only the first try waits: a Retry is the user's, and answers at once. A
    // urc-tool command ends by itself; another window program does not.
    const auto owner = urcclaim::currentOwner(key);
    const bool windowOwns = owner && owner->program == kProgram;
    const auto wait = firstTry_ && !windowOwns ? ownerWait_ : std::chrono::milliseconds(0);
    firstTry_ = false;
    bool waited = false;
    claim_ = urcclaim::take(key, urcclaim::Hold::Own, urcclaim::thisProcess(kProgram), wait,
                            [&](const std::string& why) {
                                const auto seconds = (wait.count() + 999) / 1000;
                                std::cerr << "qzt617: " << why << "; waiting up to " << seconds
                                          << (seconds == 1 ? " second" : " seconds")
                                          << " for it to finish before reading the URC\n";
                                waited = true;
                            });
    if (claim_.held())
        return true;
    std::cerr << "qzt617: "
              << (claim_.busy() ? claim_.refusal() + (waited ? "; it did not let go" : "")
                                : "cannot claim the URC: " + claim_.refusal())
              << "; the URC cannot be read while another program may write it\n";
    return false;
}

bool OwnedUrcLibrary::link_state() {
    return claimed() && urc_.link_state();
}
bool OwnedUrcLibrary::ReadVersion(char* buffer) {
    return claimed() && urc_.ReadVersion(buffer);
}
bool OwnedUrcLibrary::readdatav20(char* buffer, int32_t blocks, const char* high, const char* low,
                                  const char* unit) {
    return claimed() && urc_.readdatav20(buffer, blocks, high, low, unit);
}
bool OwnedUrcLibrary::writedatav20(const char* selector, const char* high, const char* low,
                                   const char* data) {
    return claimed() && urc_.writedatav20(selector, high, low, data);
}
bool OwnedUrcLibrary::SetCodeCarrierWave() {
    return claimed() && urc_.SetCodeCarrierWave();
}
bool OwnedUrcLibrary::RCollectCodeInfo(char* buffer) {
    return claimed() && urc_.RCollectCodeInfo(buffer);
}
bool OwnedUrcLibrary::RBasicInfo(char* buffer) {
    return claimed() && urc_.RBasicInfo(buffer);
}
bool OwnedUrcLibrary::WCodeTypeData(const char* data) {
    return claimed() && urc_.WCodeTypeData(data);
}

} // namespace app
