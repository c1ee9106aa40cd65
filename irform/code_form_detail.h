#pragma once
// Pieces of the code form shared by the writer (code_form.cpp) and the reader
// (code_description.cpp), so the layout is spelled out once.
#include "irform/converted_text.h"
#include "irform/protocols.h"
#include "irform/signal.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <variant>

namespace irform::detail {

inline constexpr std::size_t kIdDigits = convertedtext::kIdDigits;
inline constexpr std::size_t kPDigits = 16;
inline constexpr std::size_t kQDigits = 16;
inline constexpr uint32_t kLongDurationFlag = 0x8000;
inline constexpr uint32_t kLongDurationStepUs = 10;
// P's digits 13 and 14 for a raw code: how D holds the durations.
inline constexpr std::string_view kPlainLayout = "00";
inline constexpr std::string_view kCompactLayout = "01";
// P's last two digits for a protocol form.
inline constexpr std::string_view kPlainFlags = "00";
inline constexpr std::string_view kToggledFlags = "01";

// Protocol numbers 1..6, in kAllProtocols order.
int protocolNumber(Protocol protocol);
std::optional<Protocol> protocolFromNumber(int number);
int framesPerPress(Protocol protocol);
int bitsPerFrame(Protocol protocol);
int framePeriod100us(Protocol protocol);

// 64-bit FNV-1a over the carrier's two digits and the data digits.
uint64_t rawDigest(std::string_view carrierDigits, std::string_view data);
std::string rawId(uint64_t digest);

// What a key record (44 digits) and its storage data hold: a protocol form
// or a raw signal; nullopt when they cannot be read.
using StoredCode = std::variant<Press, Signal>;
std::optional<StoredCode> readStoredCode(std::string_view record, std::string_view storageData);

uint32_t durationWord(uint32_t us);
uint32_t durationFromWord(uint32_t word);

} // namespace irform::detail
