// Reading a JSON export back: what the export writes reads back to the same
// signals, and malformed or hostile documents are refused naming what, where
// and the limit.
#include "urctool/errors.h"
#include "urctool/export_formats.h"
#include "urctool/export_json.h"
#include "urctool/json_import.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using urctool::ToolError;
using urctool::UsageError;

std::string key(const std::string& fields) {
    return R"({"format":1,"keys":[{"code":"05","label":"TV/MUTE","name":"TV_MUTE",)" + fields +
           "}]}";
}

const std::string kGood = R"("carrier":38000,"durations":[9000,4500,560,1690,560,100000])";

TEST(JsonImport, AnExportReadsBackToItsSignals) {
    urctool::ExportedKey exported;
    exported.key = {5, "05", "TV/MUTE", '2'};
    exported.name = "TV_MUTE";
    exported.code.readable = exported.code.raw = true;
    exported.code.blocks = 3;
    exported.code.signal = {36000, {3000, 1000, 500, 1500, 500, 100000}};
    const std::string text = urctool::exportJson({exported, exported});
    EXPECT_TRUE(text.starts_with("{\"format\":1,\"keys\":[\n{\"code\":\"05\"")) << text;
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 3) << "one key a line: " << text;
    const auto keys = urctool::keysFromJson(text);
    ASSERT_EQ(keys.size(), 2u);
    EXPECT_EQ(keys[0].code, "05");
    EXPECT_EQ(keys[0].label, "TV/MUTE");
    EXPECT_EQ(keys[0].name, "TV_MUTE");
    EXPECT_EQ(keys[0].signal.carrierHz, 36000);
    EXPECT_EQ(keys[0].signal.durations, exported.code.signal.durations);
}

TEST(JsonImport, OlderExportsWithoutFormatAndMissingNamesAreRead) {
    const auto keys = urctool::keysFromJson(
        R"({"keys":[{"code":"4a","carrier":38000,"durations":[500,500,500]}]})");
    ASSERT_EQ(keys.size(), 1u);
    EXPECT_EQ(keys[0].code, "4A");
    EXPECT_EQ(keys[0].name, "4A");
    // An odd count is closed with the trailing silence, as every input is.
    EXPECT_EQ(keys[0].signal.durations.size(), 4u);
    EXPECT_TRUE(urctool::keysFromJson(R"({"format":1,"keys":[]})").empty());
    // Brackets inside a name, after an escaped quote, are not nesting.
    const auto named = urctool::keysFromJson(
        R"({"keys":[{"code":"05","name":"a\"[[[[[[[[[[\\","carrier":38000,"durations":[500]}]})");
    EXPECT_EQ(named.at(0).name, "a\"[[[[[[[[[[\\");
}

struct Refusal {
    const char* name;
    std::string text;
    const char* message;
};

std::string nested(int depth) {
    return std::string(depth, '[') + std::string(depth, ']');
}

std::string manyDurations(std::size_t count) {
    std::string list;
    for (std::size_t i = 0; i < count; ++i)
        list += (i ? ",500" : "500");
    return R"("carrier":38000,"durations":[)" + list + "]";
}

std::string manyKeys(std::size_t count) {
    std::string list;
    for (std::size_t i = 0; i < count; ++i)
        list += std::string(i ? "," : "") + "{}";
    return R"({"keys":[)" + list + "]}";
}

const Refusal kRefusals[] = {
    {"not JSON", "{\"keys\":[", "the file is not JSON: parse error at line 1, column 10"},
    {"trailing junk", key(kGood) + " x", "the file is not JSON"},
    {"too deep", nested(100000), "the JSON nests deeper than 8 levels at byte 9"},
    {"deep in a key", key(R"("carrier":38000,"durations":[[[[[[1]]]]]])"), "deeper than 8"},
    {"not an object", "[1,2]", "the JSON is [1,2], not an object with \"keys\""},
    {"no keys", R"({"format":1})", "the JSON lacks \"keys\""},
    {"keys not a list", R"({"keys":{}})", "\"keys\" is {}, not a list"},
    {"newer format", R"({"format":2,"keys":[]})",
     "the JSON is of format 2; this urc-tool reads format 1"},
    {"format a string", R"({"format":"1","keys":[]})",
     "\"format\": \"1\" is not a whole number from 1 to 4294967295"},
    {"too many keys", manyKeys(256), "the JSON holds 256 keys; a URC has at most 255"},
    {"key not an object", R"({"keys":[7]})", "keys[0] is 7, not an object"},
    {"no code", R"({"keys":[{}]})", "keys[0] lacks \"code\""},
    {"list output", R"({"format":1,"keys":[{"code":"05","state":"no code","holds":null}]})",
     "keys[0] is a key of urc-tool list --json"},
    {"bad code", R"({"keys":[{"code":"5"}]})", "keys[0]: \"code\" is \"5\", not two hex digits"},
    {"code a number", R"({"keys":[{"code":5}]})", "\"code\" is 5, not a string"},
    {"label a list", key(R"("label":[],)" + kGood), "\"label\" is [], not a string"},
    {"long name",
     R"({"keys":[{"code":"05","name":")" + std::string(101, 'n') + "\"," + kGood + "}]}",
     "\"name\" is longer than 100 characters"},
    {"no carrier", key(R"("durations":[500])"), "keys[0] (code 05) lacks \"carrier\""},
    {"carrier low", key(R"("carrier":9999,"durations":[500])"),
     "keys[0] (code 05) carrier: 9999 is not a whole number from 10000 to 500000 Hz"},
    {"carrier float", key(R"("carrier":38000.5,"durations":[500])"),
     "38000.5 is not a whole number from 10000 to 500000 Hz"},
    {"durations a string", key(R"("carrier":38000,"durations":"500 500")"),
     "\"durations\" is \"500 500\", not a list"},
    {"negative duration", key(R"("carrier":38000,"durations":[500,-500])"),
     "keys[0] (code 05) durations[1]: -500 is not a whole number from 1 to 10000000 us"},
    {"zero duration", key(R"("carrier":38000,"durations":[0])"),
     "durations[0]: 0 is not a whole number from 1 to 10000000 us"},
    {"fractional duration", key(R"("carrier":38000,"durations":[500.25])"),
     "500.25 is not a whole number"},
    {"duration past 2^32", key(R"("carrier":38000,"durations":[4294976296])"),
     "4294976296 is not a whole number from 1 to 10000000 us"},
    {"duration past 2^64", key(R"("carrier":38000,"durations":[99999999999999999999999])"),
     "is not a whole number from 1 to 10000000 us"},
    {"number past a double", key(R"("carrier":38000,"durations":[1e400])"), "the file is not JSON"},
    {"duration a string", key(R"("carrier":38000,"durations":["500"])"),
     "\"500\" is not a whole number"},
    {"too many durations", key(manyDurations(2561)),
     "2561 durations; a capture of the URC holds at most 2560"},
    {"no durations", key(R"("carrier":38000,"durations":[])"), "holds no durations"},
};

void PrintTo(const Refusal& r, std::ostream* out) {
    *out << r.name;
}

class JsonRefusals : public ::testing::TestWithParam<Refusal> {};

TEST_P(JsonRefusals, AreUsageErrorsSayingWhatAndWhere) {
    try {
        urctool::keysFromJson(GetParam().text);
        ADD_FAILURE() << "accepted";
    } catch (const UsageError& e) {
        EXPECT_NE(std::string(e.what()).find(GetParam().message), std::string::npos) << e.what();
    }
}

INSTANTIATE_TEST_SUITE_P(Json, JsonRefusals, ::testing::ValuesIn(kRefusals), [](const auto& info) {
    std::string name = info.param.name;
    for (char& c : name)
        if (!std::isalnum(static_cast<unsigned char>(c)))
            c = '_';
    return name;
});

TEST(JsonImport, SignalsTheUrcCannotKeepAreRefusedAsSetRefusesThem) {
    // A mark longer than the raw form's longest duration passes the reader's
    // range and is refused by the storability check.
    EXPECT_THROW(urctool::keysFromJson(key(R"("carrier":38000,"durations":[400000,1000])")),
                 ToolError);
}

} // namespace
