// What urc-tool reads from the command line and files: Pronto hex, lircd raw
// codes, raw descriptions, protocol numbers, key names and options.
#include "common/whole_files.h"
#include "irform/protocols.h"
#include "urctool/command_line.h"
#include "urctool/errors.h"
#include "urctool/key_names.h"
#include "urctool/lircd_conf.h"
#include "urctool/restore_plan.h"
#include "urctool/signal_input.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>

namespace {

using urctool::UsageError;

TEST(Pronto, LearnedFormGivesCarrierAndDurationsAndRoundTrips) {
    // 0x006D: 109 x 0.241246 us = 26.3 us a cycle, 38 kHz.
    const auto s = urctool::signalFromPronto("0000 006D 0002 0000 0156 00AB 0015 0F00");
    EXPECT_EQ(s.carrierHz, 38029);
    ASSERT_EQ(s.durations.size(), 4u);
    EXPECT_NEAR(s.durations[0], 9000, 10);
    EXPECT_NEAR(s.durations[1], 4500, 10);
    EXPECT_NEAR(s.durations[3], 100985, 30);
    const auto nec = *irform::encode(irform::Protocol::Nec, 4, 8);
    const auto back = urctool::signalFromPronto(urctool::prontoText(nec));
    ASSERT_EQ(back.durations.size(), nec.durations.size());
    for (std::size_t i = 0; i < nec.durations.size(); ++i)
        EXPECT_NEAR(back.durations[i], nec.durations[i], 14) << i; // half a cycle
}

TEST(Pronto, OnceAndRepeatSequencesMakeOnePress) {
    const auto s = urctool::signalFromPronto("0000 006D 0001 0001 0156 00AB 0156 0055");
    EXPECT_EQ(s.durations.size(), 4u);
}

TEST(Pronto, MalformedTextIsAUsageError) {
    for (const char* text : {"", "0000 006D 0001", "0100 006D 0001 0000 0010 0010",
                             "0000 006D 0002 0000 0010 0010", "0000 0000 0001 0000 0010 0010",
                             "0000 006D 0001 0000 0010 001G", "0000 006D 0001 0000 10 0010"})
        EXPECT_THROW(urctool::signalFromPronto(text), UsageError) << text;
}

TEST(Lircd, RawCodeOfTheNamedKeyWithFrequencyAndGap) {
    const char* conf = R"(# exported
begin remote
  name  TEST
  flags RAW_CODES
  frequency 36000
  gap 50000
  begin raw_codes
    name TV_MUTE
      900 450 900
    name TV_MUTE_2
      100 200
      300 400
  end raw_codes
end remote
)";
    const auto mute = urctool::signalFromLircd(conf, "TV_MUTE");
    EXPECT_EQ(mute.carrierHz, 36000);
    EXPECT_EQ(mute.durations, (std::vector<uint32_t>{900, 450, 900, 50000}));
    const auto two = urctool::signalFromLircd(conf, "TV_MUTE_2");
    EXPECT_EQ(two.durations, (std::vector<uint32_t>{100, 200, 300, 400}));
    EXPECT_THROW(urctool::signalFromLircd(conf, "TV"), UsageError);
    EXPECT_THROW(
        urctool::signalFromLircd(
            "begin remote\nbegin raw_codes\nname A\n 100 x\nend raw_codes\nend remote\n", "A"),
        UsageError);
}

// A pulse-distance remote as irsimsend sends it: header, pre_data and code
// bits most significant first, trailing pulse, the rest of a constant length.
TEST(Lircd, SpaceEncodedCodesAreBuiltFromTheRemotesTimings) {
    const std::string conf = R"(begin remote
  name OWN
  bits 4
  flags SPACE_ENC|CONST_LENGTH
  header 3400 1700
  one 400 1200
  zero 400 400
  ptrail 400
  pre_data_bits 2
  pre_data 0x2
  gap 30000
  begin codes
    KEY_A 0x9
  end codes
end remote
)";
    const auto s = urctool::signalFromLircd(conf, "KEY_A");
    // 1 0 | 1 0 0 1
    const std::vector<uint32_t> want = {3400, 1700, 400, 1200, 400, 400,  400, 1200,
                                        400,  400,  400, 400,  400, 1200, 400, 30000 - 12700};
    EXPECT_EQ(s.durations, want);
    std::string rc5 = conf;
    rc5.replace(rc5.find("SPACE_ENC"), 9, "RC5");
    EXPECT_THROW(urctool::signalFromLircd(rc5, "KEY_A"), UsageError);
}

// Numbers of a lircd.conf past what a duration or a carrier can be are refused
// as written, never read modulo 2^32; each just inside and just outside.
TEST(Lircd, NumbersPastTheirRangeAreRefusedNotWrapped) {
    const struct {
        const char* parameter; // replaces "header 9000 4500"
        const char* refusal;   // "" when read
    } cases[] = {
        {"header 9000 4500", ""},
        {"header 4294976296 4500", "header 4294976296 us: durations go up to 10000000 us"},
        {"header 9000 10000001", "header 10000001 us: durations go up to 10000000 us"},
        {"header 9000 4500\n  frequency 500000", ""},
        {"header 9000 4500\n  frequency 500001", "frequency 500001 Hz: the carrier must be"},
        {"header 9000 4500\n  frequency 4295005296", "frequency 4295005296 Hz"},
        {"header 9000 4500\n  gap 4294997296", "gap 4294997296 us"},
    };
    for (const auto& c : cases) {
        std::string conf = "begin remote\n  name R\n  bits 8\n  flags SPACE_ENC\n  one 560 1690\n"
                           "  zero 560 560\n  ptrail 560\n  gap 40000\n  " +
                           std::string(c.parameter) +
                           "\n  begin codes\n    K 0x12\n  end codes\nend remote\n";
        if (*c.refusal == '\0') {
            const auto s = urctool::signalFromLircd(conf, "K");
            EXPECT_EQ(s.durations[0], 9000u) << c.parameter;
            continue;
        }
        try {
            urctool::signalFromLircd(conf, "K");
            ADD_FAILURE() << c.parameter << " was read";
        } catch (const UsageError& e) {
            EXPECT_NE(std::string(e.what()).find(c.refusal), std::string::npos) << e.what();
        }
    }
    const char* rawCode = "begin remote\nname R\nbegin raw_codes\nname A\n 900 %s 900\n"
                          "end raw_codes\nend remote\n";
    char conf[200];
    std::snprintf(conf, sizeof conf, rawCode, "10000000");
    EXPECT_THROW(urctool::signalFromLircd(conf, "A"), urctool::ToolError) << "kept whole, too long";
    std::snprintf(conf, sizeof conf, rawCode, "4294968196");
    EXPECT_THROW(urctool::signalFromLircd(conf, "A"), UsageError) << "read as 900";
}

TEST(Lircd, ANulCharacterIsNamedWithItsPlace) {
    using namespace std::string_literals;
    const std::string conf = "begin remote\n  name R\0X\nend remote\n"s;
    try {
        urctool::signalFromLircd(conf, "K");
        ADD_FAILURE() << "read";
    } catch (const UsageError& e) {
        EXPECT_EQ(std::string(e.what()),
                  "the lircd.conf holds a NUL character (byte 22, line 2); a lircd.conf is text");
    }
}

TEST(RawAndProtocol, CheckedAndClosedWithASilence) {
    EXPECT_EQ(urctool::signalFromRaw("raw 38000 +500 -500 +500").durations.back(),
              urctool::kTrailingSilenceUs);
    for (const char* bad : {"raw 38000", "raw 38000 +0 -10", "raw 900 +10 -10", "38000 +1 -1"})
        EXPECT_THROW(urctool::signalFromRaw(bad), UsageError) << bad;
    EXPECT_EQ(urctool::signalFromProtocol("necx", "0x1234", "8").durations,
              irform::encode(irform::Protocol::NecExtended, 0x1234, 8)->durations);
    EXPECT_THROW(urctool::signalFromProtocol("nec", "256", "1"), UsageError);
    EXPECT_THROW(urctool::signalFromProtocol("nec", "1x", "1"), UsageError);
    EXPECT_THROW(urctool::signalFromProtocol("nosuchform", "1", "1"), UsageError);
    EXPECT_THROW(urctool::signalFromProtocol("xmp", "0x10000", "1"), UsageError);
    EXPECT_EQ(urctool::signalFromProtocol("xmp", "0x2B1C", "0x4A00").durations,
              irform::encode(irform::Protocol::Xmp, 0x2B1C, 0x4A00)->durations);
    EXPECT_EQ(urctool::signalFromProtocol("rc6", "1", "1").durations,
              irform::encode(irform::Protocol::Rc6, 1, 1)->durations);
}

TEST(KeyNames, ByCodeOrLabelInAnyCaseAndAsLircNames) {
    device::UrcTables t;
    t.LearnedKeys = {"00|1", "05|2", "44|0", "04|0", "F0|0", "06|2", "12|2"};
    EXPECT_EQ(urctool::findKey(t, "44").index, 2u);
    EXPECT_EQ(urctool::findKey(t, "cbl/ok").index, 2u);
    EXPECT_EQ(urctool::findKey(t, "f0").index, 4u);
    EXPECT_THROW(urctool::findKey(t, "45"), UsageError);
    EXPECT_THROW(urctool::findKey(t, "TV/"), UsageError);
    const auto keys = urctool::keysOf(t);
    EXPECT_EQ(urctool::lircName(keys[1]), "TV_MUTE");
    EXPECT_EQ(urctool::lircName(keys[3]), "TV_AV_TV");
    EXPECT_EQ(urctool::lircName(keys[4]), "KEY_F0");
    EXPECT_EQ(urctool::lircName(keys[5]), "TV_VOL_PLUS");
    EXPECT_EQ(urctool::lircName(keys[6]), "TV_VOL_MINUS");
    // CBL/BACK (key 34) without CBL/back (key 50) in any case; with both, the
    // exact label wins and another case is refused (files_and_limits.sh).
    t.LearnedKeys = {"34|2"};
    EXPECT_EQ(urctool::findKey(t, "cbl/back").index, 0u);
}

TEST(Options, ValuesFlagsAndMistakes) {
    const auto a = urctool::parseArguments({"05", "--raw", "raw 1 +1", "-o=x", "--json"},
                                           {"--raw", "-o"}, {"--json"});
    EXPECT_EQ(a.words, std::vector<std::string>{"05"});
    EXPECT_EQ(a.value("--raw"), "raw 1 +1");
    EXPECT_EQ(a.value("-o"), "x");
    EXPECT_TRUE(a.has("--json"));
    EXPECT_THROW(urctool::parseArguments({"--raw"}, {"--raw"}, {}), UsageError);
    EXPECT_THROW(urctool::parseArguments({"--rwa", "x"}, {"--raw"}, {}), UsageError);
    EXPECT_THROW(urctool::parseArguments({"--json=1"}, {}, {"--json"}), UsageError);
}

// Inputs are read within their bound: a file just at it whole, one past it
// refused (the kinds that are not regular files: files_and_limits.sh).
TEST(InputFiles, ReadWholeWithinTheirBoundAndRefusedPastIt) {
    char folder[] = "/tmp/urctool-inputs.XXXXXX";
    ASSERT_NE(::mkdtemp(folder), nullptr);
    const std::string dir = folder;
    constexpr std::size_t kBound = 1000;
    std::ofstream(dir + "/full") << std::string(kBound, 'x');
    std::ofstream(dir + "/over") << std::string(kBound + 1, 'x');
    const struct {
        std::string path;
        std::string refusal; // empty when read
    } cases[] = {
        {dir + "/full", ""},
        {dir + "/over", "is larger than a lircd.conf can be (at most 1000 bytes)"},
        {dir + "/missing",
         "cannot open the lircd.conf " + dir + "/missing: No such file or directory"},
    };
    for (const auto& c : cases) {
        const auto read = wholefiles::readRegularFile(c.path, kBound, "lircd.conf");
        if (c.refusal.empty()) {
            ASSERT_TRUE(read.content) << read.error;
            EXPECT_EQ(read.content->size(), kBound);
        } else {
            EXPECT_FALSE(read.content) << c.path;
            EXPECT_NE(read.error.find(c.refusal), std::string::npos) << read.error;
        }
    }
    std::filesystem::remove_all(dir);
}

TEST(Differences, RangesOfDifferingBytes) {
    urcmem::Memory a, b;
    b.setByte(0, 1);
    b.setByte(0x1200, 1);
    b.setByte(0x1201, 1);
    b.setByte(0xFFFF, 1);
    const auto d = urctool::differences(a, b);
    ASSERT_EQ(d.size(), 3u);
    EXPECT_EQ(d[1].first, 0x1200);
    EXPECT_EQ(d[1].last, 0x1201);
    EXPECT_EQ(d[2].last, 0xFFFF);
}

} // namespace
