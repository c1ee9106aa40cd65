#include "urc_library.h"

#include <tovqel.h>

namespace device {

bool LinkedUrcLibrary::link_state() {
    return ::link_state() != 0;
}
bool LinkedUrcLibrary::ReadVersion(char* buffer) {
    return ::ReadVersion(buffer) != 0;
}
bool LinkedUrcLibrary::readdatav20(char* buffer, int32_t blocks, const char* high, const char* low,
                                   const char* unit) {
    return ::readdatav20(buffer, blocks, high, low, unit) != 0;
}
bool LinkedUrcLibrary::writedatav20(const char* selector, const char* high, const char* low,
                                    const char* data) {
    return ::writedatav20(selector, high, low, data) != 0;
}
bool LinkedUrcLibrary::SetCodeCarrierWave() {
    return ::SetCodeCarrierWave() != 0;
}
bool LinkedUrcLibrary::RCollectCodeInfo(char* buffer) {
    return ::RCollectCodeInfo(buffer) != 0;
}
bool LinkedUrcLibrary::RBasicInfo(char* buffer) {
    return ::RBasicInfo(buffer) != 0;
}
bool LinkedUrcLibrary::WCodeTypeData(const char* data) {
    return ::WCodeTypeData(data) != 0;
}

} // namespace device
