#include "keypanel/core/learned_entry.h"

#include <gtest/gtest.h>

namespace {

struct EntryCase {
    const char* entry;
    const char* code;
    const char* state;
};

void PrintTo(const EntryCase& c, std::ostream* os) {
    *os << '"' << c.entry << '"';
}

const EntryCase kCases[] = {
    {"05|2", "05", "2"},  {"85|1", "85", "1"}, {"0a|0", "0a", "0"},
    {"05|2x", "05", "2"}, {"05|", "05", ""},   {"05", "05", ""},
    {"0", "0", ""},       {"", "", ""},        {"12-1", "12", "1"},
};

class EntryTest : public ::testing::TestWithParam<EntryCase> {};

TEST_P(EntryTest, SplitsCodeAndState) {
    const EntryCase& c = GetParam();
    const keypanel::LearnedEntry split = keypanel::splitLearnedEntry(c.entry);
    EXPECT_EQ(split.code, c.code);
    EXPECT_EQ(split.state, c.state);
}

INSTANTIATE_TEST_SUITE_P(Entries, EntryTest, ::testing::ValuesIn(kCases));

} // namespace
