// Where import puts a remote's codes: LIRC's names and common spellings on
// each device group, the --map file's lines and its refusals, and which code
// wins a key that two want.
#include "tests/support/scripted_urc.h"
#include "urctool/errors.h"
#include "urctool/import_mapping.h"
#include "urctool/key_meanings.h"
#include "urctool/urc_access.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using urctool::UsageError;

device::UrcTables testTables() {
    testsupport::ScriptedUrc urc;
    testsupport::buildTestImage(urc);
    return urctool::readSnapshot(urc).tables;
}

struct NameRow {
    const char* name;
    const char* device;
    const char* label; // "" when the device has no key for it
};

const NameRow kNames[] = {
    {"KEY_POWER", "TV", "POWER/TV"},
    {"power", "AMP", "POWER/AMP"},
    {"KEY_MUTE", "TV", "TV/MUTE"},
    {"MUTE", "AMP", "AMP/MUTE"},
    {"KEY_MUTE", "CBL", ""},
    {"KEY_VOLUMEUP", "TV", "TV/VOL+"},
    {"VOL+", "CBL", "CBL/VOL+"},
    {"volume_up", "AMP", "AMP/VOL+"},
    {"Vol-", "TV", "TV/VOL-"},
    {"VOLUME_DOWN", "CBL", "CBL/VOL-"},
    {"KEY_CHANNELUP", "TV", "TV/P+"},
    {"CH+", "TV", "TV/P+"},
    {"CH-", "TV", "TV/P-"},
    {"KEY_CHANNELUP", "CBL", ""},
    {"KEY_0", "CBL", "CBL/0"},
    {"7", "CBL", "CBL/7"},
    {"KEY_NUMERIC_9", "CBL", "CBL/9"},
    {"KEY_5", "TV", ""},
    {"KEY_OK", "CBL", "CBL/OK"},
    {"KEY_ENTER", "CBL", "CBL/ENTER"},
    {"KEY_ENTER", "DVD", "DVD/OK"}, // DVD has no ENTER: OK serves
    {"SELECT", "DVD", "DVD/OK"},
    {"KEY_UP", "DVD", "DVD/UP"},
    {"KEY_MENU", "CBL", "CBL/MENU"},
    {"KEY_EXIT", "DVD", "DVD/EXIT"},
    {"KEY_BACK", "CBL", "CBL/BACK"}, // not CBL/back, which differs in case only
    {"KEY_REWIND", "CBL", "CBL/back"},
    {"KEY_REWIND", "DVD", "DVD/REWIND"},
    {"KEY_FASTFORWARD", "CBL", "CBL/forward"},
    {"KEY_YELLOW", "DVD", "DVD/YELLO"},
    {"KEY_YELLOW", "CBL", ""},
    {"KEY_TITLE", "DVD", "DVD/TOP MENU"},
    {"KEY_TV", "TV", "TV/ AV/TV"},
    {"-", "CBL", "CBL/DASH"},
    {"KEY_F1", "AMP", "AMP/F1"},
    {"KEY_SLEEP", "TV", ""},
    {"KEY_POWERX", "TV", ""},
    {"VOLUMEUPP", "TV", ""},
};

TEST(ImportNames, NamesMeanTheKeyOfTheirDevice) {
    const auto keys = urctool::keysOf(testTables());
    for (const auto& row : kNames) {
        const auto key = urctool::keyMeant(keys, row.device, row.name);
        EXPECT_EQ(key ? key->label : "", row.label) << row.name << " on " << row.device;
    }
}

TEST(ImportNames, ComparedNamesAndLircsNamespace) {
    const std::pair<const char*, const char*> rows[] = {{"KEY_VOLUMEUP", "VOLUMEUP"},
                                                        {"vol+", "VOLPLUS"},
                                                        {"Vol_Up", "VOLUP"},
                                                        {"CH-", "CHMINUS"},
                                                        {"-", "MINUS"},
                                                        {"key_ok", "OK"},
                                                        {"VOL-UP", "VOLUP"},
                                                        {"", ""}};
    for (const auto& [name, compared] : rows)
        EXPECT_EQ(urctool::comparedName(name), compared) << name;
    EXPECT_TRUE(urctool::isLircName("KEY_MUTE"));
    EXPECT_TRUE(urctool::isLircName("KEY_NUMERIC_0"));
    EXPECT_FALSE(urctool::isLircName("MUTE"));
    EXPECT_FALSE(urctool::isLircName("key_mute")); // lircd's names are case-sensitive
    EXPECT_EQ(urctool::deviceGroup("dvd"), "DVD");
    EXPECT_EQ(urctool::deviceGroup("POWER"), std::nullopt);
}

struct MapRefusal {
    const char* text;
    const char* message;
};

TEST(ImportMap, LinesAreNameAndKeyWithComments) {
    const auto lines = urctool::parseKeyMap("# my remote\n\n  BTN_A   05\r\n"
                                            "TITLE DVD/TOP MENU  \n# BTN_X 06\nBTN_B -\n");
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0].name, "BTN_A");
    EXPECT_EQ(lines[0].key, "05");
    EXPECT_EQ(lines[0].line, 3);
    EXPECT_EQ(lines[1].key, "DVD/TOP MENU");
    EXPECT_EQ(lines[2].key, "-");
    EXPECT_EQ(lines[2].line, 6);
}

TEST(ImportMap, MalformedFilesAreRefusedNamingTheLine) {
    const std::string longLine = "A " + std::string(urctool::kMaxMapLineLength, 'x');
    std::string manyLines;
    for (std::size_t i = 0; i <= urctool::kMaxMapLines; ++i)
        manyLines += "#\n";
    const MapRefusal rows[] = {
        {"A 05\nLONELY\n", "--map line 2: \"LONELY\" has no key"},
        {"A 05\n# x\nA 06\n", "--map line 3: A is mapped on line 1 already"},
        {longLine.c_str(), "--map line 1 is longer than 200 characters"},
        {manyLines.c_str(), "more than 1000 lines"},
    };
    for (const auto& row : rows) {
        try {
            urctool::parseKeyMap(row.text);
            ADD_FAILURE() << "accepted: " << row.text;
        } catch (const UsageError& e) {
            EXPECT_NE(std::string(e.what()).find(row.message), std::string::npos) << e.what();
        }
    }
}

urctool::ImportCode code(const char* name, const char* fromCode = "", const char* fromLabel = "") {
    return {name, {38000, {500, 500}}, fromCode, fromLabel};
}

std::string placedOn(const urctool::Assignment& a, std::size_t code) {
    for (const auto& p : a.placed)
        if (p.code == code)
            return p.key.label;
    return "";
}

TEST(ImportAssignment, TheStrongerReasonWinsAKeyAndTheTableSaysWhy) {
    const auto tables = testTables();
    const std::vector<urctool::ImportCode> codes = {
        code("MUTE"),  code("KEY_MUTE"), code("BTN_A"),    code("TV_VOL_PLUS"), code("VOL+"),
        code("POWER"), code("ON_OFF"),   code("WHATEVER"), code("KEY_SLEEP"),   code("BTN_B")};
    const auto map = urctool::parseKeyMap("BTN_A TV/MUTE\nBTN_B -\nNOT_THERE 06\n");
    const auto a = urctool::assignKeys(codes, tables, "TV", map);
    EXPECT_EQ(placedOn(a, 2), "TV/MUTE");  // the map beats LIRC's name
    EXPECT_EQ(placedOn(a, 3), "TV/VOL+");  // urc-tool's own name beats a spelling
    EXPECT_EQ(placedOn(a, 5), "POWER/TV"); // first of two equal spellings
    EXPECT_EQ(placedOn(a, 1), "");
    EXPECT_EQ(placedOn(a, 4), "");
    EXPECT_EQ(placedOn(a, 6), "");
    ASSERT_EQ(a.conflicts.size(), 3u);
    ASSERT_EQ(a.unusedMapLines.size(), 1u);
    const std::string table = urctool::assignmentTable(codes, a);
    for (const char* line :
         {"05 (TV/MUTE) was wanted by BTN_A (--map line 1) and MUTE (common spelling) and "
          "KEY_MUTE (LIRC's name); BTN_A won: --map line 1 is the stronger reason",
          "00 (POWER/TV) was wanted by POWER (common spelling) and ON_OFF (common spelling); "
          "POWER won: it comes first in the file",
          "lost 05 (TV/MUTE) to BTN_A", "left out (--map line 2)",
          "not a name urc-tool knows: WHATEVER", "the TV keys have none for LIRC's KEY_SLEEP",
          "--map line 3: no code of the file is called NOT_THERE", "3 of 10 codes go to a key"})
        EXPECT_NE(table.find(line), std::string::npos) << line << "\n" << table;
}

TEST(ImportAssignment, ExportedKeysGoBackByCodeAndLabel) {
    const auto tables = testTables();
    const std::vector<urctool::ImportCode> codes = {
        code("a", "05", "TV/MUTE"), code("b", "44", ""), code("c", "9A", "X/Y"),
        code("d", "06", "CBL/OK"), code("e", "82", "AMP/F1")};
    const auto all = urctool::assignKeys(codes, tables, "", {});
    EXPECT_EQ(placedOn(all, 0), "TV/MUTE");
    EXPECT_EQ(placedOn(all, 1), "CBL/OK");
    EXPECT_EQ(placedOn(all, 4), "AMP/F1");
    const std::string table = urctool::assignmentTable(codes, all);
    EXPECT_NE(table.find("this URC has no key 9A"), std::string::npos) << table;
    EXPECT_NE(table.find("key 06 of this URC is TV/VOL+, the export calls it CBL/OK"),
              std::string::npos)
        << table;
    const auto tv = urctool::assignKeys(codes, tables, "TV", {});
    EXPECT_EQ(placedOn(tv, 0), "TV/MUTE");
    EXPECT_EQ(placedOn(tv, 4), "");
    EXPECT_NE(urctool::assignmentTable(codes, tv).find("82 (AMP/F1) is not a TV key"),
              std::string::npos);
    const auto own = urctool::assignKeys({code("CBL_BACK"), code("CBL_BACK_50"), code("TV_MUTE")},
                                         tables, "CBL", {});
    EXPECT_EQ(placedOn(own, 0), "CBL/BACK");
    EXPECT_EQ(placedOn(own, 1), "CBL/back");
    EXPECT_NE(
        urctool::assignmentTable({code("CBL_BACK"), code("CBL_BACK_50"), code("TV_MUTE")}, own)
            .find("left out: urc-tool's name for 05 (TV/MUTE), not a CBL key"),
        std::string::npos);
    EXPECT_THROW(urctool::assignKeys({code("x")}, tables, "TV", urctool::parseKeyMap("x NOPE\n")),
                 UsageError);
}

} // namespace
