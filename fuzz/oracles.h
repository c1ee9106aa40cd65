#pragma once
// Checks the fuzz entry points apply to every result, beyond "did not crash":
// each returns an empty text when the result keeps its documented contract,
// else a one-line description of the broken rule.
#include "device/core/urc_tables.h"
#include "learning/core/capture_text.h"

#include <string>
#include <string_view>

namespace fuzzcheck {

// `cut` is CutAtEndMarker(capture): "0000", or a head taken from the start of
// the capture's data followed by the data from the end marker on (the marker
// and at most the two carrier words).
std::string checkCut(std::string_view capture, std::string_view cut);

// An encoding either failed with no text or succeeded with a text of decimal
// and upper-case hexadecimal digits only.
std::string checkEncoded(const learning::EncodeResult& result);

// A converted code is empty or "I::P:Q:::D" with I of 6, P and Q of 16
// upper-case hex digits (with C000 and the storage flag they fill the 22-byte
// key record), D whole 8-byte blocks, at most 255, and the URC can read the
// stored code back.
std::string checkConverted(std::string_view converted);

// The window's tables after a successful start-up reading: key entries "HH|s"
// with s one of 0, 1, 2; identifiers of 6 hex digits; a block map of '0' and
// '1' covering at least the storage's blocks in whole bytes; allocation records of 12
// hex digits each; a two-digit write selector.
std::string checkTables(const device::UrcTables& tables);

// Stops the process with `problem` and the input's length on standard error
// when `problem` is not empty, so that a fuzzer keeps the input that caused it.
void stopOnProblem(const std::string& problem, std::size_t inputSize);

} // namespace fuzzcheck
