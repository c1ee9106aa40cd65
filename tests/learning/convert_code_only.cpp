// A conversion library of the kind the program first shipped with: it exports
// ConvertCode only, and says so in its result.
#include <cstdint>

extern "C" __attribute__((visibility("default"))) const char* ConvertCode(const char* text,
                                                                          int32_t mode) {
    return text != nullptr && mode == 2 ? "ConvertCode only" : "";
}
