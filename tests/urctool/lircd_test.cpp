// Keys of a lircd.conf read with LIRC's parser: raw and encoded codes, the
// file's order of remotes and keys, and what is refused with its reason
// (numbers LIRC would wrap, values it would change, what it cannot send).
#include "urctool/errors.h"
#include "urctool/lircd_conf.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using urctool::UsageError;

// The message of the UsageError `read` throws ("" when it reads).
template <typename Read> std::string refusal(Read read) {
    try {
        read();
    } catch (const UsageError& e) {
        return e.what();
    }
    return "";
}

TEST(Lircd, RawCodesWithFrequencyAndGap) {
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
      300
  end raw_codes
end remote
)";
    const auto mute = urctool::signalFromLircd(conf, "TV_MUTE");
    EXPECT_EQ(mute.carrierHz, 36000);
    EXPECT_EQ(mute.durations, (std::vector<uint32_t>{900, 450, 900, 50000}));
    EXPECT_EQ(urctool::signalFromLircd(conf, "TV_MUTE_2").durations,
              (std::vector<uint32_t>{100, 200, 300, 50000}));
    EXPECT_EQ(refusal([&] { urctool::signalFromLircd(conf, "TV"); }),
              "the lircd.conf has no key named TV");
    const struct {
        const char* body;
        const char* refusal;
    } bad[] = {
        // LIRC's raw codes end with a pulse: an even count is its error.
        {"name A\n 100 200\n", "LIRC cannot read the lircd.conf: error in configfile line"},
        {"name A\n 100 x\n", "\"x\": must be a valid (unsigned int) number"},
    };
    for (const auto& b : bad) {
        const std::string text = "begin remote\nname R\nbegin raw_codes\n" + std::string(b.body) +
                                 "end raw_codes\nend remote\n";
        EXPECT_NE(refusal([&] { urctool::signalFromLircd(text, "A"); }).find(b.refusal),
                  std::string::npos)
            << b.body;
    }
}

// A pulse-distance remote as LIRC sends it: header, pre_data and code bits
// most significant first, trailing pulse, the rest of a constant length.
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
    EXPECT_EQ(s.carrierHz, 38000) << "LIRC's default frequency";
    // An encoding LIRC reads but cannot send is refused in LIRC's words.
    std::string grundig = conf;
    grundig.replace(grundig.find("SPACE_ENC"), 9, "GRUNDIG");
    EXPECT_EQ(refusal([&] { urctool::signalFromLircd(grundig, "KEY_A"); }),
              "LIRC cannot send the key KEY_A of the lircd.conf's remote OWN: sorry, can't send "
              "this protocol yet");
    // A code wider than the remote's bits, which LIRC would cut to fit.
    std::string wide = conf;
    wide.replace(wide.find("KEY_A 0x9"), 9, "KEY_A 0x19");
    EXPECT_NE(refusal([&] {
                  urctool::signalFromLircd(wide, "KEY_A");
              }).find("LIRC would change the lircd.conf to read it (lircd.conf: OWN: Invalid code"),
              std::string::npos);
    std::string unknown = conf;
    unknown.replace(unknown.find("ptrail"), 6, "ptrall");
    EXPECT_NE(refusal([&] { urctool::signalFromLircd(unknown, "KEY_A"); })
                  .find("LIRC cannot read the lircd.conf: error in configfile line 8: unknown "
                        "definiton"),
              std::string::npos);
}

// Numbers of a lircd.conf past what a duration, a carrier or a count can be
// are refused as written, never read modulo 2^32; each just inside and just
// outside.
TEST(Lircd, NumbersPastTheirRangeAreRefusedNotWrapped) {
    const struct {
        const char* parameter; // replaces "header 9000 4500"
        const char* refusal;   // "" when read
    } cases[] = {
        {"header 9000 4500", ""},
        {"header 4294976296 4500", "header 4294976296 us: durations go up to 10000000 us (line 9)"},
        {"header 9000 10000001", "header 10000001 us: durations go up to 10000000 us"},
        {"header 9000 0x989681", "header 0x989681 us: durations go up to 10000000 us"},
        {"header 9000 -4500", "header -4500 us: durations are 0 to 10000000 us"},
        {"header 9000 99999999999999999999999", "header 99999999999999999999999 us"},
        {"header 9000 4500\n  frequency 500000", ""},
        {"header 9000 4500\n  frequency 10000", ""},
        {"header 9000 4500\n  frequency 9999", "frequency 9999 Hz: the carrier must be 10000 to"},
        {"header 9000 4500\n  frequency 500001", "frequency 500001 Hz: the carrier must be"},
        {"header 9000 4500\n  frequency 4295005296", "frequency 4295005296 Hz"},
        {"header 9000 4500\n  gap 4294997296", "gap 4294997296 us"},
        {"header 9000 4500\n  repeat_gap 10000001", "repeat_gap 10000001 us"},
        {"header 9000 4500\n  min_repeat 100", ""},
        {"header 9000 4500\n  min_repeat 101", "min_repeat 101: it is 0 to 100 (line 10)"},
        {"header 9000 4500\n  min_repeat -1", "min_repeat -1: it is 0 to 100"},
        {"header 9000 4500\n  pre_data_bits 56", ""},
        {"header 9000 4500\n  pre_data_bits 57", "remote R has 65 bits (bits, pre_data_bits"},
        {"header 9000 4500\n  post_data_bits 65", "post_data_bits 65: it is 0 to 64"},
        {"header 9000 4500\ninclude \"other.conf\"",
         "the lircd.conf includes another file (line 10); urc-tool reads one file"},
    };
    for (const auto& c : cases) {
        std::string conf = "begin remote\n  name R\n  bits 8\n  flags SPACE_ENC\n  one 560 1690\n"
                           "  zero 560 560\n  ptrail 560\n  gap 40000\n  " +
                           std::string(c.parameter) +
                           "\n  begin codes\n    K 0x12\n  end codes\nend remote\n";
        if (*c.refusal == '\0') {
            EXPECT_EQ(urctool::signalFromLircd(conf, "K").durations[0], 9000u) << c.parameter;
            continue;
        }
        const std::string said = refusal([&] { urctool::signalFromLircd(conf, "K"); });
        EXPECT_NE(said.find(c.refusal), std::string::npos) << c.parameter << ": " << said;
    }
    const char* rawCode = "begin remote\nname R\nbegin raw_codes\nname A\n 900 %s 900\n"
                          "end raw_codes\nend remote\n";
    char conf[200];
    std::snprintf(conf, sizeof conf, rawCode, "10000000");
    EXPECT_THROW(urctool::signalFromLircd(conf, "A"), urctool::ToolError) << "kept whole, too long";
    std::snprintf(conf, sizeof conf, rawCode, "4294968196");
    EXPECT_EQ(refusal([&] { urctool::signalFromLircd(conf, "A"); }),
              "the raw code A holds 4294968196 us: durations go up to 10000000 us (line 5)");
}

TEST(Lircd, ANulCharacterIsNamedWithItsPlace) {
    using namespace std::string_literals;
    const std::string conf = "begin remote\n  name R\0X\nend remote\n"s;
    EXPECT_EQ(refusal([&] { urctool::signalFromLircd(conf, "K"); }),
              "the lircd.conf holds a NUL character (byte 22, line 2); a lircd.conf is text");
}

// LIRC sorts remotes (raw ones last, fewer bits first); urc-tool keeps the
// file's order of remotes and of each remote's keys.
TEST(Lircd, RemotesAndKeysInTheFilesOrder) {
    const char* conf = R"(begin remote
  name RAWFIRST
  flags RAW_CODES
  gap 30000
  begin raw_codes
    name KEY_B
      1000 500 1000
    name KEY_A
      2000 500 2000
  end raw_codes
end remote
begin remote
  name SHORT
  bits 4
  flags SPACE_ENC
  one 500 1500
  zero 500 500
  ptrail 500
  gap 30000
  begin codes
    KEY_A 0x1
    KEY_C 0x2
  end codes
end remote
)";
    EXPECT_EQ(urctool::signalFromLircd(conf, "KEY_A").durations[0], 2000u) << "the file's first";
    const auto first = urctool::remoteFromLircd(conf, "");
    EXPECT_EQ(first.name, "RAWFIRST");
    ASSERT_EQ(first.codes.size(), 2u);
    EXPECT_EQ(first.codes[0].name, "KEY_B");
    EXPECT_EQ(first.codes[1].signal.durations, (std::vector<uint32_t>{2000, 500, 2000, 30000}));
    const auto named = urctool::remoteFromLircd(conf, "SHORT");
    ASSERT_EQ(named.codes.size(), 2u);
    EXPECT_EQ(named.codes[1].name, "KEY_C");
    EXPECT_EQ(named.codes[1].signal.durations.size(), 10u); // 4 bits, ptrail, gap
    EXPECT_EQ(refusal([&] { urctool::remoteFromLircd(conf, "TV"); }),
              "the lircd.conf has no remote named TV (its remotes: RAWFIRST, SHORT)");
    EXPECT_EQ(refusal([&] { urctool::remoteFromLircd("# nothing\n", ""); }),
              "the lircd.conf holds no remote");
    EXPECT_EQ(refusal([&] { urctool::remoteFromLircd("", ""); }), "the lircd.conf holds no remote");
}

} // namespace
