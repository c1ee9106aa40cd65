#include "fuzz/oracles.h"

#include "irform/code_form.h"
#include "irform/converted_text.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace fuzzcheck {
namespace {

constexpr std::size_t kWordDigits = 4;
constexpr std::size_t kMarkerFillers = 20;
constexpr std::size_t kTailDigits = (kMarkerFillers + 2) * kWordDigits;
constexpr std::size_t kIdDigits = irform::convertedtext::kIdDigits;
constexpr std::size_t kPartDigits = 16;
constexpr std::size_t kMaxBlocks = 255;

std::string endMarker() {
    std::string marker;
    for (std::size_t i = 0; i < kMarkerFillers; ++i)
        marker += "7FFF";
    return marker;
}

bool isUpperHex(std::string_view text) {
    for (const char c : text)
        if (!((c >= '0' && c <= '9') || (c >= 'A' && c <= 'F')))
            return false;
    return true;
}

std::string checkField(std::string_view name, std::string_view value, std::size_t digits) {
    if (value.size() != digits || !isUpperHex(value))
        return std::string(name) + " is not " + std::to_string(digits) +
               " upper-case hex digits: '" + std::string(value) + "'";
    return {};
}

} // namespace

std::string checkCut(std::string_view capture, std::string_view cut) {
    if (cut == "0000")
        return {};
    const std::string_view data = capture.substr(0, capture.find('\0'));
    const std::size_t marker = data.find(endMarker());
    if (marker == std::string_view::npos)
        return "cut '" + std::string(cut.substr(0, 40)) + "...' from a capture without end marker";
    const std::string_view tail = data.substr(marker, kTailDigits);
    if (cut.size() < tail.size() || cut.substr(cut.size() - tail.size()) != tail)
        return "cut does not end with the end marker and the carrier words";
    const std::string_view head = cut.substr(0, cut.size() - tail.size());
    if (head.size() > marker || data.substr(0, head.size()) != head)
        return "cut's head is not taken from the start of the capture before the marker";
    return {};
}

std::string checkEncoded(const learning::EncodeResult& result) {
    if (result.failed != result.text.empty())
        return result.failed ? "failed encoding carries a text" : "encoding succeeded with no text";
    if (!isUpperHex(result.text))
        return "timing text holds a character that is not an upper-case hex digit";
    return {};
}

std::string checkConverted(std::string_view converted) {
    if (converted.empty())
        return {};
    const auto fields = irform::convertedtext::split(converted);
    if (!fields)
        return "converted code is not of the form I::P:Q:::D: '" + std::string(converted) + "'";
    const auto [id, p, q, data] = *fields;
    for (const auto& problem : {checkField("I", id, kIdDigits), checkField("P", p, kPartDigits),
                                checkField("Q", q, kPartDigits)})
        if (!problem.empty())
            return problem;
    if (data.empty() || data.size() % kPartDigits != 0 || data.size() > kMaxBlocks * kPartDigits ||
        !isUpperHex(data))
        return "D is not 1 to 255 whole 8-byte blocks of upper-case hex digits (" +
               std::to_string(data.size()) + " characters)";
    // As the key record holds it: flags C0, a zero byte, the storage flag.
    const std::string record = "C00000" + std::string(id) + std::string(p) + std::string(q);
    if (irform::describeStoredCode(record, data).empty())
        return "the URC cannot read back the stored code '" + std::string(converted) + "'";
    return {};
}

std::string checkTables(const device::UrcTables& tables) {
    for (const auto& entry : tables.LearnedKeys)
        if (entry.size() != 4 || !isUpperHex(entry.substr(0, 2)) || entry[2] != '|' ||
            entry[3] < '0' || entry[3] > '2')
            return "key entry '" + entry + "' is not two hex digits, '|' and a state";
    for (const auto* ids : {&tables.StoredCodeIds, &tables.BuiltinCodeIds})
        for (const auto& id : *ids)
            if (const auto problem = checkField("code identifier", id, kIdDigits); !problem.empty())
                return problem;
    const std::size_t mapBits = (static_cast<std::size_t>(tables.StorageBlockCount) + 7) / 8 * 8;
    // Allocation records may mark blocks past the storage's end: the map then
    // grows, but never falls short of the storage.
    if (tables.StorageBlockCount < 0 || tables.BlockMap.size() < mapBits ||
        tables.BlockMap.find_first_not_of("01") != std::string::npos)
        return "block map of " + std::to_string(tables.BlockMap.size()) + " characters for " +
               std::to_string(tables.StorageBlockCount) + " blocks";
    if (tables.AllocRecords.size() % 12 != 0 || !isUpperHex(tables.AllocRecords))
        return "allocation records are not whole 12-digit records";
    if (tables.AllocRecordSlots.size() != tables.AllocRecords.size() / 12)
        return "allocation records and their slots differ in number";
    std::vector<bool> slotUsed(static_cast<std::size_t>(std::max(tables.AllocRecordCapacity, 0)));
    for (int slot : tables.AllocRecordSlots) {
        if (slot < 0 || static_cast<std::size_t>(slot) >= slotUsed.size() ||
            slotUsed[static_cast<std::size_t>(slot)])
            return "allocation slot " + std::to_string(slot) +
                   " is outside the area or taken twice";
        slotUsed[static_cast<std::size_t>(slot)] = true;
    }
    return checkField("write selector", tables.WriteSelector, 2);
}

void stopOnProblem(const std::string& problem, std::size_t inputSize) {
    if (problem.empty())
        return;
    std::fprintf(stderr, "contract broken (input of %zu bytes): %s\n", inputSize, problem.c_str());
    std::abort();
}

} // namespace fuzzcheck
