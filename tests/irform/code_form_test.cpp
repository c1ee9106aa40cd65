#include "irform/code_form.h"
#include "irform/code_form_detail.h"
#include "irform/protocols.h"
#include "irform/raw_example.h"

#include <gtest/gtest.h>

using namespace irform;

namespace {

std::string recordOf(const CodeForm& form) {
    return "C00000" + form.id + form.p + form.q;
}

struct BuiltinCase {
    Decoded decoded;
    const char* id;
    const char* p;
    const char* q;
    const char* text;
};

class Builtin : public ::testing::TestWithParam<BuiltinCase> {};

TEST_P(Builtin, HasItsLayoutAndReadsBack) {
    const BuiltinCase c = GetParam();
    const CodeForm form = toCodeForm(c.decoded);
    EXPECT_EQ(form.id, c.id);
    EXPECT_EQ(form.p, c.p);
    EXPECT_EQ(form.q, c.q);
    EXPECT_EQ(form.data, form.p);
    EXPECT_EQ(describeStoredCode(recordOf(form), ""), c.text);
}

INSTANTIATE_TEST_SUITE_P(CodeForm, Builtin,
                         ::testing::Values(BuiltinCase{{Protocol::Nec, 0x04, 0x08},
                                                       "010000",
                                                       "0100040008260200",
                                                       "2004380000000000",
                                                       "nec 0x04 0x08"},
                                           BuiltinCase{{Protocol::NecExtended, 0x1234, 0xFF},
                                                       "020000",
                                                       "02123400FF260200",
                                                       "2004380000000000",
                                                       "necx 0x1234 0xff"},
                                           BuiltinCase{{Protocol::Rc5, 0x1F, 0x7F},
                                                       "030000",
                                                       "03001F007F240200",
                                                       "0E04720000000000",
                                                       "rc5 0x1f 0x7f"},
                                           BuiltinCase{{Protocol::Sirc12, 0x01, 0x15},
                                                       "040000",
                                                       "0400010015280300",
                                                       "0C01C20000000000",
                                                       "sirc12 0x01 0x15"},
                                           BuiltinCase{{Protocol::Sirc15, 0xAB, 0x15},
                                                       "050000",
                                                       "0500AB0015280300",
                                                       "0F01C20000000000",
                                                       "sirc15 0xab 0x15"},
                                           BuiltinCase{{Protocol::Sirc20, 0x1ABC, 0x7F},
                                                       "060000",
                                                       "061ABC007F280300",
                                                       "1401C20000000000",
                                                       "sirc20 0x1abc 0x7f"}));

TEST(CodeForm, ConvertedTextJoinsTheParts) {
    EXPECT_EQ(convertedText(CodeForm{"010000", "P", "Q", "D"}), "010000::P:Q:::D");
}

TEST(CodeForm, RawCodeLayout) {
    const Signal s{38000, {9000, 4500, 560, 40000, 560, 100000}};
    const auto form = rawCodeForm(s);
    ASSERT_TRUE(form);
    // 40000 and 100000 us are long: tens of microseconds with the top bit.
    EXPECT_EQ(form->data, "2328119402308FA00230A71000000000");
    EXPECT_EQ(form->p.substr(0, 8), "26020006");
    EXPECT_EQ(form->p.substr(8), "00000000");
    EXPECT_EQ(form->q.size(), 16u);
    EXPECT_GE(std::stoi(form->id.substr(0, 2), nullptr, 16), 0x22);
    EXPECT_EQ(describeStoredCode(recordOf(*form), form->data),
              "raw 38000 +9000 -4500 +560 -40000 +560 -100000");
}

TEST(CodeForm, SameSignalSameIdentifierOtherSignalOtherIdentifier) {
    const auto a = rawCodeForm(rawExampleSignal(1));
    const auto b = rawCodeForm(rawExampleSignal(1));
    const auto c = rawCodeForm(rawExampleSignal(2));
    ASSERT_TRUE(a && b && c);
    EXPECT_EQ(a->id, b->id);
    EXPECT_NE(a->id, c->id);
}

// The forms numbered from 0x22 on have identifiers in the raw range; a raw
// code's digest whose low word is 0 or 1 must not come out as one of them
// (its key would then send that form).
TEST(CodeForm, ARawIdentifierNeverNamesAForm) {
    for (uint64_t high = 0; high < 0x100; ++high) {
        for (uint64_t low : {0x0000u, 0x0001u, 0x0002u, 0xFFFFu}) {
            const std::string id = irform::detail::rawId(high << 32 | low);
            EXPECT_FALSE(irform::protocolOfBuiltinId(id)) << id;
            EXPECT_NE(id.substr(2), "0000") << id;
            EXPECT_NE(id.substr(2), "0001") << id;
        }
    }
    for (irform::Protocol p : irform::kAllProtocols)
        EXPECT_EQ(irform::protocolOfBuiltinId(irform::builtinId(p)), p);
}

TEST(CodeForm, RawSignalsStayRaw) {
    for (uint32_t seed = 0; seed < 200; ++seed) {
        const Signal s = rawExampleSignal(seed);
        EXPECT_FALSE(decode(s)) << seed;
        const auto form = toCodeForm(s);
        ASSERT_TRUE(form);
        EXPECT_EQ(form->data.size() % kBlockDigits, 0u);
        EXPECT_EQ(6 + form->id.size() + form->p.size() + form->q.size(), 44u);
    }
}

TEST(CodeForm, TooLongOrEmptySignalHasNoForm) {
    EXPECT_FALSE(toCodeForm(Signal{}));
    // Durations too varied for the compact table: the plain form's limit.
    Signal longest{38000, {}};
    for (std::size_t i = 0; i < kMaxRawDurations; ++i)
        longest.durations.push_back(200 + 150 * static_cast<uint32_t>(i % 40));
    EXPECT_TRUE(rawCodeForm(longest));
    longest.durations.push_back(700);
    EXPECT_FALSE(rawCodeForm(longest));
    // Few distinct durations go far past it in the compact form.
    const auto compact = rawCodeForm(Signal{38000, std::vector<uint32_t>(3000, 700)});
    ASSERT_TRUE(compact);
    EXPECT_EQ(compact->p.substr(12, 2), "01");
}

TEST(DescribeStoredCode, RefusesDamagedRecordsAndData) {
    const auto form = *rawCodeForm(rawExampleSignal(5));
    const std::string record = recordOf(form);
    ASSERT_NE(describeStoredCode(record, form.data), "");
    std::string data = form.data;
    data[5] = data[5] == '0' ? '1' : '0';
    EXPECT_EQ(describeStoredCode(record, data), "") << "digest mismatch";
    EXPECT_EQ(describeStoredCode(record, form.data.substr(0, form.data.size() - 16)), "");
    EXPECT_EQ(describeStoredCode(record.substr(2), form.data), "");
    EXPECT_EQ(describeStoredCode(record + "00", form.data), "");
    EXPECT_EQ(describeStoredCode(std::string(44, 'G'), form.data), "");
    // A built-in record whose values do not fit its protocol.
    EXPECT_EQ(describeStoredCode("C00000010000"
                                 "0101000008260200"
                                 "2004380000000000",
                                 ""),
              "");
    EXPECT_EQ(describeStoredCode("C00000010000"
                                 "0200040008260200"
                                 "2004380000000000",
                                 ""),
              "");
}

TEST(RawDescription, ParsesWhatDescribeSignalWrites) {
    const Signal s = rawExampleSignal(9);
    const auto back = parseRawDescription(describeSignal(s));
    ASSERT_TRUE(back);
    EXPECT_EQ(back->carrierHz, s.carrierHz);
    EXPECT_EQ(back->durations, s.durations);
    for (const char* bad : {"", "raw", "raw x", "raw 38000 -5", "raw 38000 +5 +5", "nec 0x04 0x08"})
        EXPECT_FALSE(parseRawDescription(bad)) << bad;
}

} // namespace
