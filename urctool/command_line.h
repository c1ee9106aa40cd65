#pragma once
// The subcommands' arguments: words, and options that take a value or not.
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace urctool {

struct Arguments {
    std::vector<std::string> words;
    std::map<std::string, std::string> values; // --option VALUE (or --option=VALUE)
    std::set<std::string> flags;               // --flag
    bool has(const std::string& flag) const { return flags.count(flag) != 0; }
    std::optional<std::string> value(const std::string& option) const;
};

// Throws UsageError on an unknown option or one lacking its value. "--help"
// is always a known flag.
Arguments parseArguments(const std::vector<std::string>& args,
                         const std::set<std::string>& valueOptions,
                         const std::set<std::string>& flagOptions);

// Throws UsageError unless exactly `count` words were given.
void expectWords(const Arguments& arguments, std::size_t count, const std::string& what);

} // namespace urctool
