#pragma once
// How a button's shell target is split into extension and directory part.
// Only "\" and ":" separate path parts here: a "/" is an ordinary character,
// which is why key labels such as "POWER/TV" have neither.
#include <string>
#include <string_view>

namespace keypanel {

// From the last "." to the end, dot included, provided no "\" or ":" follows
// that dot; empty otherwise.
std::string targetExtension(std::string_view target);

// Everything up to and including the last "\" or ":"; empty when neither
// occurs.
std::string targetDirectory(std::string_view target);

// True when the target names a program: its extension is exactly ".exe"
// (case-sensitive, so ".EXE" is not one).
bool targetIsProgram(std::string_view target);

} // namespace keypanel
