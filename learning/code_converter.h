#pragma once
// The code-conversion library, loaded by file name each time a code is
// converted: it turns a timing body into the URC's code form "I::P:Q:::D".
#include <cstdint>
#include <string>

namespace learning {

inline constexpr char kConverterLibraryFile[] = "libRorORuru.so";
// The only conversion the program asks the library for.
inline constexpr int32_t kConvertTimingBody = 2;

// ConvertCode(timingBody, 2) from the library, tried in the program's own
// folder first and then through the system's library search. A library that
// loads but lacks ConvertCode is unloaded again; one that has it stays loaded.
// A missing library or function, or a null result, gives an empty text.
std::string ConvertCode(const std::string& timingBody,
                        const std::string& libraryFile = kConverterLibraryFile);

// The timing body does not hold the carrier that the URC measured. A library
// that also exports ConvertCodeAtCarrier(timingBody, 2, carrierHz) is given it
// there (carrierKhz 0: not measured); one that exports only ConvertCode gets
// ConvertCode(timingBody, 2), as above.
std::string ConvertCodeAtCarrier(const std::string& timingBody, int carrierKhz,
                                 const std::string& libraryFile = kConverterLibraryFile);

} // namespace learning
