// Lookups in the learned-key list: first match in list order, exact or
// case-blind codes, and the learned state.
#include "learning/learned_key_list.h"

#include <gtest/gtest.h>

using learning::LearnedKeyList;

namespace {

TEST(LearnedKeyList, StateOfAnEntry) {
    EXPECT_EQ(learning::entryState("05|2"), '2');
    EXPECT_EQ(learning::entryState("05|"), '\0');
    EXPECT_EQ(learning::entryState(""), '\0');
    EXPECT_EQ(learning::entryWithState("05|2", '0'), "05|0");
    EXPECT_EQ(learning::entryWithState("0a|1", '2'), "0a|2");
}

TEST(LearnedKeyList, FindsTheFirstMatchingEntry) {
    const LearnedKeyList keys = {"00|0", "0A|1", "05|2", "0a|2", "05|0"};
    struct Case {
        const char* code;
        std::optional<std::size_t> exact;
        std::optional<std::size_t> ignoringCase;
    };
    const Case cases[] = {
        {"05", 2, 2},
        {"0a", 3, 1},
        {"0A", 1, 1},
        {"85", std::nullopt, std::nullopt},
        {"0", std::nullopt, std::nullopt},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(learning::findEntry(keys, c.code), c.exact) << c.code;
        EXPECT_EQ(learning::findEntryIgnoringCase(keys, c.code), c.ignoringCase) << c.code;
    }
}

TEST(LearnedKeyList, LearnedMeansStateTwoWithTheExactCode) {
    const LearnedKeyList keys = {"12|1", "12|2", "37|0", "0a|2", "44|1"};
    struct Case {
        const char* code;
        bool learned;
    };
    const Case cases[] = {{"12", true},  {"37", false}, {"0a", true},
                          {"0A", false}, {"44", false}, {"99", false}};
    for (const Case& c : cases)
        EXPECT_EQ(learning::isLearnedKey(keys, c.code), c.learned) << c.code;
}

TEST(LearnedKeyList, AnyLearnedKeyAndTheirIndexes) {
    EXPECT_FALSE(learning::anyLearnedKey({}));
    EXPECT_FALSE(learning::anyLearnedKey({"00|0", "01|1", "02|"}));
    EXPECT_TRUE(learning::anyLearnedKey({"00|0", "01|2"}));
    const std::vector<std::size_t> expected = {1, 3};
    EXPECT_EQ(learning::learnedEntries({"00|0", "01|2", "02|1", "03|2"}), expected);
    EXPECT_TRUE(learning::learnedEntries({"00|1"}).empty());
}

} // namespace
