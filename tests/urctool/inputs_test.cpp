// What urc-tool reads from the command line and files: Pronto hex (lircd.conf:
// lircd_test.cpp), raw descriptions, protocol numbers, key names and options.
#include "common/whole_files.h"
#include "irform/protocols.h"
#include "urctool/command_line.h"
#include "urctool/errors.h"
#include "urctool/key_names.h"
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
