#include "irform/protocols.h"

#include "irform/capture_render.h"
#include "irform/form_definition.h"

#include <gtest/gtest.h>

#include <numeric>

using namespace irform;

namespace {

uint32_t total(const Signal& s) {
    return std::accumulate(s.durations.begin(), s.durations.end(), 0u);
}

struct KnownCase {
    Protocol protocol;
    uint32_t device;
    uint32_t command;
    std::vector<uint32_t> firstDurations;
    std::size_t elements;
    uint32_t length;
};

class Known : public ::testing::TestWithParam<KnownCase> {};

// Leading durations, element count and press length of known frames.
TEST_P(Known, HasExactTimings) {
    const KnownCase c = GetParam();
    const auto s = encode(c.protocol, c.device, c.command);
    ASSERT_TRUE(s);
    EXPECT_EQ(s->carrierHz, protocolCarrierHz(c.protocol));
    ASSERT_GE(s->durations.size(), c.firstDurations.size());
    EXPECT_EQ(
        std::vector<uint32_t>(s->durations.begin(), s->durations.begin() + c.firstDurations.size()),
        c.firstDurations);
    EXPECT_EQ(s->durations.size(), c.elements);
    EXPECT_EQ(total(*s), c.length);
}

INSTANTIATE_TEST_SUITE_P(
    Encode, Known,
    ::testing::Values(
        // NEC 0x04: bits 0,0,1,0,...: third bit is a one.
        KnownCase{
            Protocol::Nec, 0x04, 0x08, {9000, 4500, 560, 560, 560, 560, 560, 1690}, 72, 216000},
        // NEC extended 0x1234: low byte 0x34 first: 0,0,1,0,1,1.
        KnownCase{Protocol::NecExtended,
                  0x1234,
                  0x08,
                  {9000, 4500, 560, 560, 560, 560, 560, 1690, 560, 560, 560, 1690},
                  72,
                  216000},
        // RC5 address 5, command 0x35: bits 1 1 0 00101 110101.
        KnownCase{
            Protocol::Rc5, 0x05, 0x35, {889, 889, 1778, 889, 889, 889, 889, 1778}, 40, 227556},
        // SIRC 12, command 0x15 (1,0,1,0,1,0,0), device 1.
        KnownCase{Protocol::Sirc12, 0x01, 0x15, {2400, 600, 1200, 600, 600, 600, 1200}, 78, 135000},
        KnownCase{Protocol::Sirc15, 0x01, 0x15, {2400, 600, 1200}, 96, 135000},
        KnownCase{Protocol::Sirc20, 0x01, 0x15, {2400, 600, 1200}, 126, 135000},
        // Symphony 0x001: eleven zeros (400, 1250), a one's 1250 us mark, then the
        // one's 400 us space and the 6600 us gap as one silence; four frames.
        KnownCase{Protocol::Symphony, 0, 0x001, {400, 1250, 400, 1250}, 96, 4 * 26400},
        // GI Cable 0, 0 (check 0): sixteen zeros, the frame's 41160 us gap, then
        // a ditto frame and its own 87220 us gap.
        KnownCase{Protocol::GiCable,
                  0,
                  0,
                  {8820, 4410, 490, 2205},
                  40,
                  8820 + 4410 + 16 * 2695 + 490 + 41160 + 8820 + 2205 + 490 + 87220}));

TEST(Encode, RefusesValuesOutOfRange) {
    EXPECT_FALSE(encode(Protocol::Nec, 0x100, 0));
    EXPECT_FALSE(encode(Protocol::Nec, 0, 0x100));
    EXPECT_FALSE(encode(Protocol::NecExtended, 0x10000, 0));
    EXPECT_FALSE(encode(Protocol::Rc5, 0x20, 0));
    EXPECT_FALSE(encode(Protocol::Rc5, 0, 0x80));
    EXPECT_FALSE(encode(Protocol::Sirc12, 0x20, 0));
    EXPECT_FALSE(encode(Protocol::Sirc15, 0x100, 0));
    EXPECT_FALSE(encode(Protocol::Sirc20, 0x2000, 0));
    EXPECT_TRUE(encode(Protocol::Sirc20, 0x1FFF, 0x7F));
}

// Every device and command a protocol carries decodes back, also with every
// duration off by 20% (the first six forms; the others are covered by the
// random round trips of form_round_trip_test).
TEST(Decode, EveryProtocolDecodesItsOwnSignals) {
    for (Protocol p : {Protocol::Nec, Protocol::NecExtended, Protocol::Rc5, Protocol::Sirc12,
                       Protocol::Sirc15, Protocol::Sirc20}) {
        for (uint32_t device = 0; device <= maxDevice(p); device += 1 + maxDevice(p) / 40) {
            for (uint32_t command = 0; command <= maxCommand(p); command += 3) {
                if (p == Protocol::NecExtended && (device >> 8) == (~device & 0xFF))
                    continue; // that frame is plain NEC
                auto s = encode(p, device, command);
                ASSERT_TRUE(s);
                EXPECT_EQ(decode(*s), (Decoded{p, device, command})) << protocolName(p);
                for (std::size_t i = 0; i < s->durations.size(); ++i)
                    s->durations[i] = s->durations[i] * (i % 3 == 0 ? 12 : 8) / 10;
                EXPECT_EQ(decode(*s), (Decoded{p, device, command}))
                    << protocolName(p) << " skewed";
            }
        }
    }
}

// Symbols of several bits lie 136 to 170 us apart, so a receiver's delay
// (here 100 us, no jitter) must be taken off from the first symbol on, not
// only once a few marks have told it; the device's top bits are sent first.
TEST(Decode, SymbolsOfSeveralBitsReadThroughTheReceiversDelayFromTheFirstOn) {
    for (Protocol p : {Protocol::Nokia12, Protocol::Nokia24, Protocol::Nokia32, Protocol::DirecTv,
                       Protocol::Xmp}) {
        for (uint32_t device = 0; device <= maxDevice(p); device += 1 + maxDevice(p) / 16) {
            const Decoded code{p, device, maxCommand(p) / 3};
            const Signal received = asReceived(*encode(p, device, code.command), {100, 0, 0});
            EXPECT_EQ(decode(received), code) << protocolName(p) << " " << device;
        }
    }
}

// A capture's last silence closes its last frame however short it is (a
// lircd.conf's raw remote closes every key with its shortest gap), also
// where biphase runs may be longer than that silence (RC5x's eight half bits).
TEST(Decode, TheLastSilenceClosesTheLastFrameHoweverShort) {
    for (Protocol p : {Protocol::Rc5, Protocol::Rc5x, Protocol::Rc6, Protocol::Nrc17,
                       Protocol::Nec2, Protocol::Xmp}) {
        const Decoded code{p, maxDevice(p) / 3, maxCommand(p) / 5};
        Signal s = *encode(p, code.device, code.command);
        s.durations.back() = 5000;
        EXPECT_EQ(decode(s), code) << protocolName(p);
    }
}

TEST(Decode, NecExtendedWithInverseHighByteReadsAsNec) {
    EXPECT_EQ(decode(*encode(Protocol::NecExtended, 0xFB04, 0x08)),
              (Decoded{Protocol::Nec, 0x04, 0x08}));
}

TEST(Decode, RefusesDamagedFrames) {
    auto nec = *encode(Protocol::Nec, 0x04, 0x08);
    nec.durations[2 + 2 * 24 + 1] = nec.durations[2 + 2 * 24 + 1] == 560 ? 1690 : 560;
    const auto sixteenBitCommand = decode(nec);
    ASSERT_TRUE(sixteenBitCommand);
    EXPECT_EQ(sixteenBitCommand->protocol, Protocol::Nec32) << "inverse command byte broken";

    auto sirc = *encode(Protocol::Sirc12, 1, 2);
    sirc.durations.erase(sirc.durations.begin() + 1, sirc.durations.begin() + 3);
    EXPECT_FALSE(decode(sirc)) << "11 bits";

    auto rc5 = *encode(Protocol::Rc5, 1, 2);
    rc5.durations[3] = 3000;
    EXPECT_FALSE(decode(rc5));

    EXPECT_FALSE(decode(Signal{}));
    EXPECT_FALSE(decode(Signal{38000, {9000}}));
    EXPECT_FALSE(decode(Signal{38000, {9000, 4500, 560, 100000}}));
}

TEST(ProtocolNames, RoundTrip) {
    for (Protocol p : kAllProtocols)
        EXPECT_EQ(protocolFromName(protocolName(p)), p);
    EXPECT_EQ(protocolFromName("sanyo"), Protocol::Aiwa);
    EXPECT_EQ(protocolFromName("rcmm12"), Protocol::Nokia12);
    EXPECT_EQ(protocolFromName("rcmm24"), Protocol::Nokia24);
    EXPECT_EQ(protocolFromName("rcmm32"), Protocol::Nokia32);
    EXPECT_FALSE(protocolFromName("NEC"));
    EXPECT_FALSE(protocolFromName(""));
}

} // namespace

namespace {

struct StartCase {
    Protocol protocol;
    uint32_t device;
    uint32_t command;
    int carrierHz;
    std::vector<uint32_t> firstDurations;
};

class FormStart : public ::testing::TestWithParam<StartCase> {};

// How each form's press opens, worked out by hand from the published
// timings: leader, bit order and symbol coding of the form table's rows.
TEST_P(FormStart, OpensAsItsDefinitionSays) {
    const StartCase c = GetParam();
    const auto s = encode(c.protocol, c.device, c.command);
    ASSERT_TRUE(s);
    EXPECT_EQ(s->carrierHz, c.carrierHz);
    ASSERT_GE(s->durations.size(), c.firstDurations.size());
    EXPECT_EQ(
        std::vector<uint32_t>(s->durations.begin(), s->durations.begin() + c.firstDurations.size()),
        c.firstDurations);
    EXPECT_EQ(decode(*s), (Decoded{c.protocol, c.device, c.command}));
}

INSTANTIATE_TEST_SUITE_P(
    Encode, FormStart,
    ::testing::Values(
        // Leader, start bit 1 (mark first), mode 000, double-width toggle 0.
        StartCase{Protocol::Rc6,
                  0,
                  0x0C,
                  36000,
                  {2664, 888, 444, 888, 444, 444, 444, 444, 444, 888, 888, 444}},
        // Device 1 least significant bit first, then zeros: no leader.
        StartCase{Protocol::Denon, 1, 0, 38000, {264, 1848, 264, 792}},
        StartCase{Protocol::Mitsubishi, 1, 0, 32600, {300, 2100, 300, 900}},
        // Device 0xA most significant bit first.
        StartCase{Protocol::Rca, 0xA, 0, 56000, {3680, 3680, 460, 1840, 460, 920, 460, 1840}},
        StartCase{Protocol::Rca38, 0xA, 0, 38700, {3680, 3680, 460, 1840, 460, 920, 460, 1840}},
        // Device 0x1B = symbols 0, 1, 2, 3 of two bits each.
        StartCase{Protocol::Nokia32,
                  0x1B00,
                  0,
                  36000,
                  {412, 276, 164, 276, 164, 445, 164, 614, 164, 783}},
        // Command 0x20 goes most significant bit first.
        StartCase{Protocol::Dish, 0, 0x20, 57600, {400, 6000, 400, 1600, 400, 2800}},
        // Maker byte 0x02 least significant bit first.
        StartCase{Protocol::Panasonic, 0, 0, 37000, {3456, 1728, 432, 432, 432, 1296, 432, 432}},
        // Device 0xC: symbols "11" then "00".
        StartCase{Protocol::DirecTv, 0xC, 0, 38000, {6000, 1200, 1200, 1200, 600, 600}},
        StartCase{Protocol::Samsung32, 0x0707, 2, 38000, {4500, 4500, 560, 1690, 560, 1690}},
        // Device 0x7C5 least significant bit first: 1, 0, 1, 0.
        StartCase{Protocol::Samsung20,
                  0x7C5,
                  0x3B,
                  38400,
                  {4512, 4512, 564, 1692, 564, 564, 564, 1692, 564, 564}},
        StartCase{Protocol::Jvc, 1, 0, 38000, {8400, 4200, 525, 1575, 525, 525}},
        // Address 0x80 most significant bit first.
        StartCase{Protocol::Lg, 0x80, 0, 38000, {8500, 4250, 550, 1600, 550, 550}},
        StartCase{Protocol::Lg2, 0x80, 0, 38000, {3200, 9900, 480, 1600, 480, 550}},
        StartCase{Protocol::Samsung48, 1, 0, 38000, {4500, 4500, 560, 1690, 560, 560}},
        // The command comes first, least significant bit first.
        StartCase{Protocol::GiCable, 0, 1, 38700, {8820, 4410, 490, 4410, 490, 2205}},
        // Maker bytes least significant bit first: 0x54 (Denon), 0x02
        // (Panasonic), 0xAA on a 400 us unit (Sharp), 0x23 (Mitsubishi), 0x14
        // (Fujitsu), 0x43 (Teac), 0x03 (JVC).
        StartCase{Protocol::DenonK,
                  0,
                  0,
                  37000,
                  {3456, 1728, 432, 432, 432, 432, 432, 1296, 432, 432, 432, 1296}},
        StartCase{Protocol::Panasonic56, 0, 0, 37000, {3456, 1728, 432, 432, 432, 1296, 432, 432}},
        StartCase{Protocol::SharpDvd,
                  0,
                  0,
                  38000,
                  {3200, 1600, 400, 400, 400, 1200, 400, 400, 400, 1200}},
        StartCase{Protocol::MitsubishiK,
                  0,
                  0,
                  37000,
                  {3456, 1728, 432, 1296, 432, 1296, 432, 432, 432, 432}},
        StartCase{Protocol::Fujitsu,
                  0,
                  0,
                  37000,
                  {3456, 1728, 432, 432, 432, 432, 432, 1296, 432, 432, 432, 1296}},
        StartCase{Protocol::Fujitsu56, 0, 0, 37000, {3456, 1728, 432, 432, 432, 432, 432, 1296}},
        StartCase{Protocol::TeacK, 0, 0, 37000, {3456, 1728, 432, 1296, 432, 1296, 432, 432}},
        StartCase{Protocol::Jvc56, 0, 0, 37000, {3456, 1728, 432, 1296, 432, 1296, 432, 432}},
        StartCase{Protocol::Konka, 0x80, 0, 38000, {3000, 3000, 500, 2500, 500, 1500}},
        // Eight device bits, the separator, then the command's first bit.
        StartCase{Protocol::Proton, 0, 1, 38500, {8000, 4000, 500, 500,  500, 500, 500, 500,
                                                  500,  500,  500, 500,  500, 500, 500, 500,
                                                  500,  500,  500, 4000, 500, 1500}},
        StartCase{Protocol::Symphony, 0, 0x800, 38000, {1250, 400, 400, 1250}},
        // Device 0x8000: a one (short mark) then zeros (long marks).
        StartCase{Protocol::EliteScreens, 0x8000, 0, 38000, {470, 1214, 1214, 470}},
        // Toggle 0, device 000, then its inverse 111.
        StartCase{Protocol::Metz19,
                  0,
                  0,
                  37900,
                  {848, 2332, 424, 954, 424, 954, 424, 954, 424, 954, 424, 1696}},
        // Start bit 1, toggle 0, device 000: no leader.
        StartCase{Protocol::Velleman, 0, 0, 38000, {700, 7590, 700, 5060, 700, 5060}},
        // S 0x2B, checksum 15 (2 + 11 + 15 + 4 + 4 + 1 + 12 = 49), S low, the
        // fixed 15: spaces of 760 us plus 136 us a step.
        StartCase{Protocol::Xmp,
                  0x2B1C,
                  0x4A00,
                  38000,
                  {210, 1032, 210, 2800, 210, 2256, 210, 2800, 210, 1304, 210, 1304}},
        // D 6, F 0x31: symbols 01 10 00 11 00 01.
        StartCase{Protocol::Nokia12, 6, 0x31, 36000, {412, 276, 164, 445, 164, 614, 164, 276}},
        StartCase{Protocol::Nokia24,
                  0x1B00,
                  0,
                  36000,
                  {412, 276, 164, 276, 164, 445, 164, 614, 164, 783}},
        // Toggle 0, then command 0x80: symbol 01 is a space and a mark twice,
        // symbol 00 one longer space and mark.
        StartCase{Protocol::Grundig16,
                  0,
                  0x80,
                  35700,
                  {806, 2960, 1346, 1734, 578, 578, 578, 2312, 1156}},
        // Command 0x05 least significant bit first: marks 1200, 600, 1200.
        StartCase{Protocol::Sony8, 0, 0x05, 40000, {2400, 600, 1200, 600, 600, 600, 1200}},
        // Start bit 1, toggle 0, device 5 (101).
        StartCase{Protocol::Recs80, 5, 0, 38000, {158, 7426, 158, 4898, 158, 7426, 158, 4898}}));

struct DamagedCase {
    Protocol protocol;
    std::size_t index; // the space of the bit that is flipped
    uint32_t zero;     // the form's space of a zero bit, and of a one bit
    uint32_t one;
};

class BrokenCheck : public ::testing::TestWithParam<DamagedCase> {};

// A frame whose check, inverse or fixed field fails is no code of that form
// (nor of any other): one bit flipped in the first frame.
TEST_P(BrokenCheck, IsRefused) {
    const DamagedCase c = GetParam();
    for (uint32_t code = 0; code < 8; ++code) {
        const uint32_t device = code * 37 % (maxDevice(c.protocol) + 1);
        const uint32_t command = code * 101 % (maxCommand(c.protocol) + 1);
        auto s = *encode(c.protocol, device, command);
        ASSERT_EQ(decode(s), (Decoded{c.protocol, device, command}));
        uint32_t& space = s.durations[c.index];
        ASSERT_TRUE(space == c.zero || space == c.one) << protocolName(c.protocol);
        space = space == c.zero ? c.one : c.zero;
        EXPECT_FALSE(decode(s)) << protocolName(c.protocol) << " code " << code;
    }
}

// Indexes: the leader, then two durations a bit, in the order sent.
INSTANTIATE_TEST_SUITE_P(
    Decode, BrokenCheck,
    ::testing::Values(DamagedCase{Protocol::Lg, 2 + 2 * 27 + 1, 550, 1600},        // checksum
                      DamagedCase{Protocol::Lg2, 2 + 2 * 24 + 1, 550, 1600},       // checksum
                      DamagedCase{Protocol::Samsung48, 2 + 2 * 24 + 1, 560, 1690}, // ~C
                      DamagedCase{Protocol::Samsung48, 2 + 2 * 47 + 1, 560, 1690},
                      DamagedCase{Protocol::GiCable, 2 + 2 * 12 + 1, 2205, 4410},    // check
                      DamagedCase{Protocol::DenonK, 2 + 2 * 40 + 1, 432, 1296},      // check
                      DamagedCase{Protocol::DenonK, 2 + 2 * 16 + 1, 432, 1296},      // zero
                      DamagedCase{Protocol::Panasonic56, 2 + 2 * 48 + 1, 432, 1296}, // check
                      DamagedCase{Protocol::SharpDvd, 2 + 2 * 44 + 1, 400, 1200},    // check
                      DamagedCase{Protocol::SharpDvd, 2 + 2 * 16 + 1, 400, 1200},    // 15:4
                      DamagedCase{Protocol::MitsubishiK, 2 + 2 * 44 + 1, 432, 1296}, // check
                      DamagedCase{Protocol::MitsubishiK, 2 + 2 * 17 + 1, 432, 1296}, // 6:4
                      DamagedCase{Protocol::Fujitsu, 2 + 2 * 16 + 1, 432, 1296},     // 0:4
                      DamagedCase{Protocol::Fujitsu, 2 + 2 * 3 + 1, 432, 1296},      // maker
                      DamagedCase{Protocol::TeacK, 2 + 2 * 40 + 1, 432, 1296},       // check
                      DamagedCase{Protocol::Jvc56, 2 + 2 * 55 + 1, 432, 1296},       // check
                      DamagedCase{Protocol::Fujitsu56, 2 + 2 * 20 + 1, 432, 1296},   // E = 0
                      DamagedCase{Protocol::Metz19, 2 + 2 * 18 + 1, 954, 1696},      // ~F
                      DamagedCase{Protocol::Metz19, 2 + 2 * 5 + 1, 954, 1696},       // ~D
                      DamagedCase{Protocol::Velleman, 1, 5060, 7590}));              // start

// XMP's nibbles lie 136 us apart on spaces up to 2.8 ms, so a receiver's few
// per cent can carry one past half a step. The checksums then tell which
// close call was wrong, the repeat tells apart readings that both pass them,
// and a lone frame with two such readings is kept raw rather than guessed.
TEST(Xmp, ChecksumsRepairCloseCallsAndALoneGuessStaysRaw) {
    const auto& form = detail::formDefinition(Protocol::Xmp);
    const Decoded code{Protocol::Xmp, 0x2B1C, 0x4A00};
    const uint64_t payload = form.pack({code.device, code.command});
    ASSERT_TRUE(form.unpack(payload));
    EXPECT_FALSE(form.unpack(payload ^ uint64_t{1} << 56)) << "first checksum";
    EXPECT_FALSE(form.unpack(payload ^ uint64_t{1} << 24)) << "second checksum";
    EXPECT_FALSE(form.unpack(payload ^ uint64_t{0x11} << 20)) << "toggle and S nibble";
    EXPECT_TRUE(form.unpack(form.laterFrame(payload, 1))) << "the repeats' toggle nibble";

    // The space of nibble k of the first frame (the second half follows the
    // 13.8 ms separator).
    auto space = [](std::size_t k) { return k < 8 ? 2 * k + 1 : 2 * k + 3; };
    struct Case {
        const char* what;
        int frames;
        std::vector<std::pair<std::size_t, int>> moves; // nibble, us
        std::optional<Decoded> read;
    };
    const Case cases[] = {
        {"exact, one frame", 1, {}, code},
        {"one nibble 80 us past half a step", 2, {{12, 80}}, code},
        {"the fixed nibble read a step short", 2, {{3, -90}}, code},
        {"two calls that cancel in the checksum", 2, {{12, 68}, {13, -68}}, code},
        {"the same, a lone frame", 1, {{12, 68}, {13, -68}}, std::nullopt},
        {"a whole step off: no close call, no code", 2, {{6, 136}}, std::nullopt},
    };
    for (const Case& c : cases) {
        Signal signal = detail::renderPress(form, payload, c.frames);
        for (const auto& [nibble, us] : c.moves)
            signal.durations[space(nibble)] += us;
        EXPECT_EQ(decode(signal), c.read) << c.what;
    }
}

} // namespace
