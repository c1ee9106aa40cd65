// A key set from a lircd.conf is what LIRC's own irsimsend sends for it: one
// remote of our own for each encoding LIRC sends, written from LIRC's
// description of the lircd.conf format, each key compared duration by
// duration with irsimsend's simsend.out (-c: the press's frames).
#include "urctool/lircd_conf.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace {

struct Family {
    const char* what;
    const char* key;
    int frames; // irsimsend -c: the first frame and the repeats of a press
    const char* conf;
};

const Family kFamilies[] = {
    {"SPACE_ENC, header, pre_data, ptrail, repeat code, CONST_LENGTH, min_repeat", "NEC_UP", 2,
     R"(begin remote
  name NECLIKE
  bits 16
  flags SPACE_ENC|CONST_LENGTH
  eps 30
  aeps 100
  header 9000 4500
  one 560 1690
  zero 560 560
  ptrail 560
  repeat 9000 2250
  pre_data_bits 16
  pre_data 0x20DF
  gap 108000
  min_repeat 1
  begin codes
    NEC_UP 0x10EF
  end codes
end remote
)"},
    {"SPACE_ENC, plead, post_data with post, foot, two gaps", "FOOT_A", 1,
     R"(begin remote
  name FOOTED
  bits 8
  flags SPACE_ENC
  plead 1200
  one 400 1200
  zero 400 400
  post 400 3000
  post_data_bits 4
  post_data 0xA
  ptrail 400
  foot 5000 600
  gap 40000 45000
  begin codes
    FOOT_A 0x5C
  end codes
end remote
)"},
    {"SPACE_FIRST (bits as space then pulse), header", "SF_A", 1,
     R"(begin remote
  name SPACEFIRST
  bits 12
  flags SPACE_FIRST
  header 2400 600
  one 1200 600
  zero 600 600
  gap 45000
  begin codes
    SF_A 0x9A5
  end codes
end remote
)"},
    {"RC5 with plead and toggle_bit_mask, CONST_LENGTH", "RC5_A", 1,
     R"(begin remote
  name RC5LIKE
  bits 13
  flags RC5|CONST_LENGTH
  one 889 889
  zero 889 889
  plead 889
  pre_data_bits 0
  gap 113792
  toggle_bit_mask 0x800
  frequency 36000
  begin codes
    RC5_A 0x1035
  end codes
end remote
)"},
    {"SHIFT_ENC (the older name of RC5), min_repeat 2", "SHIFT_A", 3,
     R"(begin remote
  name SHIFTLIKE
  bits 11
  flags SHIFT_ENC
  one 500 500
  zero 500 500
  plead 500
  gap 30000
  min_repeat 2
  frequency 40000
  begin codes
    SHIFT_A 0x2A5
  end codes
end remote
)"},
    {"RC6 with header, rc6_mask, toggle_bit_mask and pre_data", "RC6_A", 1,
     R"(begin remote
  name RC6LIKE
  bits 16
  flags RC6|CONST_LENGTH
  header 2666 889
  one 444 444
  zero 444 444
  pre_data_bits 5
  pre_data 0x1B
  rc6_mask 0x100000
  toggle_bit_mask 0x10000
  gap 106000
  frequency 36000
  begin codes
    RC6_A 0xEFF3
  end codes
end remote
)"},
    {"RC-MM (two bits a symbol)", "RCMM_A", 1,
     R"(begin remote
  name RCMMLIKE
  bits 12
  flags RCMM|CONST_LENGTH
  header 417 278
  zero 167 278
  one 167 444
  two 167 611
  three 167 778
  ptrail 167
  pre_data_bits 12
  pre_data 0x253
  gap 27800
  frequency 36000
  begin codes
    RCMM_A 0x1E4
  end codes
end remote
)"},
    {"NO_HEAD_REP and repeat_mask: later frames without header, bits inverted", "INV_A", 2,
     R"(begin remote
  name INVERTING
  bits 10
  flags SPACE_ENC|NO_HEAD_REP
  header 3300 1600
  one 300 1800
  zero 300 750
  ptrail 300
  pre_data_bits 5
  pre_data 0x11
  repeat_mask 0x3FF
  gap 44000
  min_repeat 1
  begin codes
    INV_A 0x2C5
  end codes
end remote
)"},
    {"REPEAT_HEADER, repeat code and repeat_gap", "RH_A", 2,
     R"(begin remote
  name REPEATHEADER
  bits 8
  flags SPACE_ENC|REPEAT_HEADER
  header 4500 4500
  one 500 1500
  zero 500 500
  ptrail 500
  repeat 500 2000
  repeat_gap 90000
  gap 50000
  min_repeat 1
  begin codes
    RH_A 0x3C
  end codes
end remote
)"},
    {"toggle_mask (bits that alternate from frame to frame)", "TM_A", 2,
     R"(begin remote
  name TOGGLEMASK
  bits 15
  flags SPACE_ENC|CONST_LENGTH
  one 320 1680
  zero 320 680
  ptrail 320
  toggle_mask 0x3FF
  gap 67000
  min_repeat 1
  begin codes
    TM_A 0x4213
  end codes
end remote
)"},
    {"a sequence of two codes for one key", "SEQ_A", 2,
     R"(begin remote
  name SEQUENCE
  bits 8
  flags SPACE_ENC
  header 8000 4000
  one 500 1500
  zero 500 500
  ptrail 500
  gap 40000
  begin codes
    SEQ_A 0x12 0x34
  end codes
end remote
)"},
    {"XMP (a nibble a pulse, its value in the space)", "XMP_A", 1,
     R"(begin remote
  name XMPLIKE
  bits 16
  flags XMP|CONST_LENGTH
  zero 210 760
  one 0 136
  ptrail 210
  pre_data_bits 16
  pre_data 0x1F25
  gap 80000
  begin codes
    XMP_A 0x4B07
  end codes
end remote
)"},
    {"REVERSE (codes written least significant bit first), toggle_bit", "REV_A", 1,
     R"(begin remote
  name REVERSED
  bits 12
  flags SPACE_ENC|REVERSE|CONST_LENGTH
  header 3500 1750
  one 440 1300
  zero 440 440
  ptrail 440
  toggle_bit 3
  gap 60000
  begin codes
    REV_A 0x4D1
  end codes
end remote
)"},
    {"RAW_CODES with min_repeat", "RAW_A", 2,
     R"(begin remote
  name RAWLIKE
  flags RAW_CODES
  frequency 38000
  gap 60000
  min_repeat 1
  begin raw_codes
    name RAW_A
      3000 1500 500 500 500 1500 500
  end raw_codes
end remote
)"},
};

std::vector<uint32_t> readSimsend(const std::string& path) {
    std::ifstream in(path);
    std::vector<uint32_t> durations;
    std::string kind;
    for (uint32_t us; in >> kind >> us;)
        durations.push_back(us);
    return durations;
}

TEST(LircdOracle, EveryEncodingFamilyIsWhatIrsimsendSends) {
    if (std::system("command -v irsimsend >/dev/null 2>&1") != 0)
        GTEST_SKIP() << "irsimsend (Debian lirc) is not installed";
    char folder[] = "/tmp/urctool-irsimsend.XXXXXX";
    ASSERT_NE(::mkdtemp(folder), nullptr);
    const std::string dir = folder;
    for (const Family& f : kFamilies) {
        std::ofstream(dir + "/remote.conf") << f.conf;
        std::filesystem::remove(dir + "/simsend.out");
        const std::string command = "cd " + dir + " && XDG_CACHE_HOME=" + dir + " irsimsend -c " +
                                    std::to_string(f.frames) + " -k " + f.key +
                                    " remote.conf >/dev/null 2>&1";
        ASSERT_EQ(std::system(command.c_str()), 0) << f.what;
        const auto sent = readSimsend(dir + "/simsend.out");
        ASSERT_FALSE(sent.empty()) << f.what;
        try {
            EXPECT_EQ(urctool::signalFromLircd(f.conf, f.key).durations, sent) << f.what;
        } catch (const std::exception& e) {
            ADD_FAILURE() << f.what << ": " << e.what();
        }
    }
    std::filesystem::remove_all(dir);
}

} // namespace
