// The carrier the URC measured and the frames that were pressed, through the
// whole learning path: a raw code replays at the measured carrier, a form is
// recognised only near its own carrier, and a recognised press replays with
// its own frame count and toggle bit.
#include "irform/capture_render.h"
#include "irform/code_form.h"
#include "irform/form_definition.h"
#include "irform/protocols.h"
#include "irform/raw_example.h"
#include "irform/stored_signal.h"
#include "tests/platform/rororuru/learning_path.h"

#include <gtest/gtest.h>

namespace {

using ircode_test::learn;
using ircode_test::store;
using ircode_test::withoutCarrier;
using irform::Protocol;

// What the URC sends for a learned capture; nullopt when it was not stored.
std::optional<irform::Signal> replayOf(const std::string& capture) {
    const auto stored = store(learn(capture), {});
    if (!stored)
        return std::nullopt;
    return irform::storedSignal(stored->record, stored->data);
}

// The stored form's name, or "raw".
std::string formOf(const std::string& capture) {
    const std::string converted = learn(capture);
    for (Protocol p : irform::kAllProtocols)
        if (converted.starts_with(irform::builtinId(p) + "::"))
            return std::string(irform::protocolName(p));
    return "raw";
}

// measuredHz 0: the capture's carrier words are zero.
std::string captureAt(irform::Signal signal, int measuredHz) {
    signal.carrierHz = measuredHz == 0 ? 38000 : measuredHz;
    const std::string capture = irform::renderCapture(signal);
    return measuredHz == 0 ? withoutCarrier(capture) : capture;
}

TEST(MeasuredCarrier, ARawCodeReplaysWithinOneKilohertzOfIt) {
    // measured 0: not measured, then the shape's guess (none here).
    for (const int measuredHz : {36000, 38000, 40000, 56000, 33000, 94000, 0}) {
        for (uint32_t seed = 1; seed <= 8; ++seed) {
            const auto sent = replayOf(captureAt(irform::rawExampleSignal(seed), measuredHz));
            ASSERT_TRUE(sent) << measuredHz << " seed " << seed;
            EXPECT_NEAR(sent->carrierHz, measuredHz == 0 ? 38000 : measuredHz, 1000)
                << measuredHz << " seed " << seed;
        }
    }
}

// Each form whose carrier lies away from 38 kHz (and NEC's), pressed at its
// own carrier, near it, far from it, and with no measurement (then timing
// alone decides). The capture's carrier words hold whole kHz: a row's carrier
// is measured to the nearest kHz, and irform::carrierFits compares that with
// the form's own (within kCarrierTolerancePercent, the edge included).
TEST(MeasuredCarrier, AFormIsThatFormOnlyNearItsCarrier) {
    struct Case {
        Protocol protocol;
        std::vector<int> formAt; // measured carriers (0: none) at which it is that form
        std::vector<int> rawAt;  // ones far from its own, at which it is a raw code
    };
    const Case cases[] = {
        // 9 % off reads as 51 and 61 kHz (8.9 %), 11 % off as 50 and 62 (10.7 %).
        // (At 38 kHz it is rca38: MeasuredCarrier.TellsRcaFromRca38.)
        {Protocol::Rca, {56000, 0, 50960, 61040}, {47000, 49840, 62160}},
        // 9 % off: 33 and 39 kHz (8.3 %); 11 % off: 32 and 40 kHz (11.1 %).
        {Protocol::Rc5, {36000, 38000, 32760, 39240, 0}, {56000, 32040, 39960}},
        {Protocol::Rc6, {36000}, {56000}},
        // 9 % and 11 % off both read as 36 and 44 kHz, exactly 10 % off: a
        // fit; 35 and 45 kHz are 12.5 % off.
        {Protocol::Sirc12, {40000, 36400, 43600, 35600, 44400, 0}, {56000, 35000, 45000}},
        // 9 % off: 35 and 41 kHz (7.9 %); 11 % off: 34 and 42 kHz (10.5 %).
        {Protocol::Nec, {38000, 40000, 34580, 41420, 0}, {56000, 33820, 42180}},
        {Protocol::Dish, {57000}, {38000}},
        {Protocol::PanasonicOld, {57000}, {36000}},
        {Protocol::Thomson, {33000}, {40000}},
        {Protocol::Mitsubishi, {33000}, {38000}},
        {Protocol::Xmp, {38000, 0}, {56000}},
        {Protocol::Nokia12, {36000}, {56000}},
        {Protocol::Recs80, {38000}, {56000}},
        {Protocol::Grundig16, {36000, 0}, {56000}}};
    for (const Case& c : cases) {
        const std::string name(irform::protocolName(c.protocol));
        const irform::Signal pressed = *irform::encode(c.protocol, 3, 0x21);
        for (const int measuredHz : c.formAt) {
            const std::string capture = captureAt(pressed, measuredHz);
            EXPECT_EQ(formOf(capture), name) << "at " << measuredHz;
            const auto sent = replayOf(capture);
            ASSERT_TRUE(sent) << name;
            EXPECT_EQ(sent->carrierHz, irform::protocolCarrierHz(c.protocol)) << name;
        }
        for (const int measuredHz : c.rawAt) {
            const std::string capture = captureAt(pressed, measuredHz);
            EXPECT_EQ(formOf(capture), "raw") << name << " at " << measuredHz;
            const auto sent = replayOf(capture);
            ASSERT_TRUE(sent) << name;
            EXPECT_NEAR(sent->carrierHz, measuredHz, 1000) << name;
        }
    }
}

// RCA's frame at 56 kHz (rca) and at 38.7 kHz (rca38): the measured carrier
// alone tells which, in both directions; without a measurement the two fit
// alike and the earlier row, rca, wins.
TEST(MeasuredCarrier, TellsRcaFromRca38) {
    struct Case {
        Protocol pressed;
        int measuredHz; // 0: none
        Protocol read;
    };
    const Case cases[] = {
        {Protocol::Rca, 56000, Protocol::Rca},     {Protocol::Rca, 38000, Protocol::Rca38},
        {Protocol::Rca38, 38700, Protocol::Rca38}, {Protocol::Rca38, 36000, Protocol::Rca38},
        {Protocol::Rca38, 56000, Protocol::Rca},   {Protocol::Rca38, 0, Protocol::Rca},
        {Protocol::Rca, 0, Protocol::Rca}};
    for (const Case& c : cases) {
        const std::string capture = captureAt(*irform::encode(c.pressed, 9, 0xC6), c.measuredHz);
        const std::string what =
            std::string(irform::protocolName(c.pressed)) + " at " + std::to_string(c.measuredHz);
        EXPECT_EQ(formOf(capture), irform::protocolName(c.read)) << what;
        const auto sent = replayOf(capture);
        ASSERT_TRUE(sent) << what;
        EXPECT_EQ(sent->carrierHz, irform::protocolCarrierHz(c.read)) << what;
        EXPECT_EQ(sent->durations, irform::encode(c.read, 9, 0xC6)->durations) << what;
    }
}

// The replay holds the frames pressed, duration for duration (the press is
// rendered exactly; only the final silence, which the URC captures as its end
// marker, differs).
TEST(PressedFrames, AreTheFramesReplayed) {
    struct Case {
        const char* what;
        Protocol protocol;
        int frames;
        uint64_t toggle; // the payload's toggle bit when the press had it set
    };
    const Case cases[] = {{"rca, one frame", Protocol::Rca, 1, 0},
                          {"rca, three frames", Protocol::Rca, 3, 0},
                          {"rc5x, toggled", Protocol::Rc5x, 2, uint64_t{1} << 17},
                          {"rc5x, one frame", Protocol::Rc5x, 1, 0},
                          {"rc5, toggled", Protocol::Rc5, 2, uint64_t{1} << 11},
                          {"rc6, toggled", Protocol::Rc6, 2, uint64_t{1} << 16},
                          {"rc6a32, toggled", Protocol::Rc6a32, 2, uint64_t{1} << 32},
                          {"thomson, toggled", Protocol::Thomson, 2, uint64_t{1} << 4},
                          {"nec, three dittos", Protocol::Nec, 4, 0},
                          {"sirc12, five frames", Protocol::Sirc12, 5, 0},
                          {"denon, one frame", Protocol::Denon, 1, 0},
                          {"gicable, dittos with their longer gap", Protocol::GiCable, 4, 0},
                          {"teack, two dittos", Protocol::TeacK, 3, 0},
                          {"lg, three dittos", Protocol::Lg, 4, 0},
                          {"samsung48, three frames", Protocol::Samsung48, 3, 0},
                          {"proton, three frames", Protocol::Proton, 3, 0},
                          {"symphony, four frames", Protocol::Symphony, 4, 0},
                          {"symphony, one frame", Protocol::Symphony, 1, 0},
                          {"elitescreens, three frames", Protocol::EliteScreens, 3, 0},
                          {"metz19, toggled", Protocol::Metz19, 2, uint64_t{1} << 18},
                          {"velleman, toggled", Protocol::Velleman, 2, uint64_t{1} << 9},
                          {"sony8, four frames", Protocol::Sony8, 4, 0},
                          {"samsung20, three frames", Protocol::Samsung20, 3, 0},
                          {"rca38, two frames", Protocol::Rca38, 2, 0},
                          {"recs80, toggled", Protocol::Recs80, 2, uint64_t{1} << 9},
                          {"grundig16, toggled", Protocol::Grundig16, 2, uint64_t{1} << 15},
                          {"xmp, three frames", Protocol::Xmp, 3, 0},
                          {"xmp, one frame", Protocol::Xmp, 1, 0},
                          {"nokia24, one frame", Protocol::Nokia24, 1, 0}};
    for (const Case& c : cases) {
        const auto& form = irform::detail::formDefinition(c.protocol);
        for (uint32_t code = 0; code < 12; ++code) {
            const uint32_t device = code * 7 % (form.maxDevice + 1);
            const uint32_t command = code * 37 % (form.maxCommand + 1);
            const uint64_t payload = form.pack({device, command}) | c.toggle;
            const irform::Signal pressed = irform::detail::renderPress(form, payload, c.frames);
            const auto sent = replayOf(irform::renderCapture(pressed));
            ASSERT_TRUE(sent) << c.what;
            ASSERT_EQ(sent->durations.size(), pressed.durations.size()) << c.what << " " << code;
            EXPECT_TRUE(std::equal(pressed.durations.begin(), pressed.durations.end() - 1,
                                   sent->durations.begin()))
                << c.what << "\n"
                << irform::describeSignal(pressed) << "\n"
                << irform::describeSignal(*sent);
        }
    }
}

} // namespace
